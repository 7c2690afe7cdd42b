#include "render/uniform_upload.h"

#include <GL/glew.h>

#include <cstdio>

#include "gpu/shader_catalogue.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/math.h"
#include "scene/model.h"

static bool spotLightOn() {
    const Scene* scene = lightingScene();
    if (!scene) return false;
    for (const ACTOR* actor = scene->lights; actor; actor = actor->next) {
        const LIGHT* light = static_cast<const LIGHT*>(actor);
        if (light->id >= 0 && light->id < kMaxLights && light->type == LIGHT_TYPE_SPOT) return true;
    }
    return false;
}

ShaderProgram* meshProgram(ShaderProgram* program, const Material* material, int textureCount) {
    if (!program || !program->trimmable || !material) return program;
    int trim = 0;
    if (!spotLightOn()) trim |= TRIM_SPOT_LIGHTS;
    // Zero times the highlight adds nothing, so the highlight can go.
    if (material->specular[0] == 0.0f && material->specular[1] == 0.0f && material->specular[2] == 0.0f)
        trim |= TRIM_SPECULAR;
    if (textureCount <= 1) trim |= TRIM_SECOND_TEXTURE;
    return trimmedProgram(program, trim);
}

bool makeCurrent(ShaderProgram* program) {
    if (!program || shaderCatalogue().current == program) return false;
    shaderCatalogue().current = program;
    program->lastHit = -1;
    program->cameraDirty = true;
    glUseProgram(program->programId);
    uploadLights(program);
    return true;
}

void uploadLights(ShaderProgram* program) {
    const Scene* scene = lightingScene();
    if (!scene || !program) return;
    if (shaderCatalogue().current && program->ambientLocation != -1)
        glUniform3f(program->ambientLocation, scene->ambient[0], scene->ambient[1], scene->ambient[2]);

    bool used[kMaxLights] = {};
    int lightCount = 0;
    for (const ACTOR* actor = scene->lights; actor; actor = actor->next) {
        const LIGHT* light = static_cast<const LIGHT*>(actor);
        if (light->id < 0 || light->id >= kMaxLights) continue;
        const int32_t* at = program->lightLocations[light->id];
        used[light->id] = true;
        if (light->type != LIGHT_TYPE_NONE && light->id >= lightCount) lightCount = light->id + 1;

        if (at[LIGHT_TYPE] != -1) glUniform1i(at[LIGHT_TYPE], light->type);
        if (at[LIGHT_DIFFUSE] != -1)
            glUniform3f(at[LIGHT_DIFFUSE], light->colour[0] * light->intensity, light->colour[1] * light->intensity,
                        light->colour[2] * light->intensity);
        if (light->type == LIGHT_TYPE_POINT || light->type == LIGHT_TYPE_SPOT) {
            if (at[LIGHT_POSITION] != -1)
                glUniform3f(at[LIGHT_POSITION], light->position.x, light->position.y, light->position.z);
            if (at[LIGHT_ATTENUATION_START] != -1) glUniform1f(at[LIGHT_ATTENUATION_START], light->attenuationStart);
            if (at[LIGHT_ATTENUATION_END] != -1) glUniform1f(at[LIGHT_ATTENUATION_END], light->attenuationEnd);
        }
        if (light->type == LIGHT_TYPE_SPOT || light->type == LIGHT_TYPE_DIRECTIONAL) {
            const Vector3 direction = vectorNormalise(vectorSubtract(light->position, light->target));
            if (at[LIGHT_DIRECTION] != -1) glUniform3f(at[LIGHT_DIRECTION], direction.x, direction.y, direction.z);
        }
        if (light->type == LIGHT_TYPE_SPOT) {
            if (at[LIGHT_HOTSPOT_BEAM] != -1) glUniform1f(at[LIGHT_HOTSPOT_BEAM], light->hotspot * 0.5f);
            if (at[LIGHT_FALLOFF] != -1) glUniform1f(at[LIGHT_FALLOFF], light->falloff * 0.5f);
        }
    }
    for (int slot = 0; slot < kMaxLights; ++slot)
        if (!used[slot] && program->lightLocations[slot][LIGHT_TYPE] != -1)
            glUniform1i(program->lightLocations[slot][LIGHT_TYPE], LIGHT_TYPE_NONE);
    if (program->lightCountLocation != -1) glUniform1i(program->lightCountLocation, lightCount);
}

