// Horizontal half of a separable 9-tap Gaussian blur.

#include <a.glsl>
#include   "a.glsl"

void main() {
    gl_FragColor = gaussianBlur(tex_coord, vec2(sourceTexelSize().x, 0.0));
}
// The source image of a full-screen pass (an off-screen target on unit 0)
// and helpers shared by the passes.

uniform sampler2D shader_texture_ids[NUMERO_MAXIMO_TEXTURAS_POR_MATERIAL];

in vec2 tex_coord;

vec4 sourceTexel(vec2 uv) {
    return texture(shader_texture_ids[0], uv);
}

// The size of one source texel in texture coordinates.
vec2 sourceTexelSize() {
    return 1.0 / vec2(max(textureSize(shader_texture_ids[0], 0), ivec2(1)));
}

float luminance(vec3 colour) {
    return dot(colour, vec3(0.299, 0.587, 0.114));
}
