#include "render/mesh_draw.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "scene/render_queue.h"
#include "render/renderer.h"
#include "gpu/shader_catalogue.h"
#include "scene/camera.h"
#include "tests/support/gl_test_context.h"

namespace {

class MeshDrawTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ensureTestRenderer();
        shaderCatalogue().current = nullptr;
        modelStack()->loadIdentity();
    }
};

// A one-triangle mesh with real buffers and a material with `textures` slots.
struct TestMesh {
    Mesh mesh;
    RenderItem item;

    explicit TestMesh(int textures = 0) {
        mesh.vertexCount = 3;
        mesh.vertexBytes = 3 * static_cast<int>(sizeof(Vertex));
        mesh.vertices = new Vertex[3]();
        MeshPart* part = mesh.part = new MeshPart;
        part->indexCount = 3;
        part->indexBytes = 6;
        part->indices = new uint16_t[3]{0, 1, 2};
        GLuint buffers[2];
        glGenBuffers(2, buffers);
        mesh.vertexBuffer = static_cast<int>(buffers[0]);
        part->indexBuffer = static_cast<int>(buffers[1]);
        bindArrayBuffer(buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, mesh.vertexBytes, mesh.vertices, GL_STATIC_DRAW);
        bindElementBuffer(buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, part->indexBytes, part->indices, GL_STATIC_DRAW);
        part->material = new Material;
        part->material->shader = shaderCatalogue().staticMeshes;
        part->material->setTextureSlots(textures);
        for (int i = 0; i < textures; ++i) {
            Texture* texture = part->material->textures[i] = createTexture();
            createBlank(texture, 0, 1, 1, 0, 0);
        }
        item.mesh = &mesh;
        item.part = part;
        item.shader = shaderCatalogue().staticMeshes;
    }
    Material* material() { return mesh.part->material; }
};

bool glFlag(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

GLint glInteger(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

int g_useProgramCalls = 0;
PFNGLUSEPROGRAMPROC g_realUseProgram = nullptr;
void GLAPIENTRY countUseProgram(GLuint program) {
    ++g_useProgramCalls;
    g_realUseProgram(program);
}

}  // namespace

TEST_F(MeshDrawTest, MaterialDepthBlendAndCullModes) {
    TestMesh triangle;
    Material* material = triangle.material();
    ShaderProgram* program = shaderCatalogue().staticMeshes;
    struct Case {
        DepthMode depthMode;
        bool test, write;
    } cases[] = {{DepthMode::TestOnly, true, false},
                 {DepthMode::WriteOnly, false, true},
                 {DepthMode::TestAndWrite, true, true},
                 {DepthMode::None, false, false}};
    for (const Case& c : cases) {
        material->depthMode = c.depthMode;
        applyMaterial(material, program, 1.0f);
        EXPECT_EQ(glFlag(GL_DEPTH_TEST), c.test) << static_cast<int>(c.depthMode);
        EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK) == GL_TRUE, c.write) << static_cast<int>(c.depthMode);
    }

    material->blendMode = BlendMode::Additive;
    material->cullMode = CullMode::None;
    applyMaterial(material, program, 1.0f);
    EXPECT_TRUE(glFlag(GL_BLEND));
    EXPECT_EQ(glInteger(GL_BLEND_DST_RGB), GL_ONE);
    EXPECT_FALSE(glFlag(GL_CULL_FACE));
    material->blendMode = BlendMode::Off;
    material->cullMode = CullMode::BackFaces;
    applyMaterial(material, program, 1.0f);
    EXPECT_FALSE(glFlag(GL_BLEND));
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    EXPECT_EQ(shaderCatalogue().current, program);
}

// Items end with alpha blending, or without blending where every fragment's
// alpha is exactly 1 (blending would write them unchanged), and their culling.
TEST_F(MeshDrawTest, ItemsEndWithAlphaBlendingUnlessOpaqueAndWithTheItemsCulling) {
    TestMesh triangle(1);
    triangle.material()->blendMode = BlendMode::Additive;
    triangle.material()->cullMode = CullMode::BackFaces;
    triangle.item.cullMode = CullMode::None;
    Texture* texture = triangle.material()->textures[0];
    texture->image->pixels[3] = 254;
    texture->needsUpload = true;
    drawItem(triangle.item);
    EXPECT_TRUE(glFlag(GL_BLEND));
    EXPECT_EQ(glInteger(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(glInteger(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(glFlag(GL_CULL_FACE));

    texture->image->pixels[3] = 255;
    texture->needsUpload = true;
    struct Case {
        float materialAlpha, itemAlpha;
        bool blended;
    } cases[] = {{1.0f, 1.0f, false}, {1.0f, 0.0f, false}, {2.0f, 1.0f, false}, {1.0f, 0.5f, true}, {NAN, 1.0f, true}};
    for (const Case& c : cases) {
        triangle.material()->alpha = c.materialAlpha;
        triangle.item.itemAlpha = c.itemAlpha;
        drawItem(triangle.item);
        EXPECT_EQ(glFlag(GL_BLEND), c.blended) << c.materialAlpha << " x " << c.itemAlpha;
    }
    EXPECT_EQ(glStateCache().boundArrayBuffer, static_cast<uint32_t>(triangle.mesh.vertexBuffer));
    EXPECT_EQ(glStateCache().boundElementBuffer, static_cast<uint32_t>(triangle.mesh.part->indexBuffer));
}

TEST_F(MeshDrawTest, TexturesGoToTheirUnitsAndPendingPixelsUploadOnce) {
    TestMesh triangle(2);
    Texture* first = triangle.material()->textures[0];
    Texture* second = triangle.material()->textures[1];
    const unsigned char cyan[4] = {0, 255, 255, 255};
    std::memcpy(second->image->pixels, cyan, 4);
    second->needsUpload = true;

    drawItem(triangle.item);
    EXPECT_FALSE(second->needsUpload);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), first->glName);
    glActiveTexture(GL_TEXTURE1);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), second->glName);
    unsigned char stored[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, stored);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(std::memcmp(stored, cyan, 4), 0);
}

