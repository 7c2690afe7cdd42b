#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "scene/model.h"
#include "tests/support/gl_test_context.h"

namespace {

MatrixStack* testModelStack() {
    static MatrixStack stack;
    if (!stack.items) stack.create(64);
    setModelStack(&stack);
    return &stack;
}

Vertex makeVertex(float x, float y, float z) {
    Vertex v = {};
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = 1.0f;
    v.normal[2] = 2.0f;
    v.uv0[0] = 0.25f;
    v.uv0[1] = 0.75f;
    return v;
}

// A skinned mesh whose draw copy and bind-pose copy both hold `vertices`;
// mesh-local joint slot i maps to skeleton joint jointIndices[i].
Mesh* addSkinnedMesh(MODEL3D* model, const std::vector<Vertex>& vertices, const std::vector<int>& jointIndices) {
    Mesh* mesh = model->addMesh();
    mesh->skinned = true;
    const int count = static_cast<int>(vertices.size());
    mesh->vertexCount = mesh->bindPoseCount = count;
    mesh->vertexBytes = mesh->bindPoseBytes = count * static_cast<int>(sizeof(Vertex));
    mesh->vertices = new Vertex[count];
    mesh->bindPoseVertices = new Vertex[count];
    std::copy(vertices.begin(), vertices.end(), mesh->vertices);
    std::copy(vertices.begin(), vertices.end(), mesh->bindPoseVertices);
    MeshPart* part = model->addMeshPart(mesh);
    part->jointCount = static_cast<int>(jointIndices.size());
    part->jointIndices = new int[jointIndices.size()];
    std::copy(jointIndices.begin(), jointIndices.end(), part->jointIndices);
    return mesh;
}

void expectPosition(const Vertex& v, float x, float y, float z) {
    EXPECT_NEAR(v.position[0], x, 1e-5f);
    EXPECT_NEAR(v.position[1], y, 1e-5f);
    EXPECT_NEAR(v.position[2], z, 1e-5f);
    EXPECT_EQ(v.position[3], 1.0f);
}

}  // namespace