void uploadTransforms(ShaderProgram* program) {
    const CAMERA3D* camera = currentCamera();
    const MatrixStack* stack = modelStack();
    if (!program || !camera || !stack) return;
    const Matrix4& world = *stack->top;

    if (program->modelViewProjectionLocation != -1) {
        Matrix4 viewProjection, modelViewProjection;
        matrixMultiply(viewProjection, camera->projection(), camera->view());
        matrixMultiply(modelViewProjection, viewProjection, world);
        glUniformMatrix4fv(program->modelViewProjectionLocation, 1, GL_FALSE, modelViewProjection.m);
    }
    if (program->cameraDirty) {
        program->cameraDirty = false;
        if (program->cameraPositionLocation != -1)
            glUniform3f(program->cameraPositionLocation, camera->position.x, camera->position.y, camera->position.z);
        if (program->projectionMatrixLocation != -1)
            glUniformMatrix4fv(program->projectionMatrixLocation, 1, GL_FALSE, camera->projection().m);
    }
    if (program->worldMatrixLocation != -1) glUniformMatrix4fv(program->worldMatrixLocation, 1, GL_FALSE, world.m);
    if (program->normalMatrixLocation != -1) {
        // A singular world matrix leaves the copy as it is.
        Matrix4 inverse = world, normalMatrix;
        matrixInverse(world, inverse);
        matrixTranspose(normalMatrix, inverse);
        glUniformMatrix4fv(program->normalMatrixLocation, 1, GL_FALSE, normalMatrix.m);
    }
}

void uploadMaterial(const Material* material, float itemAlpha) {
    const ShaderProgram* program = shaderCatalogue().current;
    if (!program || !material) return;
    // Location -1 is ignored by OpenGL.
    glUniform3fv(program->emissionLocation, 1, material->emission);
    glUniform3fv(program->specularLocation, 1, material->specular);
    glUniform1f(program->transparencyLocation, material->alpha * itemAlpha);
    glUniform2f(program->textureOffset0Location, material->textureOffset0[0], material->textureOffset0[1]);
    glUniform2f(program->textureOffset1Location, material->textureOffset1[0], material->textureOffset1[1]);
}

constexpr int kMaxJointsUploaded = 64;  // NUMERO_MAXIMO_JOINTS_POR_ARMATURE

static void uploadJointMatrix(ShaderProgram* program, const char* arrayName, int index, const Matrix4& matrix) {
    char name[64];
    std::snprintf(name, sizeof name, "%s[%lu]", arrayName, static_cast<unsigned long>(index));
    const int32_t location = uniformLocation(program, name);
    if (location != -1) glUniformMatrix4fv(location, 1, GL_FALSE, matrix.m);
}

// Depth first: the joint, then each child subtree in sibling order. Joints
// outside the shader's arrays upload nothing but their children still do.
static void uploadJointTree(ShaderProgram* program, const Joint* joint) {
    if (joint->index >= 0 && joint->index < kMaxJointsUploaded) {
        uploadJointMatrix(program, "transformation_matrix", joint->index, joint->world);
        uploadJointMatrix(program, "inverse_bind_matrix", joint->index, joint->inverseBind);
    }
    for (const Joint* child = joint->firstChild; child; child = child->nextSibling) uploadJointTree(program, child);
}

// The skinned-mesh program the joint uploads go to: the current program when
// it is a trimmed build of it.
static ShaderProgram* skinnedProgram() {
    ShaderProgram* current = shaderCatalogue().current;
    if (current && current->trimmedFrom && current->trimmedFrom == shaderCatalogue().skinnedMeshes) return current;
    return shaderCatalogue().skinnedMeshes;
}

void uploadMeshJoints(const MeshPart* part, const Skeleton* skeleton) {
    ShaderProgram* program = skinnedProgram();
    if (!program || !part || !skeleton) return;
    const int32_t location = uniformLocation(program, "mesh_joints");
    if (location == -1) return;
    GLint joints[kMaxJointsUploaded];
    for (int slot = 0; slot < kMaxJointsUploaded; ++slot) {
        joints[slot] = -1;
        if (!part->jointIndices || slot >= part->jointCount || !skeleton->joints) continue;
        const int jointIndex = part->jointIndices[slot];
        if (jointIndex < 0 || jointIndex >= skeleton->jointCount || !skeleton->joints[jointIndex]) continue;
        const int uploaded = skeleton->joints[jointIndex]->index;
        if (uploaded >= 0 && uploaded < kMaxJointsUploaded) joints[slot] = uploaded;
    }
    glUniform1iv(location, kMaxJointsUploaded, joints);
}

void uploadSkeleton(const Skeleton* skeleton) {
    ShaderProgram* program = skinnedProgram();
    if (!program || !skeleton) return;
    const int32_t bindShape = uniformLocation(program, "bind_shape_matrix");
    if (bindShape != -1) glUniformMatrix4fv(bindShape, 1, GL_FALSE, skeleton->bindShapeMatrix.m);
    for (const SkeletonRoot* root = skeleton->roots; root; root = root->next)
        if (root->joint) uploadJointTree(program, root->joint);
}
