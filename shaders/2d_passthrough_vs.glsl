// Screen-space geometry and full-screen passes: transformed position,
// texture coordinates passed through.

uniform mat4 ModelViewProjectionMatrix;

out vec2 tex_coord;

void main() {
    gl_Position = ModelViewProjectionMatrix * gl_Vertex;
    tex_coord = gl_MultiTexCoord0.xy;
}
