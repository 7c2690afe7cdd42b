#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/sprite.h"
#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "gpu/shader_catalogue.h"
#include "scene/camera.h"
#include "scene/model.h"
#include "tests/support/test_images.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

namespace {

class SpriteTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (!modelStack()) {
            static MatrixStack stack;
            stack.create(64);
            setModelStack(&stack);
        }
        modelStack()->loadIdentity();
        setCurrentCamera(&camera);
    }
    void TearDown() override { setCurrentCamera(nullptr); }

    // The one item a sprite appends; fails the test when there is not exactly one.
    RenderItem onlyItem() {
        std::vector<RenderItem>& opaque = scene.opaque.items;
        std::vector<RenderItem>& transparent = scene.transparent.items;
        EXPECT_EQ(opaque.size() + transparent.size(), 1u);
        RenderItem item = opaque.empty() ? transparent.at(0) : opaque.at(0);
        opaque.clear();
        transparent.clear();
        return item;
    }

    Scene scene;
    CAMERA3D camera;
};

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-5f) << "element " << i;
}

TEST_F(SpriteTest, NewSpriteIsAUnitQuadWithMarkerNormalsUploaded) {
    SPRITE3D sprite;
    EXPECT_FALSE(sprite.quadDirty);
    EXPECT_EQ(sprite.billboardMode, 0);
    const Vertex* v = sprite.quad->vertices;
    const float expected[4][4] = {{-0.5f, -0.5f, 0, 1}, {-0.5f, 0.5f, 0, 0}, {0.5f, 0.5f, 1, 0}, {0.5f, -0.5f, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].position[0], expected[i][0]);
        EXPECT_EQ(v[i].position[1], expected[i][1]);
        EXPECT_EQ(v[i].position[2], 0.0f);
        EXPECT_EQ(v[i].position[3], 1.0f);
        EXPECT_EQ(v[i].uv0[0], expected[i][2]);
        EXPECT_EQ(v[i].uv0[1], expected[i][3]);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(v[i].normal[k], float(30 + 10 * i + k));
    }
    // The GL buffer holds the CPU copy; the index buffer the two triangles.
    Vertex uploaded[4];
    bindArrayBuffer(GLuint(sprite.quad->vertexBuffer));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof uploaded, uploaded);
    EXPECT_EQ(std::memcmp(uploaded, v, sizeof uploaded), 0);
    uint16_t indices[6] = {};
    bindElementBuffer(GLuint(sprite.quad->part->indexBuffer));
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof indices, indices);
    EXPECT_EQ(std::vector<uint16_t>(indices, indices + 6), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));

    // Its own texture: not shared, no pixels, no GL object yet.
    const Texture* texture = sprite.spriteTexture();
    EXPECT_EQ(texture->refCount, 0u);
    EXPECT_EQ(texture->glName, -1);
    EXPECT_EQ(texture->image->pixels, nullptr);
}

TEST_F(SpriteTest, SizeAndFlipsRewriteTheQuad) {
    SPRITE3D sprite;
    sprite.flipX = true;
    sprite.setSize(10.0f, 5.0f);
    const Vertex* v = sprite.quad->vertices;
    EXPECT_EQ(v[0].position[0], -5.0f);
    EXPECT_EQ(v[0].position[1], -2.5f);
    EXPECT_EQ(v[2].position[0], 5.0f);
    EXPECT_EQ(v[2].position[1], 2.5f);
    const float u[4] = {v[0].uv0[0], v[1].uv0[0], v[2].uv0[0], v[3].uv0[0]};
    EXPECT_EQ(std::vector<float>(u, u + 4), (std::vector<float>{1, 1, 0, 0}));

    sprite.flipX = false;
    sprite.flipY = true;
    sprite.updateQuad();
    const float t[4] = {v[0].uv0[1], v[1].uv0[1], v[2].uv0[1], v[3].uv0[1]};
    EXPECT_EQ(std::vector<float>(t, t + 4), (std::vector<float>{0, 1, 1, 0}));
    EXPECT_EQ(v[0].uv0[0], 0.0f);
}

TEST_F(SpriteTest, ImageFileGivesASharedTextureAndTenWideSize) {
    ScratchDir dir;
    const std::string path = dir.write("wide.png", rgbaPng(4, 2, std::vector<unsigned char>(32, 255)));
    SPRITE3D sprite;
    sprite.setImageFile(path.c_str());
    EXPECT_EQ(sprite.spriteTexture(), findTexture(path.c_str()));
    EXPECT_EQ(sprite.spriteTexture()->refCount, 1u);
    EXPECT_EQ(sprite.width, 10.0f);
    EXPECT_EQ(sprite.height, 5.0f);
    // A file that does not decode leaves a square instead of 0/0.
    sprite.setImageFile(dir.file("missing.png").c_str());
    EXPECT_EQ(sprite.height, 10.0f);
}

TEST_F(SpriteTest, AlphaChoosesTheQueue) {
    SPRITE3D sprite;
    sprite.position = Vector3{1.0f, 2.0f, 3.0f};
    sprite.alpha = 0.99f;
    sprite.appendItems(&scene);
    ASSERT_EQ(scene.transparent.items.size(), 1u);
    const RenderItem item = onlyItem();
    EXPECT_EQ(item.part, sprite.quad->part);
    EXPECT_EQ(item.cullMode, CullMode::None);  // seen from both sides
    EXPECT_FLOAT_EQ(item.itemAlpha, 0.99f);
    EXPECT_EQ(item.position[2], 3.0f);

    sprite.alpha = 1.0f;
    sprite.appendItems(&scene);
    EXPECT_EQ(scene.opaque.items.size(), 1u);
    onlyItem();
}

