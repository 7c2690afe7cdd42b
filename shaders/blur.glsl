// 9-tap Gaussian along one axis; `texelStep` is one texel along that axis.

vec4 gaussianBlur(vec2 uv, vec2 texelStep) {
    const float weights[5] = float[5](0.2270270, 0.1945946, 0.1216216, 0.0540541, 0.0162162);
    vec4 sum = sourceTexel(uv) * weights[0];
    for (int i = 1; i < 5; ++i) {
        sum += sourceTexel(uv + texelStep * float(i)) * weights[i];
        sum += sourceTexel(uv - texelStep * float(i)) * weights[i];
    }
    return sum;
}
