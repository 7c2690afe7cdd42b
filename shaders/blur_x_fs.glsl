// Horizontal half of a separable 9-tap Gaussian blur.

#include "post_effect.glsl"
#include "blur.glsl"

void main() {
    gl_FragColor = gaussianBlur(tex_coord, vec2(sourceTexelSize().x, 0.0));
}
