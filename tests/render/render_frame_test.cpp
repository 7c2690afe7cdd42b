// Whole frames drawn on the offscreen context: the queues, the passes, the
// 2D pass and the frame's lasting effects on the scene state.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene/sprite.h"
#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "render/renderer.h"
#include "gpu/shader_catalogue.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"
#include "tests/support/gl_test_context.h"

// ---- frames rendered on the offscreen context ------------------------------

namespace {

// Renderer start-up once per process, for a 64 x 64 screen.
class RenderFrameTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ensureTestRenderer();
    }
};

// A square of half-size `half` facing +z at depth z, textured with one colour.
MODEL3D* addSquare(Scene& scene, float half, float z, const unsigned char rgba[4], float materialAlpha = 1.0f) {
    MODEL3D* model = scene.createModel();
    Mesh* mesh = model->addMesh();
    mesh->vertexCount = 4;
    mesh->vertexBytes = 4 * static_cast<int>(sizeof(Vertex));
    mesh->vertices = new Vertex[4]();
    const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    for (int i = 0; i < 4; ++i) {
        Vertex& v = mesh->vertices[i];
        v.position[0] = corners[i][0];
        v.position[1] = corners[i][1];
        v.position[2] = z;
        v.position[3] = 1.0f;
        v.normal[2] = 1.0f;
        v.uv0[0] = corners[i][0] > 0 ? 1.0f : 0.0f;
        v.uv0[1] = corners[i][1] > 0 ? 0.0f : 1.0f;
    }
    MeshPart* part = model->addMeshPart(mesh);
    part->indexCount = 6;
    part->indexBytes = 12;
    part->indices = new uint16_t[6]{0, 1, 2, 0, 2, 3};

    GLuint buffers[2];
    glGenBuffers(2, buffers);
    mesh->vertexBuffer = static_cast<int>(buffers[0]);
    part->indexBuffer = static_cast<int>(buffers[1]);
    bindArrayBuffer(buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, mesh->vertexBytes, nullptr, GL_DYNAMIC_DRAW);
    bindElementBuffer(buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, part->indexBytes, nullptr, GL_STATIC_DRAW);

    Material* material = part->material = new Material;
    material->alpha = materialAlpha;
    material->shader = shaderCatalogue().staticMeshes;
    material->setTextureSlots(1);
    Texture* texture = material->textures[0] = createTexture();
    createBlank(texture, 0, 2, 2, 0, 0);
    for (int i = 0; i < 4; ++i) std::memcpy(texture->image->pixels + 4 * i, rgba, 4);
    texture->needsUpload = true;
    model->upload();
    return model;
}

// A scene with a camera on +z looking at the origin; becomes current. With
// a light (switched off) it becomes the lighting scene, so its ambient
// colour reaches the shaders.
Scene* newScene(bool withLight = true) {
    Scene* scene = new Scene;
    scene->ambient[0] = scene->ambient[1] = scene->ambient[2] = 0.5f;
    if (withLight) scene->createLight();
    CAMERA3D* camera = scene->createCamera();
    camera->setPerspective(60.0, 1.0, 1.0, 100.0);
    camera->position = {0.0f, 0.0f, 10.0f};
    camera->lookAt(0.0f, 0.0f, 0.0f);
    return scene;
}

void drawFrame() {
    shaderCatalogue().current = nullptr;  // as the main loop does each frame
    clearFrame(0.0f, 0.0f, 0.0f);
    renderFrame();
    glFinish();
}

