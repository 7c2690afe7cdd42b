// Screen-space quads: positions in design pixels, mapped by the 2D pass's
// view matrix.

uniform mat4 ModelViewProjectionMatrix;

out vec2 tex_coord;

void main() {
    gl_Position = ModelViewProjectionMatrix * gl_Vertex;
    tex_coord = gl_MultiTexCoord0.xy;
}
