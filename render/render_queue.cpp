#include "render/render_queue.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

#include "app/engine.h"
#include "image/sprite.h"
#include "image/texture.h"
#include "render/gl_state_cache.h"
#include "render/mesh_draw.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/model.h"

// Sort keys with NaN replaced by +infinity: std::sort needs a strict weak
// order, and a NaN position (a degenerate matrix) must not break it.
static float orderedKey(float key) { return std::isnan(key) ? INFINITY : key; }

static float squaredDistance(const RenderItem& item, const float camera[3]) {
    const float dx = item.position[0] - camera[0];
    const float dy = item.position[1] - camera[1];
    const float dz = item.position[2] - camera[2];
    return orderedKey(dx * dx + dy * dy + dz * dz);
}

static float depthDistance(const RenderItem& item, const float camera[3]) {
    return orderedKey(std::fabs(item.position[2] - camera[2]));
}

static const Material* itemMaterial(const RenderItem& item) { return item.part ? item.part->material : nullptr; }

void sortQueue(int mode, std::vector<RenderItem>& items, const float camera[3]) {
    switch (mode) {
    case 1:
        std::sort(items.begin(), items.end(), [camera](const RenderItem& a, const RenderItem& b) {
            return squaredDistance(a, camera) > squaredDistance(b, camera);
        });
        break;
    case 2:
        std::sort(items.begin(), items.end(), [camera](const RenderItem& a, const RenderItem& b) {
            return squaredDistance(a, camera) < squaredDistance(b, camera);
        });
        break;
    case 3:
        std::sort(items.begin(), items.end(), [camera](const RenderItem& a, const RenderItem& b) {
            return depthDistance(a, camera) > depthDistance(b, camera);
        });
        break;
    case 4:
        std::sort(items.begin(), items.end(), [camera](const RenderItem& a, const RenderItem& b) {
            return depthDistance(a, camera) < depthDistance(b, camera);
        });
        break;
    case 5:
        std::sort(items.begin(), items.end(), [](const RenderItem& a, const RenderItem& b) {
            return std::less<const ShaderProgram*>()(a.shader, b.shader);
        });
        break;
    case 6:
        std::sort(items.begin(), items.end(), [](const RenderItem& a, const RenderItem& b) {
            return std::less<const Material*>()(itemMaterial(a), itemMaterial(b));
        });
        break;
    default:
        break;  // emission order
    }
}

void sortAndDraw(int mode, std::vector<RenderItem>& items) {
    const CAMERA3D* camera = currentCamera();
    const float eye[3] = {camera ? camera->position.x : 0.0f, camera ? camera->position.y : 0.0f,
                          camera ? camera->position.z : 0.0f};
    sortQueue(mode, items, eye);
    MatrixStack* stack = modelStack();
    for (const RenderItem& item : items) {
        stack->load(item.world);
        drawItem(item);
    }
}

// Float screen position to whole pixels, toward zero, kept inside int.
static int truncateToPixel(float value) {
    if (!(value > static_cast<float>(INT_MIN))) return value < 0.0f ? INT_MIN : 0;
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

void drawGroup(Scene* scene, int group) {
    MatrixStack* stack = modelStack();
    if (!stack || group < 0 || group > 1) return;
    const ObjectGroup& objects = scene->groups[group];

    stack->load(scene->root);
    for (ACTOR* model = objects.models; model; model = model->next)
        drawModelTree(static_cast<MODEL3D*>(model), 1.0f, scene);
    for (ACTOR* actor = objects.sprites3d; actor; actor = actor->next)
        if (!actor->hidden) static_cast<SPRITE3D*>(actor)->appendItems(scene);

    const bool pushed = stack->push();
    sortAndDraw(scene->opaque.sortMode, scene->opaque.items);
    sortAndDraw(scene->transparent.sortMode, scene->transparent.items);
    if (pushed) stack->pop();

    begin2D();
    for (ACTOR* actor = objects.sprites2d; actor; actor = actor->next) {
        if (actor->hidden) continue;
        SPRITE_BASE* sprite = static_cast<SPRITE_BASE*>(actor);
        const Texture* texture = sprite->spriteTexture();
        if (!texture || !texture->image) continue;
        sprite->drawScreen(truncateToPixel(sprite->position.x), truncateToPixel(sprite->position.y),
                           sprite->scale.x, sprite->scale.y, texture->image->width, texture->image->height);
    }
    end2D();

    scene->opaque.items.clear();
    scene->transparent.items.clear();
}

void renderFrame() {
    Scene* scene = currentScene();
    if (!scene) return;
    if (scene->camera) {
        if (scene->lightCount > 0) setLightingScene(scene);
        setCurrentCamera(scene->camera);
    }
    CAMERA3D* camera = currentCamera();
    if (!camera) return;

    const Viewport& viewport = *camera->viewport;
    setViewportAndScissor(viewport.x, viewport.y, viewport.width, viewport.height);
    if (!camera->lookAtMode) camera->viewFromRotation();

    const int passes = scene->twoPass ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        drawGroup(scene, 0);
        drawGroup(scene, 1);
    }
}

void begin2D() {
    CAMERA3D* camera = currentCamera();
    if (!camera) return;
    const Engine* record = engine();
    const int designWidth = record && record->designWidth > 0 ? record->designWidth : 1920;
    const int designHeight = record && record->designHeight > 0 ? record->designHeight : 1080;

    // Design pixel (0, 0) at the top-left of the viewport, (W, H) at the bottom-right.
    Matrix4 screen = {};
    screen.m[0] = static_cast<float>(2.0 / designWidth);
    screen.m[5] = static_cast<float>(-2.0 / designHeight);
    screen.m[10] = 1.0f;
    screen.m[12] = -1.0f;
    screen.m[13] = 1.0f;
    screen.m[15] = 1.0f;
    camera->viewStack->push();
    camera->viewStack->load(screen);
    camera->projectionStack->push();
    camera->projectionStack->loadIdentity();

    setCulling(false);
    setDepthTest(false);
    setBlendAlpha();
}

void end2D() {
    CAMERA3D* camera = currentCamera();
    if (!camera) return;
    camera->viewStack->pop();
    camera->projectionStack->pop();
    setBlendEnabled(false);
    setDepthTest(true);
    setCulling(true);
}
