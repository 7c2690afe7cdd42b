// Meshes drawn as stored (or already skinned on the processor): world-space
// position, normal and texture coordinates for per-pixel lighting.

uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat4 NormalMatrix;

out vec3 world_position;
out vec3 world_normal;
out vec2 tex_coord;

void main() {
    gl_Position = ModelViewProjectionMatrix * gl_Vertex;
    world_position = (WorldMatrix * gl_Vertex).xyz;
    world_normal = (NormalMatrix * vec4(gl_Normal, 0.0)).xyz;
    tex_coord = gl_MultiTexCoord0.xy;
}
