// The thirteen GLSL programs built at start-up, their cached uniform and
// attribute locations and the current program.
#pragma once

#include <cstdint>
#include <string>

#include "gpu/shader_source.h"

struct UniformCacheEntry {
    int32_t location = -1;
    char* name = nullptr;
    int32_t nameCapacity = 0;
};

enum LightMember {
    LIGHT_DIFFUSE,
    LIGHT_ATTENUATION_START,
    LIGHT_POSITION,
    LIGHT_ATTENUATION_END,
    LIGHT_DIRECTION,
    LIGHT_HOTSPOT_BEAM,
    LIGHT_FALLOFF,
    LIGHT_TYPE,
    LIGHT_MEMBER_COUNT
};

constexpr int kMaxLights = 5;
constexpr int kUniformCacheSize = 150;

// What a trimmed build of a mesh program leaves out.
enum ProgramTrim {
    TRIM_SPOT_LIGHTS = 1,  // no spot light is on
    TRIM_SPECULAR = 2,  // the material has no specular colour
    TRIM_SECOND_TEXTURE = 4,  // the draw binds at most one texture
};
constexpr int kProgramTrims = 8;

struct ShaderProgram {
    bool linked = false;
    uint32_t programId = 0;
    ShaderObject* shaders = nullptr;  // vertex stage, then fragment stage
    int shaderCount = 0;
    int32_t jointIndicesAttribute = -1;
    int32_t jointWeightsAttribute = -1;
    UniformCacheEntry uniformCache[kUniformCacheSize];
    int32_t uniformCacheCount = 0;
    int32_t lastHit = -1;
    int32_t lightLocations[kMaxLights][LIGHT_MEMBER_COUNT];
    int32_t specularLocation = -1, emissionLocation = -1, transparencyLocation = -1, numTexturesLocation = -1;
    int32_t textureOffset0Location = -1, textureOffset1Location = -1;
    int32_t normalMatrixLocation = -1, modelViewProjectionLocation = -1, worldMatrixLocation = -1;
    int32_t projectionMatrixLocation = -1, cameraPositionLocation = -1, ambientLocation = -1;
    int32_t lightCountLocation = -1;  // "g_LightCount": one past the highest slot with a light on
    bool cameraDirty = true;
    // Trimmed builds (meshProgram): the files it was built from, the builds
    // by what they leave out, and for a trimmed build its source.
    std::string vertexPath, fragmentPath;
    bool trimmable = false;
    ShaderProgram* trimmed[kProgramTrims] = {};
    ShaderProgram* trimmedFrom = nullptr;
};

struct ShaderCatalogue {
    ShaderProgram* skinnedMeshes = nullptr;
    ShaderProgram* staticMeshes = nullptr;
    ShaderProgram* sprites3d = nullptr;
    ShaderProgram* sprites2d = nullptr;
    ShaderProgram* primitives2d = nullptr;
    ShaderProgram* primitives3d = nullptr;
    ShaderProgram* font2d = nullptr;
    ShaderProgram* contrast = nullptr;
    ShaderProgram* edges = nullptr;
    ShaderProgram* blurX = nullptr;
    ShaderProgram* blurY = nullptr;
    ShaderProgram* screen = nullptr;
    ShaderProgram* oculusRift = nullptr;
    ShaderProgram* current = nullptr;
};

ShaderCatalogue& shaderCatalogue();

// Builds the thirteen programs in order, then the trimmed builds of the two
// mesh programs; false at the first of the thirteen that does not link.
bool buildCatalogue();
// Never fails as a call; linked tells success. defines go after the header.
ShaderProgram* createProgram(const char* vertexPath, const char* fragmentPath, const char* defines = "");
// The build of a mesh program that leaves out trims (ProgramTrim flags), or
// program itself when there is none or it did not link.
ShaderProgram* trimmedProgram(ShaderProgram* program, int trims);
int32_t uniformLocation(ShaderProgram* program, const char* name);
