// Meshes skinned here: each vertex is moved by up to four joints, weighted.
// A joint's matrix takes the bind-pose vertex into the joint's space
// (inverse bind) and out again at its posed place (transformation).

in vec4 joint_indices;
in vec4 joint_weights;

uniform mat4 bind_shape_matrix;
uniform mat4 transformation_matrix[NUMERO_MAXIMO_JOINTS_POR_ARMATURE];
uniform mat4 inverse_bind_matrix[NUMERO_MAXIMO_JOINTS_POR_ARMATURE];

uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat4 NormalMatrix;

out vec3 world_position;
out vec3 world_normal;
out vec2 tex_coord;

void main() {
    vec4 bindPosition = bind_shape_matrix * gl_Vertex;
    vec3 position = vec3(0.0);
    vec3 normal = vec3(0.0);
    float totalWeight = 0.0;
    for (int k = 0; k < NUMERO_MAXIMO_INFLUENCIAS_POR_VERTICE; ++k) {
        float weight = joint_weights[k];
        if (weight <= 0.0) continue;
        int joint = clamp(int(joint_indices[k]), 0, NUMERO_MAXIMO_JOINTS_POR_ARMATURE - 1);
        mat4 skin = transformation_matrix[joint] * inverse_bind_matrix[joint];
        position += weight * (skin * bindPosition).xyz;
        normal += weight * (mat3(skin) * gl_Normal);
        totalWeight += weight;
    }
    // A vertex without weights stays where it was modelled.
    if (totalWeight <= 0.0) {
        position = gl_Vertex.xyz;
        normal = gl_Normal;
    }

    vec4 skinned = vec4(position, 1.0);
    gl_Position = ModelViewProjectionMatrix * skinned;
    world_position = (WorldMatrix * skinned).xyz;
    world_normal = (NormalMatrix * vec4(normal, 0.0)).xyz;
    tex_coord = gl_MultiTexCoord0.xy;
}
