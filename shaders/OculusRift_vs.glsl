// Full-screen pass for the head-mounted display: transformed position,
// texture coordinates passed through.

uniform mat4 ModelViewProjectionMatrix;

out vec2 tex_coord;

void main() {
    gl_Position = ModelViewProjectionMatrix * gl_Vertex;
    tex_coord = gl_MultiTexCoord0.xy;
}
