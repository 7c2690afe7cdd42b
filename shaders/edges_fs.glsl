// Edge detection: the Sobel gradient of the luminance, white on black.

#include "post_effect.glsl"

void main() {
    vec2 texelStep = sourceTexelSize();
    float l[9];
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            l[(y + 1) * 3 + (x + 1)] = luminance(sourceTexel(tex_coord + vec2(x, y) * texelStep).rgb);
    float gx = (l[2] + 2.0 * l[5] + l[8]) - (l[0] + 2.0 * l[3] + l[6]);
    float gy = (l[6] + 2.0 * l[7] + l[8]) - (l[0] + 2.0 * l[1] + l[2]);
    float edge = clamp(length(vec2(gx, gy)), 0.0, 1.0);
    gl_FragColor = vec4(vec3(edge), 1.0);
}
