#include "gpu/shader_catalogue.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>

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

ShaderProgram* trimmedProgram(ShaderProgram* program, int trims) {
    if (!program || !program->trimmable) return program;
    ShaderProgram* build = program->trimmed[trims];  // none for trim 0
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
