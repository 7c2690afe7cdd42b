#include "scene/actor.h"

#include "scene/sprite.h"
#include "gpu/shader_catalogue.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"

static Scene* g_currentScene = nullptr;
static Scene* g_lightingScene = nullptr;

Scene* currentScene() { return g_currentScene; }
void setCurrentScene(Scene* scene) { g_currentScene = scene; }
Scene* lightingScene() { return g_lightingScene; }
void setLightingScene(Scene* scene) { g_lightingScene = scene; }

void localMatrix(const ACTOR& actor, Matrix4& out) {
    Matrix4 step, product;
    matrixTranslation(out, actor.position.x, actor.position.y, actor.position.z);
    matrixRotation(step, actor.rotation.x, 1.0f, 0.0f, 0.0f);
    matrixMultiply(product, out, step);
    matrixRotation(step, actor.rotation.y, 0.0f, 1.0f, 0.0f);
    matrixMultiply(out, product, step);
    matrixRotation(step, actor.rotation.z, 0.0f, 0.0f, 1.0f);
    matrixMultiply(product, out, step);
    matrixScale(step, actor.scale.x, actor.scale.y, actor.scale.z);
    matrixMultiply(out, product, step);
}

void applyLocalMatrix(const ACTOR& actor) {
    Matrix4 local;
    localMatrix(actor, local);
    modelStack()->multiplyTop(local);
}

// Appends at the tail of an intrusive list linked through ACTOR::next.
template <typename T>
static void appendToList(T*& head, int& count, T* object) {
    if (!head) {
        head = object;
    } else {
        ACTOR* last = head;
        while (last->next) last = last->next;
        last->next = object;
    }
    ++count;
}

// Deletes every object of a list through the ACTOR virtual destructor.
static void deleteList(ACTOR* head) {
    while (head) {
        ACTOR* next = head->next;
        delete head;
        head = next;
    }
}

Scene::Scene() {
    matrixIdentity(root);
    setCurrentScene(this);
}

Scene::~Scene() {
    for (ObjectGroup& group : groups) {
        deleteList(group.models);
        deleteList(group.sprites3d);
        deleteList(group.sprites2d);
    }
    deleteList(lights);
    deleteList(cameras);  // a camera clears the engine pointers to itself
    if (g_currentScene == this) g_currentScene = nullptr;
    if (g_lightingScene == this) g_lightingScene = nullptr;
}

static bool validGroup(int group) { return group == 0 || group == 1; }

MODEL3D* Scene::createModel(int group) {
    if (!validGroup(group)) return nullptr;
    MODEL3D* model = new MODEL3D(this);
    appendToList(groups[group].models, groups[group].modelCount, model);
    return model;
}

LIGHT* Scene::createLight() {
    LIGHT* light = new LIGHT;
    light->id = lightCount;
    appendToList(lights, lightCount, light);
    return light;
}

CAMERA3D* Scene::createCamera() {
    CAMERA3D* newCamera = new CAMERA3D;
    appendToList(cameras, cameraCount, newCamera);
    camera = newCamera;
    return newCamera;
}

SPRITE3D* Scene::create3DSprite(int group) {
    if (!validGroup(group)) return nullptr;
    SPRITE3D* sprite = new SPRITE3D;
    matrixIdentity(sprite->orientation);
    sprite->scene = this;
    sprite->billboardMode = 0;
    appendToList(groups[group].sprites3d, groups[group].sprite3dCount, sprite);
    return sprite;
}

SPRITE_BASE* Scene::create2DSprite(int group) {
    if (!validGroup(group)) return nullptr;
    SPRITE_BASE* sprite = new SPRITE_BASE;
    sprite->scene = this;
    appendToList(groups[group].sprites2d, groups[group].sprite2dCount, sprite);
    return sprite;
}

void Scene::submit(const RenderItem& item) {
    if (item.itemAlpha < 1.0f)
        transparent.items.push_back(item);
    else
        opaque.items.push_back(item);
}

// One RenderItem for a mesh; the model stack top holds the model's world matrix.
static void emitMesh(MODEL3D* model, float alpha, Mesh* mesh, Scene* scene) {
    MeshPart* part = mesh->part;
    if (!part || !part->material) return;  // nothing to draw it with

    RenderItem item;
    // The model's own alpha enters twice: once through alpha, once here.
    item.itemAlpha = model->alpha * alpha * part->material->alpha;

    const ShaderCatalogue& catalogue = shaderCatalogue();
    item.shader = catalogue.staticMeshes;
    if (mesh->skinned) {
        if (!model->cpuSkinning) item.shader = catalogue.skinnedMeshes;
        item.skeleton = model->skeleton;
        item.cpuSkinning = model->cpuSkinning;
    }

    MatrixStack* stack = modelStack();
    stack->push();
    stack->multiplyTop(part->localMatrix);
    stack->readTop(item.world);
    stack->pop();

    item.mesh = mesh;
    item.part = part;
    item.cullMode = model->cullMode;
    item.depthMode = model->depthMode;
    item.blendMode = model->blendMode;
    item.position[0] = item.world.m[12];
    item.position[1] = item.world.m[13];
    item.position[2] = item.world.m[14];
    scene->submit(item);
}

void drawModelTree(MODEL3D* model, float parentAlpha, Scene* scene) {
    if (model->hidden) return;
    // A model holds one stack level and emitting a mesh one more; a subtree
    // deeper than the stack is skipped whole so pushes and pops stay paired.
    MatrixStack* stack = modelStack();
    if (stack->index + 2 >= stack->capacity) return;

    stack->push();
    applyLocalMatrix(*model);
    const float alpha = model->alpha * parentAlpha;
    for (Mesh* mesh = model->meshes; mesh; mesh = mesh->next) emitMesh(model, alpha, mesh, scene);
    for (ACTOR* child = model->children; child; child = child->next)
        drawModelTree(static_cast<MODEL3D*>(child), alpha, scene);
    stack->pop();
}
