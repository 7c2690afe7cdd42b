// Meshes skinned here, exactly as the processor skins them: each vertex is
// moved by up to four joints, weighted. A joint's matrix takes the bind-pose
// vertex into the joint's space (inverse bind) and out again at its posed
// place (transformation). A vertex's joint slots are mesh-local numbers;
// mesh_joints turns them into the skeleton joints whose matrices were
// uploaded, -1 for one that does not exist. Weights on such slots are
// skipped, and a vertex left without weights ends at the origin.

in vec4 joint_indices;
in vec4 joint_weights;

uniform mat4 bind_shape_matrix;
uniform mat4 transformation_matrix[NUMERO_MAXIMO_JOINTS_POR_ARMATURE];
uniform mat4 inverse_bind_matrix[NUMERO_MAXIMO_JOINTS_POR_ARMATURE];
uniform int mesh_joints[NUMERO_MAXIMO_JOINTS_POR_ARMATURE];

uniform mat4 ModelViewProjectionMatrix;
uniform mat4 WorldMatrix;
uniform mat4 NormalMatrix;

out vec3 world_position;
out vec3 world_normal;
out vec2 tex_coord;

void main() {
    vec4 bindPosition = bind_shape_matrix * vec4(gl_Vertex.xyz, 1.0);
    vec4 position = vec4(0.0);
    vec3 normal = vec3(0.0);
    for (int k = 0; k < NUMERO_MAXIMO_INFLUENCIAS_POR_VERTICE; ++k) {
        float weight = joint_weights[k];
        float slot = joint_indices[k];
        if (!(weight > 0.0) || !(slot > -1.0 && slot < float(NUMERO_MAXIMO_JOINTS_POR_ARMATURE))) continue;
        int joint = mesh_joints[int(slot)];
        if (joint < 0) continue;
        position += weight * (transformation_matrix[joint] * (inverse_bind_matrix[joint] * bindPosition));
        normal += weight * (mat3(transformation_matrix[joint]) * (mat3(inverse_bind_matrix[joint]) * gl_Normal));
    }
    if (dot(normal, normal) > 0.0) normal = normalize(normal);

    vec4 skinned = vec4(position.xyz, 1.0);
    gl_Position = ModelViewProjectionMatrix * skinned;
    world_position = (WorldMatrix * skinned).xyz;
    world_normal = (NormalMatrix * vec4(normal, 0.0)).xyz;
    tex_coord = gl_MultiTexCoord0.xy;
}
