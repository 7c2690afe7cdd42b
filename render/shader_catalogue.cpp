#include "render/shader_catalogue.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>

#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/math.h"
#include "scene/model.h"

static ShaderCatalogue g_catalogue;

ShaderCatalogue& shaderCatalogue() { return g_catalogue; }

// ---- building -------------------------------------------------------------

static ShaderObject* addShaderObject(ShaderProgram* program, uint32_t stage) {
    ShaderObject* shader = new ShaderObject;
    shader->stage = stage;
    ShaderObject** link = &program->shaders;
    while (*link) link = &(*link)->next;
    *link = shader;
    ++program->shaderCount;
    return shader;
}

static void lookUpLocations(ShaderProgram* program) {
    const GLuint id = program->programId;
    program->jointIndicesAttribute = glGetAttribLocation(id, "joint_indices");
    program->jointWeightsAttribute = glGetAttribLocation(id, "joint_weights");

    static const struct {
        LightMember member;
        const char* name;
    } kLightMembers[] = {
        {LIGHT_TYPE, "type"},
        {LIGHT_DIFFUSE, "diffuse"},
        {LIGHT_POSITION, "position"},
        {LIGHT_DIRECTION, "direction"},
        {LIGHT_ATTENUATION_START, "attenuation_start"},
        {LIGHT_ATTENUATION_END, "attenuation_end"},
        {LIGHT_HOTSPOT_BEAM, "hotspot_beam"},
        {LIGHT_FALLOFF, "falloff"},
    };
    for (int light = 0; light < kMaxLights; ++light) {
        for (const auto& member : kLightMembers) {
            char name[64];
            std::snprintf(name, sizeof name, "g_Lights[%d].%s", light, member.name);
            program->lightLocations[light][member.member] = glGetUniformLocation(id, name);
        }
    }

    program->specularLocation = glGetUniformLocation(id, "g_DatosMaterial.specular");
    program->emissionLocation = glGetUniformLocation(id, "g_DatosMaterial.emission");
    program->transparencyLocation = glGetUniformLocation(id, "g_DatosMaterial.transparency");
    program->numTexturesLocation = glGetUniformLocation(id, "g_DatosMaterial.numTextures");
    program->textureOffset0Location = glGetUniformLocation(id, "g_DatosMaterial.offset_animacion0");
    program->textureOffset1Location = glGetUniformLocation(id, "g_DatosMaterial.offset_animacion1");
    program->normalMatrixLocation = glGetUniformLocation(id, "NormalMatrix");
    program->modelViewProjectionLocation = glGetUniformLocation(id, "ModelViewProjectionMatrix");
    program->worldMatrixLocation = glGetUniformLocation(id, "WorldMatrix");
    program->projectionMatrixLocation = glGetUniformLocation(id, "ProjectionMatrix");
    program->cameraPositionLocation = glGetUniformLocation(id, "posicion_camara_world");
    program->ambientLocation = glGetUniformLocation(id, "g_LightModel.ambient");
    program->lightCountLocation = glGetUniformLocation(id, "g_LightCount");
}

ShaderProgram* createProgram(const char* vertexPath, const char* fragmentPath, const char* defines) {
    ShaderProgram* program = new ShaderProgram;
    program->vertexPath = vertexPath;
    program->fragmentPath = fragmentPath;
    for (auto& light : program->lightLocations)
        for (int32_t& location : light) location = -1;
    program->programId = glCreateProgram();

    ShaderObject* vertex = addShaderObject(program, GL_VERTEX_SHADER);
    ShaderObject* fragment = addShaderObject(program, GL_FRAGMENT_SHADER);
    if (!createShader(vertex, vertexPath, defines)) return program;
    if (!createShader(fragment, fragmentPath, defines)) return program;
    if (!compileShaders(program)) return program;
    for (ShaderObject* shader = program->shaders; shader; shader = shader->next)
        glAttachShader(program->programId, shader->id);
    if (!linkProgram(program)) return program;

    program->linked = true;
    lookUpLocations(program);

    // Sampler i reads texture unit i, for good; the current-program pointer
    // is left alone although GL's current program changes here.
    glUseProgram(program->programId);
    for (int unit = 0; unit < 2; ++unit) {
        char name[32];
        std::snprintf(name, sizeof name, "shader_texture_ids[%d]", unit);
        const GLint location = glGetUniformLocation(program->programId, name);
        if (location != -1) glUniform1i(location, unit);
    }
    return program;
}

// Every trimmed build of a mesh program, made at start-up so that nothing is
// read or compiled mid-run. A build that fails is kept unlinked: the full
// program then draws in its place.
static void buildTrims(ShaderProgram* program) {
    program->trimmable = true;
    for (int trim = 1; trim < kProgramTrims; ++trim) {
        std::string defines;
        if (trim & TRIM_SPOT_LIGHTS) defines += "#define NO_SPOT_LIGHTS\n";
        if (trim & TRIM_SPECULAR) defines += "#undef ACTIVAR_SPECULAR\n";
        if (trim & TRIM_SECOND_TEXTURE) defines += "#define SINGLE_TEXTURE\n";
        program->trimmed[trim] =
            createProgram(program->vertexPath.c_str(), program->fragmentPath.c_str(), defines.c_str());
        program->trimmed[trim]->trimmedFrom = program;
    }
}