TEST_F(SpriteTest, WithoutACameraNothingIsAppended) {
    setCurrentCamera(nullptr);
    CAMERA3D* savedDefault = defaultCamera();
    setDefaultCamera(nullptr);
    SPRITE3D sprite;
    const int depth = modelStack()->index;
    sprite.appendItems(&scene);
    EXPECT_TRUE(scene.opaque.items.empty());
    EXPECT_TRUE(scene.transparent.items.empty());
    EXPECT_EQ(modelStack()->index, depth);
    setDefaultCamera(savedDefault);
}

TEST_F(SpriteTest, OnAFullStackNothingIsAppendedAndTheCallersLevelStays) {
    MatrixStack* stack = modelStack();
    const int depth = stack->index;
    while (stack->index + 1 < stack->capacity) stack->push();
    Matrix4 callers;
    matrixTranslation(callers, 5.0f, 6.0f, 7.0f);
    stack->load(callers);
    SPRITE3D sprite;
    sprite.position = Vector3{1.0f, 2.0f, 3.0f};
    sprite.appendItems(&scene);
    EXPECT_TRUE(scene.opaque.items.empty());
    const int full = stack->index;
    Matrix4 top;
    stack->readTop(top);
    while (stack->index > depth) stack->pop();
    EXPECT_EQ(full, stack->capacity - 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(top.m[i], callers.m[i]);
}

TEST_F(SpriteTest, BillboardModesTurnTheQuad) {
    SPRITE3D sprite;
    Matrix4 expected;

    // Mode 2, camera straight along +z: the angle is minus the camera's yaw.
    sprite.billboardMode = 2;
    camera.position = Vector3{0.0f, 0.0f, 10.0f};
    camera.rotation = Vector3{0.2f, 0.3f, 0.0f};
    sprite.appendItems(&scene);
    matrixRotation(expected, -0.3f, 0.0f, 1.0f, 0.0f);
    expectMatrixNear(onlyItem().world, expected);
    // Camera along +x: a quarter turn more.
    camera.position = Vector3{10.0f, 0.0f, 0.0f};
    sprite.appendItems(&scene);
    matrixRotation(expected, -1.5707964f - 0.3f, 0.0f, 1.0f, 0.0f);
    expectMatrixNear(onlyItem().world, expected);

    // Mode 1: the camera's pitch, applied after the sprite's own matrix.
    sprite.billboardMode = 1;
    sprite.position = Vector3{5.0f, 0.0f, 0.0f};
    sprite.appendItems(&scene);
    Matrix4 translation, pitch;
    matrixTranslation(translation, 5.0f, 0.0f, 0.0f);
    matrixRotation(pitch, 0.2f, 1.0f, 0.0f, 0.0f);
    matrixMultiply(expected, translation, pitch);
    expectMatrixNear(onlyItem().world, expected);

    // Mode 0: flips turn the quad over by half a turn.
    sprite.billboardMode = 0;
    sprite.position = Vector3{0.0f, 0.0f, 0.0f};
    sprite.flipX = true;
    sprite.appendItems(&scene);
    matrixRotation(expected, 3.1415927f, 0.0f, 1.0f, 0.0f);
    expectMatrixNear(onlyItem().world, expected);
    EXPECT_EQ(modelStack()->index, 0);
}

TEST_F(SpriteTest, ScreenSpriteCornersAndFlips) {
    SPRITE_BASE sprite;
    sprite.createBlankImage(0, 16, 8, 0, 0);
    drawSpriteScreen(sprite, 100, 50, 1.0f, 2.0f, 16, 8);
    const Vertex* v = sprite.quad->vertices;
    EXPECT_EQ(v[0].position[0], 100.0f);
    EXPECT_EQ(v[0].position[1], 50.0f);
    EXPECT_EQ(v[2].position[0], 116.0f);
    EXPECT_EQ(v[2].position[1], 66.0f);
    EXPECT_EQ(v[2].uv0[0], 1.0f);
    EXPECT_EQ(v[2].uv0[1], 1.0f);
    // Flipped about the anchor corner: it reaches left of x.
    sprite.flipX = true;
    drawSpriteScreen(sprite, 100, 50, 1.0f, 1.0f, 8, 8);
    EXPECT_EQ(v[2].position[0], 92.0f);
    EXPECT_EQ(v[2].uv0[0], 0.5f);
}

TEST_F(SpriteTest, ScreenSpriteShowsItsTexture) {
    if (!shaderCatalogue().sprites2d && !buildCatalogue()) GTEST_SKIP() << "the shader catalogue does not build";
    SPRITE_BASE sprite;
    sprite.createBlankImage(0, 1, 1, 0, 0);
    const unsigned char green[4] = {0, 255, 0, 255};
    std::copy(green, green + 4, sprite.spriteTexture()->image->pixels);
    sprite.spriteTexture()->needsUpload = true;
    // The fixed state that the renderer's start-up sets.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    setViewportAndScissor(0, 0, 64, 64);
    clearFrame(0.0f, 0.0f, 0.0f);
    shaderCatalogue().current = nullptr;
    begin2D();
    drawSpriteScreen(sprite, 0, 0, 1920.0f, 1080.0f, 1, 1);
    end2D();
    unsigned char rgba[4];
    readPixel(32, 32, rgba);
    EXPECT_EQ(rgba[1], 255);
    EXPECT_EQ(rgba[0], 0);
}

}  // namespace
