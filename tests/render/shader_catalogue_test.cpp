#include <GL/glew.h>

#include <cstring>
#include <string>
#include <vector>

#include "gpu/shader_catalogue.h"
#include "render/uniform_upload.h"
#include "scene/actor.h"
#include "scene/light.h"
#include "scene/model.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

class ShaderCatalogueTest : public GlTest {
protected:
    void TearDown() override { shaderCatalogue().current = nullptr; }

    static ShaderProgram* staticMeshes() {
        ShaderProgram* program = createProgram("shaders/static_meshes_vs.glsl", "shaders/default_fs.glsl");
        EXPECT_TRUE(program->linked);
        return program;
    }
};

TEST_F(ShaderCatalogueTest, AllProgramsBuildFromTheShaderFolder) {
    ASSERT_TRUE(buildCatalogue());
    const ShaderCatalogue& c = shaderCatalogue();
    const ShaderProgram* programs[] = {c.skinnedMeshes, c.staticMeshes, c.sprites3d, c.sprites2d, c.primitives2d,
                                       c.primitives3d,  c.font2d,       c.contrast,  c.edges,     c.blurX,
                                       c.blurY,         c.screen,       c.oculusRift};
    for (const ShaderProgram* program : programs) {
        ASSERT_NE(program, nullptr);
        EXPECT_TRUE(program->linked);
    }
    EXPECT_EQ(c.current, nullptr);

    // The names the engine feeds are really used by the mesh programs.
    EXPECT_NE(c.skinnedMeshes->jointIndicesAttribute, -1);
    EXPECT_NE(c.skinnedMeshes->jointWeightsAttribute, -1);
    EXPECT_NE(uniformLocation(c.skinnedMeshes, "transformation_matrix[63]"), -1);
    for (const ShaderProgram* mesh : {c.staticMeshes, c.skinnedMeshes}) {
        for (int member = 0; member < LIGHT_MEMBER_COUNT; ++member)
            EXPECT_NE(mesh->lightLocations[4][member], -1) << "light member " << member;
        EXPECT_NE(mesh->ambientLocation, -1);
        EXPECT_NE(mesh->transparencyLocation, -1);
        EXPECT_NE(mesh->normalMatrixLocation, -1);
        EXPECT_NE(mesh->cameraPositionLocation, -1);
    }
    EXPECT_NE(c.primitives3d->emissionLocation, -1);

    // Samplers read units 0 and 1.
    GLint unit = -1;
    glGetUniformiv(c.staticMeshes->programId, glGetUniformLocation(c.staticMeshes->programId, "shader_texture_ids[1]"),
                   &unit);
    EXPECT_EQ(unit, 1);
}

TEST_F(ShaderCatalogueTest, BrokenShaderLeavesProgramUnlinked) {
    ScratchDir dir;
    const char* vertex = "shaders/static_meshes_vs.glsl";
    EXPECT_FALSE(createProgram(vertex, dir.file("missing_fs.glsl").c_str())->linked);
    EXPECT_FALSE(createProgram(vertex, dir.write("syntax_fs.glsl", "void main() { broken }").c_str())->linked);
    const std::string noMain = dir.write("link_fs.glsl", "void helper() {}\n");  // compiles, cannot link
    EXPECT_FALSE(createProgram(vertex, noMain.c_str())->linked);
}

TEST_F(ShaderCatalogueTest, UniformNameCacheIsBounded) {
    ShaderProgram* program = staticMeshes();
    EXPECT_EQ(uniformLocation(program, "WorldMatrix"), glGetUniformLocation(program->programId, "WorldMatrix"));
    for (int i = 1; i < kUniformCacheSize; ++i)
        EXPECT_EQ(uniformLocation(program, ("undeclared_" + std::to_string(i)).c_str()), -1);
    ASSERT_EQ(program->uniformCacheCount, kUniformCacheSize);

    EXPECT_NE(uniformLocation(program, "WorldMatrix"), -1) << "a cached name is still found";
    EXPECT_EQ(program->lastHit, 0);
    EXPECT_EQ(uniformLocation(program, "ProjectionMatrix"), -1) << "a 151st name is refused";
    EXPECT_EQ(program->uniformCacheCount, kUniformCacheSize);
    EXPECT_EQ(program->lastHit, 0);
    EXPECT_EQ(uniformLocation(program, "undeclared_149"), -1);
    EXPECT_EQ(program->lastHit, 149);
}

