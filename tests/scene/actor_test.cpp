#include <gtest/gtest.h>

#include <cmath>

#include "gpu/shader_catalogue.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"

namespace {

// The model stack the renderer's start-up would create.
MatrixStack* testModelStack() {
    static MatrixStack stack;
    if (!stack.items) stack.create(64);
    setModelStack(&stack);
    return &stack;
}

// A mesh with a part and a material, enough to be emitted (no GL buffers).
Mesh* addDrawableMesh(MODEL3D* model, float materialAlpha = 1.0f) {
    Mesh* mesh = model->addMesh();
    model->addMeshPart(mesh)->material = new Material;
    mesh->part->material->alpha = materialAlpha;
    return mesh;
}

// Emits every model of the scene's first group as the render step does.
void emitScene(Scene& scene) {
    testModelStack()->load(scene.root);
    for (ACTOR* model = scene.groups[0].models; model; model = model->next)
        drawModelTree(static_cast<MODEL3D*>(model), 1.0f, &scene);
}

}  // namespace

TEST(Actor, LocalMatrixScalesBeforeRotatingAndTranslates) {
    ACTOR actor;
    actor.position = {5.0f, 7.0f, -1.0f};
    actor.scale = {2.0f, 1.0f, 1.0f};
    const float quarter = 3.14159265f / 2.0f;
    actor.rotation = {quarter, quarter, quarter};
    Matrix4 m;
    localMatrix(actor, m);
    const float local[4] = {1.0f, 2.0f, 3.0f, 1.0f};
    float world[4];
    matrixTransformPoint(m, local, world);
    // A quarter turn maps (1, 0, 0) to (0, -1, 0) about Z, and likewise about
    // the other axes. (1, 2, 3) scaled is (2, 2, 3); about Z (2, -2, 3), about
    // Y (-3, -2, 2), about X (-3, 2, 2); moved (2, 9, 1). Any other order or
    // sign lands elsewhere.
    EXPECT_NEAR(world[0], 2.0f, 1e-5f);
    EXPECT_NEAR(world[1], 9.0f, 1e-5f);
    EXPECT_NEAR(world[2], 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(world[3], 1.0f);
}

TEST(Actor, AlphaSetterClampsOnlyNegativeValues) {
    DRAW_PROPERTIES properties;
    properties.setAlpha(-0.5f);
    EXPECT_EQ(properties.alpha, 0.0f);
    properties.setAlpha(1.5f);
    EXPECT_EQ(properties.alpha, 1.5f);
}

TEST(Scene, ListsAppendAtTheTailWithCounts) {
    Scene scene;
    EXPECT_EQ(currentScene(), &scene);
    MODEL3D* first = scene.createModel();
    MODEL3D* second = scene.createModel();
    MODEL3D* overlay = scene.createModel(1);
    EXPECT_EQ(scene.createModel(2), nullptr);
    EXPECT_EQ(scene.groups[0].models, first);
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(scene.groups[0].modelCount, 2);
    EXPECT_EQ(scene.groups[1].models, overlay);
    EXPECT_EQ(first->scene, &scene);

    for (int i = 0; i < 3; ++i) EXPECT_EQ(scene.createLight()->id, i);
    EXPECT_EQ(scene.lightCount, 3);

    CAMERA3D* camera = scene.createCamera();
    EXPECT_EQ(scene.camera, camera);
    EXPECT_EQ(scene.cameraCount, 1);

    MODEL3D* child = first->createChild();
    first->createChild();
    EXPECT_EQ(first->childCount, 2);
    EXPECT_EQ(child->scene, &scene);
    EXPECT_EQ(first->children, child);
}

TEST(Scene, DestructionForgetsTheEnginePointersToIt) {
    Scene* scene = new Scene;
    setLightingScene(scene);
    CAMERA3D* camera = scene->createCamera();
    setCurrentCamera(camera);
    delete scene;
    EXPECT_EQ(currentScene(), nullptr);
    EXPECT_EQ(lightingScene(), nullptr);
    EXPECT_EQ(currentCamera(), defaultCamera());
}

TEST(DrawModelTree, ItemAlphaCountsTheModelAlphaTwice) {
    testModelStack();
    Scene scene;
    MODEL3D* half = scene.createModel();
    half->alpha = 0.5f;
    addDrawableMesh(half);
    MODEL3D* solid = scene.createModel();
    addDrawableMesh(solid);
    MODEL3D* child = half->createChild();  // alpha 1 under a parent of 0.5
    addDrawableMesh(child);
    MODEL3D* exact = scene.createModel();
    addDrawableMesh(exact, 0.999f);

    emitScene(scene);
    ASSERT_EQ(scene.opaque.items.size(), 1u);
    EXPECT_EQ(scene.opaque.items[0].itemAlpha, 1.0f);
    ASSERT_EQ(scene.transparent.items.size(), 3u);
    EXPECT_FLOAT_EQ(scene.transparent.items[0].itemAlpha, 0.25f);
    EXPECT_FLOAT_EQ(scene.transparent.items[1].itemAlpha, 0.5f);
    EXPECT_FLOAT_EQ(scene.transparent.items[2].itemAlpha, 0.999f);
}

TEST(DrawModelTree, HiddenParentHidesItsWholeSubtree) {
    testModelStack();
    Scene scene;
    MODEL3D* parent = scene.createModel();
    addDrawableMesh(parent);
    MODEL3D* child = parent->createChild();
    addDrawableMesh(child);
    addDrawableMesh(child->createChild());
    parent->hidden = true;
    emitScene(scene);
    EXPECT_TRUE(scene.opaque.items.empty());

    parent->hidden = false;
    child->hidden = true;
    emitScene(scene);
    EXPECT_EQ(scene.opaque.items.size(), 1u);
}

TEST(DrawModelTree, ChildrenLiveInTheParentsFrameAndMeshesAddTheirLocalMatrix) {
    testModelStack();
    Scene scene;
    matrixTranslation(scene.root, 0.0f, 0.0f, -1.0f);
    MODEL3D* parent = scene.createModel();
    parent->position = {10.0f, 0.0f, 0.0f};
    parent->scale = {2.0f, 2.0f, 2.0f};
    parent->rotation.y = 3.14159265f;  // the child's +x becomes world -x
    MODEL3D* child = parent->createChild();
    child->position = {1.0f, 0.0f, 0.0f};
    Mesh* mesh = addDrawableMesh(child);
    matrixTranslation(mesh->part->localMatrix, 0.0f, 3.0f, 0.0f);

    emitScene(scene);
    ASSERT_EQ(scene.opaque.items.size(), 1u);
    const RenderItem& item = scene.opaque.items[0];
    EXPECT_NEAR(item.position[0], 8.0f, 1e-4f);
    EXPECT_NEAR(item.position[1], 6.0f, 1e-4f);
    EXPECT_NEAR(item.position[2], -1.0f, 1e-4f);
    EXPECT_EQ(item.position[0], item.world.m[12]);
    EXPECT_EQ(item.mesh, mesh);
    EXPECT_EQ(item.part, mesh->part);
    EXPECT_EQ(testModelStack()->index, 0);

    // Moving the parent moves the child with it.
    scene.opaque.items.clear();
    parent->position.z = 20.0f;
    emitScene(scene);
    EXPECT_NEAR(scene.opaque.items[0].position[2], 19.0f, 1e-4f);
}

TEST(DrawModelTree, ItemsCarryTheModelsDrawModesAndTheProgramForItsSkinning) {
    testModelStack();
    ShaderCatalogue& catalogue = shaderCatalogue();
    const ShaderCatalogue saved = catalogue;
    ShaderProgram staticProgram, skinnedProgram;
    catalogue.staticMeshes = &staticProgram;
    catalogue.skinnedMeshes = &skinnedProgram;

    Scene scene;
    MODEL3D* model = scene.createModel();
    model->cullMode = CullMode::None;
    model->depthMode = DepthMode::TestOnly;
    model->blendMode = BlendMode::Alpha;
    model->skeleton = new Skeleton;
    addDrawableMesh(model);
    addDrawableMesh(model)->skinned = true;

    emitScene(scene);
    ASSERT_EQ(scene.opaque.items.size(), 2u);
    const RenderItem& plain = scene.opaque.items[0];
    const RenderItem& skinned = scene.opaque.items[1];
    EXPECT_EQ(plain.shader, &staticProgram);
    EXPECT_EQ(plain.skeleton, nullptr);
    EXPECT_EQ(plain.cullMode, CullMode::None);
    EXPECT_EQ(plain.depthMode, DepthMode::TestOnly);
    EXPECT_EQ(plain.blendMode, BlendMode::Alpha);
    EXPECT_EQ(skinned.shader, &staticProgram);  // skinned on the processor
    EXPECT_EQ(skinned.skeleton, model->skeleton);
    EXPECT_TRUE(skinned.cpuSkinning);

    scene.opaque.items.clear();
    model->cpuSkinning = false;
    emitScene(scene);
    EXPECT_EQ(scene.opaque.items[1].shader, &skinnedProgram);
    EXPECT_FALSE(scene.opaque.items[1].cpuSkinning);
    catalogue = saved;
}

TEST(DrawModelTree, HierarchyDeeperThanTheStackIsCutWithoutUnbalancingIt) {
    MatrixStack* stack = testModelStack();
    Scene scene;
    MODEL3D* model = scene.createModel();
    for (int depth = 0; depth < 100; ++depth) {
        addDrawableMesh(model);
        model->position.x = 1.0f;
        model = model->createChild();
    }
    emitScene(scene);
    EXPECT_EQ(stack->index, 0);
    const size_t drawn = scene.opaque.items.size();
    EXPECT_GT(drawn, 32u);
    EXPECT_LT(drawn, 64u);
    // The levels that fit are the top ones, each one unit further along x.
    for (size_t i = 0; i < drawn; ++i) EXPECT_FLOAT_EQ(scene.opaque.items[i].position[0], float(i + 1));
}
