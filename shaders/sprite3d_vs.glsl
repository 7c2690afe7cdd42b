// Textured quads placed in the world (sky faces, images in the sky).

uniform mat4 ModelViewProjectionMatrix;

out vec2 tex_coord;

void main() {
    vec4 position = ModelViewProjectionMatrix * gl_Vertex;
    // Sky faces reach past the far plane. A corner beyond it is pulled to the
    // back of the depth range instead of being clipped, so the whole face
    // shows, behind everything else.
    if (position.w > 0.0 && position.z > position.w) position.z = position.w * 0.9999;
    gl_Position = position;
    tex_coord = gl_MultiTexCoord0.xy;
}
