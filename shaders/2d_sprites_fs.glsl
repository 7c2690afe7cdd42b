// Screen-space sprites: the texture, faded by the sprite's alpha.

#include "material.glsl"

in vec2 tex_coord;

void main() {
    vec4 texel = texture(shader_texture_ids[0], tex_coord);
    gl_FragColor = vec4(texel.rgb, texel.a * g_DatosMaterial.transparency);
}
