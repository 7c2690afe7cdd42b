// Copies the source image to the screen.

#include "post_effect.glsl"

void main() {
    gl_FragColor = sourceTexel(tex_coord);
}