struct Pixel {
    unsigned char r, g, b, a;
};
Pixel pixelAt(int x, int y) {
    unsigned char rgba[4];
    readPixel(x, y, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

const unsigned char kRed[4] = {255, 0, 0, 255};
const unsigned char kGreen[4] = {0, 255, 0, 255};
const unsigned char kBlue[4] = {0, 0, 255, 255};

}  // namespace

TEST_F(RenderFrameTest, LitTexturedSquare) {
    Scene* scene = newScene(false);
    LIGHT* sun = scene->createLight();
    sun->type = LIGHT_TYPE_DIRECTIONAL;
    sun->position = {0.0f, 0.0f, 10.0f};
    sun->target = {0.0f, 0.0f, 0.0f};
    sun->colour[0] = sun->colour[1] = sun->colour[2] = 1.0f;
    addSquare(*scene, 2.0f, 0.0f, kGreen);

    drawFrame();
    EXPECT_EQ(lightingScene(), scene);
    const Pixel centre = pixelAt(32, 32);
    EXPECT_GT(centre.g, 200);  // ambient 0.5 plus the light
    EXPECT_LT(centre.r, 30);
    const Pixel corner = pixelAt(1, 1);
    EXPECT_EQ(corner.g, 0);

    // Switching the light off leaves the ambient half.
    sun->type = LIGHT_TYPE_NONE;
    drawFrame();
    EXPECT_NEAR(pixelAt(32, 32).g, 128, 6);
    delete scene;
}

// The shaders stop at the highest slot with a light on: a light after an
// unused slot still counts. The square has its box, so it goes through the
// view culling too.
TEST_F(RenderFrameTest, LightAfterAnOffSlotLightsABoundedSquare) {
    Scene* scene = newScene(false);
    scene->createLight();  // slot 0 stays off
    LIGHT* sun = scene->createLight();
    sun->type = LIGHT_TYPE_DIRECTIONAL;
    sun->position = {0.0f, 0.0f, 10.0f};
    sun->colour[0] = sun->colour[1] = sun->colour[2] = 1.0f;
    MODEL3D::computeBounds(addSquare(*scene, 2.0f, 0.0f, kGreen)->meshes);

    drawFrame();
    EXPECT_GT(pixelAt(32, 32).g, 200);  // ambient 0.5 plus the light in slot 1
    delete scene;
}

TEST_F(RenderFrameTest, OpaqueItemsFirstThenTransparentOnes) {
    Scene* scene = newScene();
    // The transparent square is emitted first and lies in front.
    addSquare(*scene, 2.0f, 1.0f, kBlue, 0.5f);
    addSquare(*scene, 2.0f, 0.0f, kRed);
    drawFrame();
    const Pixel centre = pixelAt(32, 32);
    EXPECT_GT(centre.r, 20);  // red behind shows through
    EXPECT_GT(centre.b, 20);
    EXPECT_TRUE(scene->opaque.items.empty());
    EXPECT_TRUE(scene->transparent.items.empty());
    delete scene;
}

TEST_F(RenderFrameTest, TwoPassesDrawEveryObjectTwice) {
    Scene* scene = newScene();
    MODEL3D* glass = addSquare(*scene, 2.0f, 0.0f, kBlue, 0.5f);
    glass->meshes->part->material->depthMode = DepthMode::TestOnly;  // the second pass must pass the depth test
    drawFrame();
    const int once = pixelAt(32, 32).b;
    scene->twoPass = true;
    drawFrame();
    const int twice = pixelAt(32, 32).b;
    EXPECT_GT(once, 0);
    EXPECT_GT(twice, once);
    delete scene;
}

TEST_F(RenderFrameTest, SecondGroupIsDrawnOverTheFirst) {
    Scene* scene = newScene();
    addSquare(*scene, 2.0f, 0.0f, kRed);
    MODEL3D* overlay = addSquare(*scene, 2.0f, -1.0f, kGreen);  // behind, but drawn later
    // Move it into the second group.
    scene->groups[0].models->next = nullptr;
    scene->groups[0].modelCount = 1;
    scene->groups[1].models = overlay;
    scene->groups[1].modelCount = 1;
    overlay->meshes->part->material->depthMode = DepthMode::None;
    drawFrame();
    EXPECT_GT(pixelAt(32, 32).g, 100);
    EXPECT_LT(pixelAt(32, 32).r, 30);
    delete scene;
}

TEST_F(RenderFrameTest, SceneWithoutLightsKeepsThePreviousLightingScene) {
    Scene* lit = newScene();
    drawFrame();
    EXPECT_EQ(lightingScene(), lit);
    Scene* dark = newScene(false);
    drawFrame();
    EXPECT_EQ(lightingScene(), lit);
    EXPECT_EQ(currentCamera(), dark->camera);
    delete dark;
    delete lit;
}

TEST_F(RenderFrameTest, ViewIsRebuiltFromTheRotationOnlyOutsideLookAtMode) {
    Scene* scene = newScene();
    CAMERA3D* camera = scene->camera;
    const Matrix4 lookAtView = camera->view();
    camera->rotation.y = 0.5f;
    drawFrame();
    EXPECT_EQ(std::memcmp(&lookAtView, &camera->view(), sizeof(Matrix4)), 0);
    camera->lookAtMode = false;
    drawFrame();
    EXPECT_NE(std::memcmp(&lookAtView, &camera->view(), sizeof(Matrix4)), 0);
    delete scene;
}

// A frame that is updated but not drawn leaves what a drawn one leaves: the
// scene's camera and lights current, the view rebuilt, both queues empty.
TEST_F(RenderFrameTest, SkippedFrameLeavesWhatADrawnFrameLeaves) {
    Scene* previous = newScene();
    drawFrame();
    Scene* scene = newScene();
    addSquare(*scene, 2.0f, 0.0f, kRed);
    CAMERA3D* camera = scene->camera;
    camera->lookAtMode = false;
    camera->rotation.y = 0.5f;
    const RenderItem item{};
    scene->submit(item);
    RenderItem glass;
    glass.itemAlpha = 0.5f;
    scene->submit(glass);

    skipFrameDrawing();
    EXPECT_EQ(currentCamera(), camera);
    EXPECT_EQ(lightingScene(), scene);
    EXPECT_TRUE(scene->opaque.items.empty());
    EXPECT_TRUE(scene->transparent.items.empty());
    const Matrix4 skippedView = camera->view();

    setCurrentCamera(previous->camera);
    setLightingScene(previous);
    camera->viewStack->loadIdentity();
    drawFrame();
    EXPECT_EQ(currentCamera(), camera);
    EXPECT_EQ(lightingScene(), scene);
    EXPECT_EQ(std::memcmp(&skippedView, &camera->view(), sizeof(Matrix4)), 0);
    delete scene;
    delete previous;
}

TEST_F(RenderFrameTest, SkinnedSquareFollowsTheAnimationOnProcessorAndInShader) {
    for (bool onProcessor : {true, false}) {
        Scene* scene = newScene();
        MODEL3D* model = addSquare(*scene, 1.0f, 0.0f, kGreen);
        model->cpuSkinning = onProcessor;
        Mesh* mesh = model->meshes;
        mesh->skinned = true;
        for (int i = 0; i < 4; ++i) mesh->vertices[i].weights[0] = 1.0f;  // slot 0 -> joint 0
        mesh->part->jointCount = 1;
        mesh->part->jointIndices = new int[1]{0};
        mesh->bindPoseCount = 4;
        mesh->bindPoseBytes = mesh->vertexBytes;
        mesh->bindPoseVertices = new Vertex[4];
        std::memcpy(mesh->bindPoseVertices, mesh->vertices, sizeof(Vertex) * 4);
        model->upload();

        model->skeleton = new Skeleton;
        model->skeleton->createJoints(1);
        model->skeleton->addRoot(model->skeleton->joints[0]);
        // Two frames: the position stays below 1, so frame 0 is the one shown.
        model->animation = new KEYFRAME_ANIMATION;
        model->animation->allocateFrames(2, 1);
        matrixTranslation(model->animation->frames[0].matrices[0], 3.0f, 0.0f, 0.0f);

        drawFrame();  // bind pose: in the middle
        model->update();
        drawFrame();  // posed: 3 units (about 17 pixels) to the right
        EXPECT_EQ(pixelAt(32, 32).g, 0) << "processor " << onProcessor;
        EXPECT_GT(pixelAt(49, 32).g, 100) << "processor " << onProcessor;
        delete scene;
    }
}

// A lit 9 x 9 grid skinned by three joints through a non-identity joint map
// (mesh-local 0 -> joint 2, 1 -> joint 0, 2 -> joint 99, which does not
// exist), with a vertex that has no weights; drawn once skinned on the
// processor and once in the shader. Returns the frame's RGBA pixels.
std::vector<unsigned char> drawSkinnedGrid(bool onProcessor) {
    Scene* scene = newScene(false);
    LIGHT* sun = scene->createLight();
    sun->type = LIGHT_TYPE_DIRECTIONAL;
    sun->position = {3.0f, 2.0f, 10.0f};
    sun->colour[0] = sun->colour[1] = sun->colour[2] = 1.0f;
    MODEL3D* model = addSquare(*scene, 1.0f, 0.0f, kGreen);
    model->cpuSkinning = onProcessor;
    Mesh* mesh = model->meshes;
    mesh->skinned = true;
    MeshPart* part = mesh->part;
    constexpr int kSide = 9, kCount = kSide * kSide;
    delete[] mesh->vertices;
    mesh->vertices = new Vertex[kCount]();
    mesh->vertexCount = mesh->bindPoseCount = kCount;
    mesh->vertexBytes = mesh->bindPoseBytes = kCount * static_cast<int>(sizeof(Vertex));
    for (int i = 0; i < kCount; ++i) {
        const float u = static_cast<float>(i % kSide) / (kSide - 1), v = static_cast<float>(i / kSide) / (kSide - 1);
        Vertex& vertex = mesh->vertices[i];
        vertex.position[0] = 4.0f * u - 2.0f;
        vertex.position[1] = 4.0f * v - 2.0f;
        vertex.position[3] = 1.0f;
        vertex.normal[2] = 1.0f;
        vertex.uv0[0] = u;
        vertex.uv0[1] = v;
        vertex.jointSlots[0] = 0.0f;
        vertex.jointSlots[1] = 1.0f;
        vertex.jointSlots[2] = 2.0f;  // joint 99: skipped
        vertex.jointSlots[3] = 5.0f;  // no such slot: skipped
        vertex.weights[0] = u;
        vertex.weights[1] = 1.0f - u;
        vertex.weights[2] = v * 0.5f;
        vertex.weights[3] = 0.25f;
    }
    for (float& weight : mesh->vertices[kCount / 2].weights) weight = 0.0f;  // to the origin
    mesh->bindPoseVertices = new Vertex[kCount];
    std::memcpy(mesh->bindPoseVertices, mesh->vertices, sizeof(Vertex) * kCount);
    GLuint buffer = static_cast<GLuint>(mesh->vertexBuffer);
    bindArrayBuffer(buffer);
    glBufferData(GL_ARRAY_BUFFER, mesh->vertexBytes, mesh->vertices, GL_DYNAMIC_DRAW);
    std::vector<uint16_t> indices;
    for (int row = 0; row + 1 < kSide; ++row)
        for (int column = 0; column + 1 < kSide; ++column) {
            const uint16_t a = static_cast<uint16_t>(row * kSide + column), b = a + 1, c = a + kSide, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    delete[] part->indices;
    part->indexCount = static_cast<int>(indices.size());
    part->indexBytes = part->indexCount * 2;
    part->indices = new uint16_t[indices.size()];
    std::copy(indices.begin(), indices.end(), part->indices);
    bindElementBuffer(static_cast<GLuint>(part->indexBuffer));
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, part->indexBytes, part->indices, GL_STATIC_DRAW);
    part->jointCount = 3;
    part->jointIndices = new int[3]{2, 0, 99};

    model->skeleton = new Skeleton;
    model->skeleton->createJoints(3);
    for (int j = 0; j < 3; ++j) model->skeleton->addRoot(model->skeleton->joints[j]);
    model->animation = new KEYFRAME_ANIMATION;
    model->animation->allocateFrames(2, 3);
    Matrix4* pose = model->animation->frames[0].matrices;
    Matrix4 move, turn;
    matrixTranslation(move, 0.8f, 0.3f, 0.0f);
    matrixRotation(turn, 0.3f, 0.0f, 0.0f, 1.0f);
    matrixMultiply(pose[0], move, turn);
    matrixTranslation(pose[1], 0.0f, -3.0f, 0.0f);  // used by no vertex
    matrixTranslation(move, -0.6f, 0.5f, 0.0f);
    matrixRotation(turn, 0.6f, 0.0f, 1.0f, 0.0f);
    matrixMultiply(pose[2], move, turn);
    model->update();
    drawFrame();
    std::vector<unsigned char> pixels(64 * 64 * 4);
    glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    delete scene;
    return pixels;
}

TEST_F(RenderFrameTest, ShaderSkinningPosesAsTheProcessorDoes) {
    const std::vector<unsigned char> processor = drawSkinnedGrid(true);
    const std::vector<unsigned char> shader = drawSkinnedGrid(false);
    int lit = 0, differing = 0;
    for (size_t p = 0; p < processor.size(); p += 4) {
        if (processor[p + 1] > 0) ++lit;
        for (size_t c = 0; c < 3; ++c)
            if (std::abs(processor[p + c] - shader[p + c]) > 2) {
                ++differing;
                break;
            }
    }
    EXPECT_GT(lit, 200);
    EXPECT_EQ(differing, 0);
}

TEST_F(RenderFrameTest, SpritesDrawIn3DAndOnTopIn2D) {
    Scene* scene = newScene();
    addSquare(*scene, 3.0f, 1.0f, kRed);

    // A 3D sprite behind the square, larger, seen from its front.
    SPRITE3D* sky = scene->create3DSprite();
    sky->setSize(20.0f, 20.0f);
    sky->createBlankImage(0, 2, 2, 0, 0);
    Texture* skyTexture = sky->spriteTexture();
    for (int i = 0; i < 4; ++i) std::memcpy(skyTexture->image->pixels + 4 * i, kBlue, 4);
    skyTexture->needsUpload = true;
    drawFrame();
    EXPECT_GT(pixelAt(32, 32).r, 100);
    EXPECT_GT(pixelAt(2, 2).b, 20);

    // A 2D sprite over the middle of the screen wins over the 3D square.
    SPRITE_BASE* badge = scene->create2DSprite();
    badge->createBlankImage(0, 200, 200, 0, 0);
    Texture* badgeTexture = badge->spriteTexture();
    for (int i = 0; i < 200 * 200; ++i) std::memcpy(badgeTexture->image->pixels + 4 * i, kGreen, 4);
    badgeTexture->needsUpload = true;
    badge->position = {860.7f, 440.2f, 0.0f};
    drawFrame();
    EXPECT_GT(pixelAt(32, 32).g, 100);
    EXPECT_LT(pixelAt(32, 32).r, 30);
    EXPECT_EQ(pixelAt(2, 32).g, 0);
    EXPECT_EQ(glStateCache().depthTestEnabled, 1);  // the 2D pass restores depth testing
    delete scene;
}

namespace {
int g_createProgramCalls = 0;
PFNGLCREATEPROGRAMPROC g_realCreateProgram = nullptr;
GLuint GLAPIENTRY countCreateProgram() {
    ++g_createProgramCalls;
    return g_realCreateProgram();
}
}  // namespace

// Trimmed programs leave out only what cannot change a pixel: with a point
// light, then a spot light, a translucent square over an opaque one draws the
// same frame as with the full programs. They are all built at start-up:
// drawing compiles nothing.
TEST_F(RenderFrameTest, TrimmedProgramsDrawWhatTheFullProgramsDraw) {
    Scene* scene = newScene(false);
    LIGHT* lamp = scene->createLight();
    lamp->type = LIGHT_TYPE_POINT;
    lamp->position = {1.0f, 1.0f, 4.0f};
    lamp->colour[0] = 1.0f;
    lamp->colour[1] = 0.8f;
    lamp->colour[2] = 0.6f;
    lamp->attenuationEnd = 20.0f;
    lamp->hotspot = 30.0f;
    lamp->falloff = 60.0f;
    addSquare(*scene, 2.0f, 0.0f, kGreen);
    addSquare(*scene, 1.0f, 1.0f, kRed, 0.5f);
    auto frame = [] {
        drawFrame();
        std::vector<unsigned char> pixels(64 * 64 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    ShaderProgram* full = shaderCatalogue().staticMeshes;
    for (int type : {LIGHT_TYPE_POINT, LIGHT_TYPE_SPOT}) {
        lamp->type = type;
        g_createProgramCalls = 0;
        g_realCreateProgram = __glewCreateProgram;
        __glewCreateProgram = countCreateProgram;
        const std::vector<unsigned char> trimmed = frame();
        __glewCreateProgram = g_realCreateProgram;
        EXPECT_EQ(g_createProgramCalls, 0) << type;
        const int trim = (type == LIGHT_TYPE_SPOT ? 0 : TRIM_SPOT_LIGHTS) | TRIM_SPECULAR | TRIM_SECOND_TEXTURE;
        ASSERT_NE(full->trimmed[trim], nullptr) << type;
        EXPECT_TRUE(full->trimmed[trim]->linked) << type;
        full->trimmable = false;
        EXPECT_TRUE(frame() == trimmed) << type;
        full->trimmable = true;
    }
    delete scene;
}
