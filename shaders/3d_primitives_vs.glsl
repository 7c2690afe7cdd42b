// Lines and other flat-coloured primitives in the world.

uniform mat4 ModelViewProjectionMatrix;

void main() {
    gl_Position = ModelViewProjectionMatrix * gl_Vertex;
}