bool buildCatalogue() {
    static const struct {
        ShaderProgram* ShaderCatalogue::*slot;
        const char* vertexPath;
        const char* fragmentPath;
    } kPrograms[] = {
        {&ShaderCatalogue::skinnedMeshes, "shaders/skinned_meshes_vs.glsl", "shaders/default_fs.glsl"},
        {&ShaderCatalogue::staticMeshes, "shaders/static_meshes_vs.glsl", "shaders/default_fs.glsl"},
        {&ShaderCatalogue::sprites3d, "shaders/sprite3d_vs.glsl", "shaders/sprite3d_fs.glsl"},
        {&ShaderCatalogue::sprites2d, "shaders/2d_sprites_vs.glsl", "shaders/2d_sprites_fs.glsl"},
        {&ShaderCatalogue::primitives2d, "shaders/2d_passthrough_vs.glsl", "shaders/2d_primitives_fs.glsl"},
        {&ShaderCatalogue::primitives3d, "shaders/3d_primitives_vs.glsl", "shaders/3d_primitives_fs.glsl"},
        {&ShaderCatalogue::font2d, "shaders/2d_sprites_vs.glsl", "shaders/2d_font_fs.glsl"},
        {&ShaderCatalogue::contrast, "shaders/2d_passthrough_vs.glsl", "shaders/contrast_fs.glsl"},
        {&ShaderCatalogue::edges, "shaders/2d_passthrough_vs.glsl", "shaders/edges_fs.glsl"},
        {&ShaderCatalogue::blurX, "shaders/2d_passthrough_vs.glsl", "shaders/blur_x_fs.glsl"},
        {&ShaderCatalogue::blurY, "shaders/2d_passthrough_vs.glsl", "shaders/blur_y_fs.glsl"},
        {&ShaderCatalogue::screen, "shaders/2d_passthrough_vs.glsl", "shaders/screen_fs.glsl"},
        {&ShaderCatalogue::oculusRift, "shaders/OculusRift_vs.glsl", "shaders/OculusRift_fs.glsl"},
    };
    for (const auto& entry : kPrograms) {
        ShaderProgram* program = createProgram(entry.vertexPath, entry.fragmentPath);
        g_catalogue.*entry.slot = program;
        if (!program->linked) return false;
    }
    for (ShaderProgram* program : {g_catalogue.skinnedMeshes, g_catalogue.staticMeshes}) buildTrims(program);
    g_catalogue.current = nullptr;
    return true;
}

// ---- trimmed mesh programs ------------------------------------------------

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
    ShaderProgram* build = program->trimmed[trim];  // none for trim 0
    return build && build->linked ? build : program;
}

// ---- uniform name cache ---------------------------------------------------

int32_t uniformLocation(ShaderProgram* program, const char* name) {
    // Searching on from the last hit makes names asked in the same order
    // every draw cost one comparison each.
    const int32_t count = program->uniformCacheCount;
    int32_t i = program->lastHit;
    for (int32_t tries = 0; tries < count; ++tries) {
        if (++i >= count) i = 0;
        if (std::strcmp(program->uniformCache[i].name, name) == 0) {
            program->lastHit = i;
            return program->uniformCache[i].location;
        }
    }
    if (count >= kUniformCacheSize) return -1;  // table full: refuse rather than write past it

    UniformCacheEntry& entry = program->uniformCache[count];
    program->uniformCacheCount = count + 1;
    entry.location = glGetUniformLocation(program->programId, name);
    const int32_t needed = static_cast<int32_t>(std::strlen(name)) + 1;
    if (entry.nameCapacity < needed) {
        delete[] entry.name;
        entry.name = new char[needed];
        entry.nameCapacity = needed;
    }
    std::memcpy(entry.name, name, static_cast<size_t>(needed));
    return entry.location;
}

// ---- uploads --------------------------------------------------------------

bool makeCurrent(ShaderProgram* program) {
    if (!program || g_catalogue.current == program) return false;
    g_catalogue.current = program;
    program->lastHit = -1;
    program->cameraDirty = true;
    glUseProgram(program->programId);
    uploadLights(program);
    return true;
}

void uploadLights(ShaderProgram* program) {
    const Scene* scene = lightingScene();
    if (!scene || !program) return;
    if (g_catalogue.current && program->ambientLocation != -1)
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
    const ShaderProgram* program = g_catalogue.current;
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
    ShaderProgram* current = g_catalogue.current;
    if (current && current->trimmedFrom && current->trimmedFrom == g_catalogue.skinnedMeshes) return current;
    return g_catalogue.skinnedMeshes;
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
