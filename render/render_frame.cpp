#include "render/render_frame.h"

#include <climits>

#include "scene/sprite.h"
#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "render/mesh_draw.h"
#include "render/render_order.h"
#include "gpu/shader_catalogue.h"
#include "render/renderer.h"
#include "render/uniform_upload.h"
#include "render/visibility.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/model.h"

void sortAndDraw(SortMode mode, std::vector<RenderItem>& items) {
    // Kept from frame to frame: frames allocate nothing.
    static std::vector<SortKey> keys;
    static DrawList list;
    const CAMERA3D* camera = currentCamera();
    const float eye[3] = {camera ? camera->position.x : 0.0f, camera ? camera->position.y : 0.0f,
                          camera ? camera->position.z : 0.0f};
    const bool sorted = sortOrder(mode, items, eye, keys);
    // Culled after sorting, so that what is drawn keeps its order, ties included.
    collectVisibleDraws(items, keys, sorted, camera, list);
    MatrixStack* stack = modelStack();
    for (const VisibleDraw& draw : list.draws) {
        stack->load(draw.item->world);
        IndexRuns runs;
        if (draw.tiled) {
            runs.counts = list.runCounts.data() + draw.firstRun;
            runs.offsets = list.runOffsets.data() + draw.firstRun;
            runs.count = draw.runCount;
        }
        drawItem(*draw.item, draw.level, draw.tiled ? &runs : nullptr);
    }
}

// Float screen position to whole pixels, toward zero, kept inside int.
static int truncateToPixel(float value) {
    if (!(value > static_cast<float>(INT_MIN))) return value < 0.0f ? INT_MIN : 0;
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

// The sprite's quad from (xStart, yStart) to (xEnd, yEnd) showing texture
// coordinates (uStart, vStart) to (uEnd, vEnd), with the current program.
static void drawSpriteRegion(SPRITE_BASE& sprite, float xStart, float yStart, float xEnd, float yEnd, float uStart,
                             float vStart, float uEnd, float vEnd) {
    const float corners[4][4] = {{xStart, yStart, uStart, vStart},
                                 {xStart, yEnd, uStart, vEnd},
                                 {xEnd, yEnd, uEnd, vEnd},
                                 {xEnd, yStart, uEnd, vStart}};
    for (int i = 0; i < 4; ++i) {
        Vertex& v = sprite.quad->vertices[i];
        v.position[0] = corners[i][0];
        v.position[1] = corners[i][1];
        v.uv0[0] = corners[i][2];
        v.uv0[1] = corners[i][3];
    }
    drawSpriteQuad(sprite.quad, sprite.spriteTexture(), sprite.alpha);
}

void drawSpriteScreen(SPRITE_BASE& sprite, int x, int y, float scaleX, float scaleY, int regionWidth,
                      int regionHeight) {
    const Image& image = *sprite.spriteTexture()->image;
    const float uEnd = float(regionWidth) / float(image.width);
    const float vEnd = float(regionHeight) / float(image.height);
    ShaderProgram* program = shaderCatalogue().sprites2d;
    makeCurrent(program);
    uploadTransforms(program);
    const float sx = sprite.flipX ? -scaleX : scaleX;
    const float sy = sprite.flipY ? -scaleY : scaleY;
    drawSpriteRegion(sprite, float(x), float(y), float(x) + float(regionWidth) * sx,
                     float(y) + float(regionHeight) * sy, 0.0f, 0.0f, uEnd, vEnd);
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
        drawSpriteScreen(*sprite, truncateToPixel(sprite->position.x), truncateToPixel(sprite->position.y),
                         sprite->scale.x, sprite->scale.y, texture->image->width, texture->image->height);
    }
    end2D();

    scene->opaque.items.clear();
    scene->transparent.items.clear();
}

// The start of every frame, drawn or not: the Scene's lights and camera
// become current, and a camera outside look-at mode takes its view from its
// rotation. Returns the camera to draw with (none before the renderer's
// start-up).
static CAMERA3D* beginFrame(Scene* scene) {
    if (scene->camera) {
        if (scene->lightCount > 0) setLightingScene(scene);
        setCurrentCamera(scene->camera);
    }
    CAMERA3D* camera = currentCamera();
    if (camera && !camera->lookAtMode) camera->viewFromRotation();
    return camera;
}

void renderFrame() {
    Scene* scene = currentScene();
    if (!scene) return;
    CAMERA3D* camera = beginFrame(scene);
    if (!camera) return;

    const Viewport& viewport = *camera->viewport;
    setViewportAndScissor(viewport.x, viewport.y, viewport.width, viewport.height);

    const int passes = scene->twoPass ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        drawGroup(scene, 0);
        drawGroup(scene, 1);
    }
}

void skipFrameDrawing() {
    Scene* scene = currentScene();
    if (!scene) return;
    beginFrame(scene);
    scene->opaque.items.clear();
    scene->transparent.items.clear();
}

void begin2D() {
    CAMERA3D* camera = currentCamera();
    if (!camera) return;
    const int designWidth = screenSize().designWidth > 0 ? screenSize().designWidth : 1920;
    const int designHeight = screenSize().designHeight > 0 ? screenSize().designHeight : 1080;

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
