// Glyphs from a coverage texture, in the emission colour. Coverage is read
// from red or alpha, whichever is smaller, so both white glyphs with alpha
// and grey glyphs on an opaque texture work.

#include "material.glsl"

in vec2 tex_coord;

void main() {
    vec4 texel = texture(shader_texture_ids[0], tex_coord);
    float coverage = min(texel.r, texel.a);
    gl_FragColor = vec4(g_DatosMaterial.emission, coverage * g_DatosMaterial.transparency);
}
