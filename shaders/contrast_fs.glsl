// Raises the contrast around mid grey.

#include "post_effect.glsl"

const float CONTRAST = 1.5;

void main() {
    vec4 texel = sourceTexel(tex_coord);
    gl_FragColor = vec4(clamp((texel.rgb - 0.5) * CONTRAST + 0.5, 0.0, 1.0), texel.a);
}