static void readVec3(GLuint program, GLint location, float out[3]) { glGetUniformfv(program, location, out); }

TEST_F(ShaderCatalogueTest, LightUploads) {
    ShaderProgram* program = staticMeshes();
    const GLuint id = program->programId;
    const auto& at = program->lightLocations;

    // Stale values that the upload must overwrite.
    glUseProgram(id);
    glUniform1i(at[2][LIGHT_TYPE], LIGHT_TYPE_POINT);
    glUniform3f(at[0][LIGHT_DIRECTION], 9.0f, 9.0f, 9.0f);

    Scene scene;
    scene.ambient[0] = 0.1f, scene.ambient[1] = 0.2f, scene.ambient[2] = 0.3f;
    LIGHT* sun = scene.createLight();  // slot 0
    sun->type = LIGHT_TYPE_DIRECTIONAL;
    sun->position = sun->target = Vector3{5.0f, 5.0f, 5.0f};
    LIGHT* spot = scene.createLight();  // slot 1
    spot->type = LIGHT_TYPE_SPOT;
    spot->colour[0] = 1.0f, spot->colour[1] = 0.5f, spot->colour[2] = 0.25f;
    spot->intensity = 2.0f;
    spot->position = Vector3{0.0f, 10.0f, 0.0f};
    spot->target = Vector3{0.0f, 0.0f, 0.0f};
    spot->attenuationStart = 100.0f, spot->attenuationEnd = 200.0f;
    spot->hotspot = 40.0f, spot->falloff = 60.0f;
    LIGHT* extra = scene.createLight();
    extra->id = 5;  // beyond the shader's five slots
    extra->type = LIGHT_TYPE_POINT;
    setLightingScene(&scene);

    shaderCatalogue().current = nullptr;
    ASSERT_TRUE(makeCurrent(program));
    EXPECT_FALSE(makeCurrent(program));

    float v[3];
    readVec3(id, program->ambientLocation, v);
    EXPECT_FLOAT_EQ(v[2], 0.3f);
    readVec3(id, at[0][LIGHT_DIRECTION], v);
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], 0.0f);

    GLint type = -1;
    glGetUniformiv(id, at[1][LIGHT_TYPE], &type);
    EXPECT_EQ(type, LIGHT_TYPE_SPOT);
    readVec3(id, at[1][LIGHT_DIFFUSE], v);
    EXPECT_FLOAT_EQ(v[0], 2.0f);
    EXPECT_FLOAT_EQ(v[1], 1.0f);
    EXPECT_FLOAT_EQ(v[2], 0.5f);
    readVec3(id, at[1][LIGHT_DIRECTION], v);
    EXPECT_FLOAT_EQ(v[1], 1.0f) << "from the target towards the light";
    float value = 0.0f;
    glGetUniformfv(id, at[1][LIGHT_ATTENUATION_END], &value);
    EXPECT_FLOAT_EQ(value, 200.0f);
    glGetUniformfv(id, at[1][LIGHT_HOTSPOT_BEAM], &value);
    EXPECT_FLOAT_EQ(value, 20.0f);
    glGetUniformfv(id, at[1][LIGHT_FALLOFF], &value);
    EXPECT_FLOAT_EQ(value, 30.0f);

    for (int slot = 2; slot < kMaxLights; ++slot) {
        glGetUniformiv(id, at[slot][LIGHT_TYPE], &type);
        EXPECT_EQ(type, LIGHT_TYPE_NONE) << "slot " << slot;
    }
    setLightingScene(nullptr);
}

