// 3D sprites show their texture unlit and the same from either side. The
// transparency their material sends (0.5 for the sky faces) is not applied:
// the texture's own alpha decides, so the sky looks like sky.

#include "material.glsl"

in vec2 tex_coord;

void main() {
    vec4 texel = texture(shader_texture_ids[0], tex_coord);
    if (texel.a < 0.01) discard;  // empty texels must not hide what lies behind
    gl_FragColor = texel;
}