TEST(Model, RecordsStartWithIdentityMatrices) {
    Skeleton skeleton;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(skeleton.bindShapeMatrix.m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    skeleton.createJoints(3);
    ASSERT_EQ(skeleton.jointCount, 3);
    EXPECT_EQ(skeleton.joints[2]->index, 2);
    EXPECT_EQ(skeleton.joints[1]->inverseBind.m[5], 1.0f);
    EXPECT_EQ(skeleton.joints[1]->normalMatrix[4], 1.0f);
    skeleton.addRoot(skeleton.joints[0]);
    skeleton.addRoot(skeleton.joints[2]);
    EXPECT_EQ(skeleton.rootCount, 2);
    EXPECT_EQ(skeleton.roots->next->joint, skeleton.joints[2]);

    MODEL3D model;
    MeshPart* part = model.addMeshPart(model.addMesh());
    EXPECT_EQ(part->localMatrix.m[0], 1.0f);
    EXPECT_EQ(part->localMatrix.m[12], 0.0f);
    EXPECT_EQ(part->indexBuffer, -1);
}

TEST(Skinning, VertexWithoutWeightsCollapsesToTheOrigin) {
    MODEL3D model;
    model.skeleton = new Skeleton;
    model.skeleton->createJoints(1);
    Mesh* mesh = addSkinnedMesh(&model, {makeVertex(3.0f, 4.0f, 5.0f)}, {0});
    model.skinOnProcessor();
    expectPosition(mesh->vertices[0], 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(mesh->vertices[0].normal[2], 0.0f);
    EXPECT_EQ(mesh->vertices[0].uv0[1], 0.75f);
    // The bind pose stays untouched.
    EXPECT_EQ(mesh->bindPoseVertices[0].position[0], 3.0f);
}

TEST(Skinning, IdentityJointKeepsVerticesAndRenormalisesNormals) {
    MODEL3D model;
    model.skeleton = new Skeleton;
    model.skeleton->createJoints(1);
    Vertex v = makeVertex(1.0f, -2.0f, 0.5f);
    v.weights[0] = 1.0f;
    Mesh* mesh = addSkinnedMesh(&model, {v, v}, {0});
    model.skinOnProcessor();
    for (int i = 0; i < 2; ++i) {
        expectPosition(mesh->vertices[i], 1.0f, -2.0f, 0.5f);
        EXPECT_FLOAT_EQ(mesh->vertices[i].normal[2], 1.0f);
        EXPECT_EQ(mesh->vertices[i].uv0[0], 0.25f);
    }
}

TEST(Skinning, WeightsOnJointsThatDoNotExistAreSkipped) {
    MODEL3D model;
    model.skeleton = new Skeleton;
    model.skeleton->createJoints(1);
    matrixTranslation(model.skeleton->joints[0]->world, 2.0f, 0.0f, 0.0f);
    Vertex v = makeVertex(1.0f, 1.0f, 1.0f);
    v.jointSlots[0] = 0.0f;  // joint 0, moved by (2, 0, 0)
    v.weights[0] = 0.5f;
    v.jointSlots[1] = 1.0f;  // slot 1 maps to joint 99, which does not exist
    v.weights[1] = 0.5f;
    v.jointSlots[2] = 7.0f;  // no slot 7
    v.weights[2] = 0.25f;
    v.jointSlots[3] = -1e30f;  // absurd slot
    v.weights[3] = 0.25f;
    Mesh* mesh = addSkinnedMesh(&model, {v}, {0, 99});
    model.skinOnProcessor();
    expectPosition(mesh->vertices[0], 1.5f, 0.5f, 0.5f);
}

TEST(Pose, FrameSelectedByThePlaybackPositionPosesTheJointTree) {
    MatrixStack* stack = testModelStack();
    MODEL3D model;
    Skeleton* skeleton = model.skeleton = new Skeleton;
    skeleton->createJoints(2);
    Joint* root = skeleton->joints[0];
    Joint* child = skeleton->joints[1];
    root->firstChild = child;
    child->parent = root;
    skeleton->addRoot(root);
    matrixTranslation(child->local, 0.0f, 0.0f, 7.0f);

    // Without an animation the bind matrices are used.
    model.updatePose();
    EXPECT_EQ(model.currentFrame, nullptr);
    EXPECT_FLOAT_EQ(child->world.m[14], 7.0f);

    model.animation = new KEYFRAME_ANIMATION;
    model.animation->allocateFrames(3, 2);
    matrixTranslation(model.animation->frames[1].matrices[0], 0.0f, 5.0f, 0.0f);
    matrixTranslation(model.animation->frames[1].matrices[1], 1.0f, 0.0f, 0.0f);
    model.animation->position = 0.5f;  // frame (3 - 1) * 0.5 = 1
    model.updatePose();
    EXPECT_EQ(model.currentFrame, &model.animation->frames[1]);
    EXPECT_FLOAT_EQ(root->world.m[13], 5.0f);
    EXPECT_FLOAT_EQ(child->world.m[12], 1.0f);
    EXPECT_FLOAT_EQ(child->world.m[13], 5.0f);
    EXPECT_FLOAT_EQ(child->world.m[14], 0.0f);
    EXPECT_EQ(stack->index, 0);
}

TEST(Update, ScrollsAnimatedMaterialsAdvancesAnimationsAndSkinsOnTheProcessor) {
    testModelStack();
    MODEL3D model;
    model.skeleton = new Skeleton;
    model.skeleton->createJoints(1);
    model.skeleton->addRoot(model.skeleton->joints[0]);
    model.animation = new KEYFRAME_ANIMATION;
    model.animation->allocateFrames(2, 1);
    matrixTranslation(model.animation->frames[0].matrices[0], 0.0f, 3.0f, 0.0f);
    Vertex v = makeVertex(1.0f, 0.0f, 0.0f);
    v.weights[0] = 1.0f;
    Mesh* mesh = addSkinnedMesh(&model, {v}, {0});
    Material* scrolling = mesh->part->material = new Material;
    scrolling->animation = new ANIMATION;
    MODEL3D* child = model.createChild();
    Material* still = child->addMeshPart(child->addMesh())->material = new Material;
    Material* childScrolling = child->addMeshPart(child->addMesh())->material = new Material;
    childScrolling->animation = new ANIMATION;

    for (int i = 0; i < 3; ++i) model.update();
    EXPECT_NEAR(scrolling->textureOffset0[0], 0.003f, 1e-6f);
    EXPECT_NEAR(scrolling->textureOffset0[1], 0.003f, 1e-6f);
    EXPECT_EQ(scrolling->textureOffset1[0], 0.0f);
    EXPECT_EQ(scrolling->animation->advanced, 1);
    EXPECT_EQ(still->textureOffset0[0], 0.0f);
    EXPECT_NEAR(childScrolling->textureOffset0[0], 0.003f, 1e-6f);
    EXPECT_NEAR(model.animation->position, 3.0f / 240.0f, 1e-6f);
    expectPosition(mesh->vertices[0], 1.0f, 3.0f, 0.0f);

    // Skinning left to the shader: the draw copy is not touched.
    model.cpuSkinning = false;
    mesh->vertices[0] = v;
    model.update();
    expectPosition(mesh->vertices[0], 1.0f, 0.0f, 0.0f);
}

TEST(Bounds, SpanTheVerticesTheIndicesUseAndIgnoreOutOfRangeIndices) {
    MODEL3D model;
    Mesh* mesh = model.addMesh();
    const Vertex vertices[4] = {makeVertex(1, 2, 3), makeVertex(-1, 5, 0), makeVertex(4, -2, 9),
                                makeVertex(100, 100, 100)};
    mesh->vertexCount = 4;
    mesh->vertices = new Vertex[4];
    std::copy(vertices, vertices + 4, mesh->vertices);
    MeshPart* part = model.addMeshPart(mesh);
    part->indexCount = 4;
    part->indices = new uint16_t[4]{0, 1, 2, 60000};
    MODEL3D::computeBounds(mesh);
    EXPECT_EQ(part->boundsMin[0], -1.0f);
    EXPECT_EQ(part->boundsMin[1], -2.0f);
    EXPECT_EQ(part->boundsMin[2], 0.0f);
    EXPECT_EQ(part->boundsMax[0], 4.0f);
    EXPECT_EQ(part->boundsMax[1], 5.0f);
    EXPECT_EQ(part->boundsMax[2], 9.0f);
    EXPECT_EQ(mesh->boundsMin[1], -2.0f);
    EXPECT_EQ(mesh->boundsMax[2], 9.0f);
    EXPECT_EQ(part->boundsMax[3], 1.0f);
}

// ---- destruction (needs GL) ------------------------------------------------

namespace {

std::vector<GLuint> g_deletedBuffers;
PFNGLDELETEBUFFERSPROC g_realDeleteBuffers = nullptr;

void GLAPIENTRY recordDeleteBuffers(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) g_deletedBuffers.push_back(names[i]);
    g_realDeleteBuffers(count, names);
}

GLuint newBuffer(std::vector<GLuint>& made) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    bindArrayBuffer(name);
    glBufferData(GL_ARRAY_BUFFER, 16, nullptr, GL_STATIC_DRAW);
    made.push_back(name);
    return name;
}

// One mesh with vertex and index buffers (and a bind-pose buffer when skinned).
void addBufferedMesh(MODEL3D* model, std::vector<GLuint>& made, bool skinned) {
    Mesh* mesh = model->addMesh();
    mesh->skinned = skinned;
    mesh->vertexBuffer = static_cast<int>(newBuffer(made));
    mesh->vertices = new Vertex[1]();
    if (skinned) {
        mesh->bindPoseBuffer = static_cast<int>(newBuffer(made));
        mesh->bindPoseVertices = new Vertex[1]();
    }
    MeshPart* part = model->addMeshPart(mesh);
    part->indexBuffer = static_cast<int>(newBuffer(made));
    part->indices = new uint16_t[3]();
    part->material = new Material;
}

struct TrackedAnimation : ANIMATION {
    explicit TrackedAnimation(bool* flag) : released(flag) {}
    ~TrackedAnimation() override { *released = true; }
    bool* released;
};

}  // namespace