TEST_F(ShaderCatalogueTest, SkeletonUploadVisitsChildrenOfSkippedJoints) {
    ShaderProgram* program = createProgram("shaders/skinned_meshes_vs.glsl", "shaders/default_fs.glsl");
    ASSERT_TRUE(program->linked);
    ShaderProgram* saved = shaderCatalogue().skinnedMeshes;
    shaderCatalogue().skinnedMeshes = program;
    shaderCatalogue().current = nullptr;
    makeCurrent(program);

    // root (index 64) -> a (3) -> c (1); a's sibling b (7)
    Skeleton skeleton;
    skeleton.createJoints(4);
    Joint* root = skeleton.joints[0];
    Joint* a = skeleton.joints[1];
    Joint* b = skeleton.joints[2];
    Joint* c = skeleton.joints[3];
    root->index = 64, a->index = 3, b->index = 7, c->index = 1;
    root->firstChild = a;
    a->nextSibling = b;
    a->firstChild = c;
    a->parent = b->parent = root;
    c->parent = a;
    skeleton.addRoot(root);
    for (int i = 0; i < 4; ++i) {
        Joint* joint = skeleton.joints[i];
        matrixTranslation(joint->world, static_cast<float>(joint->index), 0.0f, 0.0f);
        matrixScale(joint->inverseBind, static_cast<float>(joint->index), 1.0f, 1.0f);
    }
    uploadSkeleton(&skeleton);

    for (const Joint* joint : {a, b, c}) {
        const std::string index = std::to_string(joint->index);
        float m[16];
        glGetUniformfv(program->programId,
                       glGetUniformLocation(program->programId, ("transformation_matrix[" + index + "]").c_str()), m);
        EXPECT_EQ(m[12], static_cast<float>(joint->index));
        glGetUniformfv(program->programId,
                       glGetUniformLocation(program->programId, ("inverse_bind_matrix[" + index + "]").c_str()), m);
        EXPECT_EQ(m[0], static_cast<float>(joint->index));
    }
    for (int i = 0; i < program->uniformCacheCount; ++i)
        EXPECT_EQ(std::strstr(program->uniformCache[i].name, "[64]"), nullptr) << program->uniformCache[i].name;
    EXPECT_EQ(program->uniformCacheCount, 1 + 3 * 2);

    shaderCatalogue().skinnedMeshes = saved;
}

// The web build hands the same files to WebGL 2 behind the GLSL ES 3.00
// header; Mesa compiles that dialect too, so a shader edit that a browser
// would reject fails here. The mesh programs also with everything trimmed.
TEST_F(ShaderCatalogueTest, EveryProgramCompilesAsGlslEs) {
    ASSERT_TRUE(buildCatalogue());
    const ShaderCatalogue& c = shaderCatalogue();
    for (const ShaderProgram* program :
         {c.skinnedMeshes, c.staticMeshes, c.sprites3d, c.sprites2d, c.primitives2d, c.primitives3d, c.font2d,
          c.contrast, c.edges, c.blurX, c.blurY, c.screen, c.oculusRift}) {
        std::vector<const char*> variants = {""};
        if (program->trimmable)
            variants.push_back("#define NO_SPOT_LIGHTS\n#undef ACTIVAR_SPECULAR\n#define SINGLE_TEXTURE\n");
        for (const char* defines : variants) {
            for (ShaderObject shader : {ShaderObject{"", kVertexStage}, ShaderObject{"", kFragmentStage}}) {
                const std::string& path = shader.stage == kVertexStage ? program->vertexPath : program->fragmentPath;
                ASSERT_TRUE(buildShaderSource(&shader, path.c_str(), defines, GLSL_ES_300));
                EXPECT_EQ(shader.source.rfind("#version 300 es\n", 0), 0u) << path;
                std::string log;
                EXPECT_TRUE(checkShaderCompiles(shader, &log)) << path << defines << "\n" << log;
            }
        }
    }
}