TEST_F(MeshDrawTest, OnlyFilledTextureSlotsAreBoundAndCounted) {
    TestMesh full(2), partial(2);
    Texture* kept = partial.material()->textures[1];
    destroyTexture(partial.material()->textures[0]);
    delete partial.material()->textures[0];
    partial.material()->textures[0] = nullptr;
    drawItem(full.item);
    drawItem(partial.item);
    // The previous draw's second texture must not stay in play for this one.
    GLint count = -1;
    const ShaderProgram* drawn = shaderCatalogue().current;
    glGetUniformiv(drawn->programId, drawn->numTexturesLocation, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), kept->glName);
}

TEST_F(MeshDrawTest, ConsecutiveItemsOfOneProgramActivateItOnce) {
    TestMesh a, b;
    drawItem(a.item);  // builds the trimmed program it draws with
    shaderCatalogue().current = nullptr;
    g_useProgramCalls = 0;
    g_realUseProgram = __glewUseProgram;
    __glewUseProgram = countUseProgram;
    drawItem(a.item);
    drawItem(b.item);
    drawItem(a.item);
    __glewUseProgram = g_realUseProgram;
    EXPECT_EQ(g_useProgramCalls, 1);
}

TEST_F(MeshDrawTest, ItemsWithoutBuffersOrProgramAreSkipped) {
    TestMesh triangle;
    const int buffer = triangle.mesh.vertexBuffer;
    triangle.mesh.vertexBuffer = -1;
    drawItem(triangle.item);
    triangle.mesh.vertexBuffer = buffer;
    triangle.material()->shader = nullptr;
    drawItem(triangle.item);
    EXPECT_EQ(shaderCatalogue().current, nullptr);
}

TEST_F(MeshDrawTest, LineRecordDrawsASegmentInItsColour) {
    const float from[3] = {-5.0f, 0.0f, 0.0f};
    const float to[3] = {5.0f, 0.0f, 0.0f};
    drawLine(from, to, 1.0f);  // no record yet: nothing happens

    LineRecord* line = createLineRecord();
    ASSERT_EQ(createLineRecord(), line);
    EXPECT_EQ(lineRecord(), line);
    EXPECT_EQ(line->colour[0], 1.0f);
    EXPECT_EQ(line->colour[1], 0.0f);
    EXPECT_EQ(line->alpha, 1.0f);
    EXPECT_TRUE(line->keepDepthTest);
    bindElementBuffer(static_cast<uint32_t>(line->indexBuffer));
    uint16_t indices[6] = {};
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof indices, indices);
    EXPECT_EQ(indices[2], 2);
    EXPECT_EQ(indices[5], 3);

    CAMERA3D camera;
    camera.setPerspective(60.0, 1.0, 1.0, 100.0);
    camera.position = {0.0f, 0.0f, 10.0f};
    camera.lookAt(0.0f, 0.0f, 0.0f);
    CAMERA3D* saved = currentCamera();
    setCurrentCamera(&camera);
    setViewportAndScissor(0, 0, 64, 64);
    clearFrame(0.0f, 0.0f, 0.0f);
    line->keepDepthTest = false;
    drawLine(from, to, 3.0f);
    glFinish();
    setCurrentCamera(saved);

    EXPECT_FALSE(glFlag(GL_DEPTH_TEST));
    EXPECT_EQ(glStateCache().lineWidth, 3.0f);
    unsigned char centre[4], above[4];
    readPixel(32, 32, centre);
    readPixel(32, 50, above);
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(centre[1], 30);
    EXPECT_EQ(above[0], 0);
    Vertex stored[2];
    bindArrayBuffer(static_cast<uint32_t>(line->vertexBuffer));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof stored, stored);
    EXPECT_EQ(stored[1].position[0], 5.0f);
    EXPECT_EQ(stored[1].uv0[1], 1.0f);
    line->keepDepthTest = true;
    setDepthTest(true);
}