class ModelDestroy : public GlTest {};

TEST_F(ModelDestroy, DeletesEveryBufferOnceAndOnlyUnsharedTextures) {
    std::vector<GLuint> made;
    MODEL3D* model = new MODEL3D;
    addBufferedMesh(model, made, true);
    addBufferedMesh(model, made, false);
    MODEL3D* child = model->createChild();
    addBufferedMesh(child, made, false);
    addBufferedMesh(child->createChild(), made, true);
    addBufferedMesh(child->createChild(), made, false);

    Texture* own = createTexture();
    createBlank(own, 0, 2, 2, 1, 1);
    Texture* shared = createTexture();
    createBlank(shared, 0, 2, 2, 1, 1);
    shared->refCount = 1;  // as if it came from the shared texture list
    Material* material = model->meshes->part->material;
    material->setTextureSlots(2);
    material->textures[0] = own;
    material->textures[1] = shared;
    const GLuint ownName = static_cast<GLuint>(own->glName);
    bool animationReleased = false;
    material->animation = new TrackedAnimation(&animationReleased);

    bindArrayBuffer(made.back());
    bindElementBuffer(made.front());
    g_deletedBuffers.clear();
    g_realDeleteBuffers = __glewDeleteBuffers;
    __glewDeleteBuffers = recordDeleteBuffers;
    delete model;
    __glewDeleteBuffers = g_realDeleteBuffers;

    std::sort(made.begin(), made.end());
    std::sort(g_deletedBuffers.begin(), g_deletedBuffers.end());
    EXPECT_EQ(g_deletedBuffers, made);
    for (GLuint name : made) EXPECT_FALSE(glIsBuffer(name));
    EXPECT_EQ(glStateCache().boundArrayBuffer, 0u);
    EXPECT_EQ(glStateCache().boundElementBuffer, 0u);

    EXPECT_FALSE(glIsTexture(ownName));
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(shared->glName)));
    EXPECT_TRUE(animationReleased);
    destroyTexture(shared);
    delete shared;
}
