#include "render/render_queue.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "image/sprite.h"
#include "image/texture.h"
#include "render/gl_state_cache.h"
#include "render/mesh_draw.h"
#include "render/renderer.h"
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

// Queues are sorted as small keys, each computed once per item, instead of
// moving whole items and recomputing distances in every comparison. std::sort
// makes the same moves for the same comparison results, so the keys end in
// the order the items themselves would have taken, ties included.
struct SortKey {
    float distance;     // modes 1 to 4
    uintptr_t address;  // modes 5 and 6
    int index;          // the item's place in the queue
};

// The drawing order of the queue, as indices into it; false for the modes
// that keep emission order (keys is then left as it was).
static bool sortOrder(int mode, const std::vector<RenderItem>& items, const float camera[3],
                      std::vector<SortKey>& keys) {
    if (mode < 1 || mode > 6) return false;
    keys.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        SortKey& key = keys[i];
        key.index = static_cast<int>(i);
        key.distance = mode <= 2 ? squaredDistance(item, camera) : mode <= 4 ? depthDistance(item, camera) : 0.0f;
        key.address = mode == 5 ? reinterpret_cast<uintptr_t>(item.shader)
                                : mode == 6 ? reinterpret_cast<uintptr_t>(itemMaterial(item)) : 0;
    }
    if (mode == 1 || mode == 3)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance > b.distance; });
    else if (mode == 2 || mode == 4)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance < b.distance; });
    else
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.address < b.address; });
    return true;
}

// Grows with the longest queue sorted and then stays: frames allocate nothing.
static std::vector<SortKey>& sortScratch() {
    static std::vector<SortKey> keys;
    return keys;
}

void sortQueue(int mode, std::vector<RenderItem>& items, const float camera[3]) {
    std::vector<SortKey>& keys = sortScratch();
    if (!sortOrder(mode, items, camera, keys)) return;
    const std::vector<RenderItem> unsorted = items;
    for (size_t i = 0; i < items.size(); ++i) items[i] = unsorted[static_cast<size_t>(keys[i].index)];
}

// True when the box (low, high), carried into clip space by toClip, lies
// wholly beyond one clip plane: each corner's set of planes (x, y, z against
// -w and +w) it lies beyond, and the box is out when all eight share one.
// The margin keeps rounding (ours against the rasteriser's) on the drawn
// side; a box with NaN is never out.
static bool boxOutside(const Matrix4& toClip, const float low[3], const float high[3]) {
    const float* m = toClip.m;
    unsigned shared = 0x3f;
    for (int corner = 0; corner < 8 && shared; ++corner) {
        const float x = (corner & 1) ? high[0] : low[0];
        const float y = (corner & 2) ? high[1] : low[1];
        const float z = (corner & 4) ? high[2] : low[2];
        float clip[4];
        for (int row = 0; row < 4; ++row) clip[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
        const float w = clip[3] + std::fabs(clip[3]) * 1e-4f + 1e-6f;
        unsigned beyond = 0;
        for (int axis = 0; axis < 3; ++axis) {
            if (clip[axis] < -w) beyond |= 1u << (2 * axis);
            if (clip[axis] > w) beyond |= 2u << (2 * axis);
        }
        shared &= beyond;
    }
    return shared != 0;
}

// Only boxes that still hold the vertices: skinned meshes move away from
// their bind pose and dynamic ones are rewritten after the box was taken.
static bool hasStaticBox(const Mesh* mesh) {
    if (!mesh || mesh->skinned || mesh->dynamicVertices) return false;
    const float* low = mesh->boundsMin;
    const float* high = mesh->boundsMax;
    return low[0] <= high[0] && low[1] <= high[1] && low[2] <= high[2];  // false without a box (or with NaN)
}

static bool meshOutside(const RenderItem& item, const Matrix4& toClip) {
    return hasStaticBox(item.mesh) && boxOutside(toClip, item.mesh->boundsMin, item.mesh->boundsMax);
}

bool outsideView(const RenderItem& item, const Matrix4& viewProjection) {
    Matrix4 toClip;
    matrixMultiply(toClip, viewProjection, item.world);
    return meshOutside(item, toClip);
}

static float g_detailPixels = 0.5f;

void setDetailPixels(float pixels) { g_detailPixels = pixels; }
float detailPixels() { return g_detailPixels; }

int detailLevel(const RenderItem& item, const Matrix4& toClip, float halfWidth, float halfHeight) {
    const MeshPart* part = item.part;
    const Mesh* mesh = item.mesh;
    if (!part || part->detailLevelCount == 0 || !(g_detailPixels > 0.0f) || !hasStaticBox(mesh)) return 0;
    const float* m = toClip.m;
    // The box's nearest depth (clip w) and, there, the most pixels one unit
    // of the mesh can span (the norm of the clip x and y rows, in pixels).
    float centre[3], radius = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = 0.5f * (mesh->boundsMin[axis] + mesh->boundsMax[axis]);
        const float half = 0.5f * (mesh->boundsMax[axis] - mesh->boundsMin[axis]);
        radius += half * half;
    }
    radius = std::sqrt(radius);
    const float centreW = m[3] * centre[0] + m[7] * centre[1] + m[11] * centre[2] + m[15];
    const float nearestW = centreW - radius * std::sqrt(m[3] * m[3] + m[7] * m[7] + m[11] * m[11]);
    if (!(nearestW > 0.0f)) return 0;  // reaches the eye plane (or NaN): full detail
    float spread = 0.0f;
    for (int column = 0; column < 3; ++column) {
        const float x = m[4 * column] * halfWidth;
        const float y = m[4 * column + 1] * halfHeight;
        spread += x * x + y * y;
    }
    const float pixelsPerUnit = std::sqrt(spread) / nearestW;
    for (int level = part->detailLevelCount; level > 0; --level)
        if (part->detailLevels[level - 1].error * pixelsPerUnit <= g_detailPixels) return level;
    return 0;
}

// Scratch of a tiled draw, grown once and kept: frames allocate nothing.
struct TileScratch {
    std::vector<unsigned char> inView;
    std::vector<int> counts;
    std::vector<const void*> offsets;
};

static TileScratch& tileScratch() {
    static TileScratch scratch;
    return scratch;
}

// The index runs of the tiles in view, neighbours joined, in the part's own
// order; false when no tile is in view.
static bool tilesInView(const MeshTiles& tiles, const Matrix4& toClip, IndexRuns& out) {
    TileScratch& scratch = tileScratch();
    const size_t tileCount = tiles.boxes.size() / 6;
    scratch.inView.resize(tileCount);
    for (size_t t = 0; t < tileCount; ++t) {
        const float* box = &tiles.boxes[t * 6];
        scratch.inView[t] = boxOutside(toClip, box, box + 3) ? 0 : 1;
    }
    scratch.counts.clear();
    scratch.offsets.clear();
    int nextIndex = -1;
    for (const TileRun& run : tiles.runs) {
        if (run.tile < 0 || (size_t)run.tile >= tileCount || !scratch.inView[(size_t)run.tile]) continue;
        if (run.firstIndex == nextIndex) {
            scratch.counts.back() += run.indexCount;
        } else {
            scratch.counts.push_back(run.indexCount);
            scratch.offsets.push_back(reinterpret_cast<const void*>((uintptr_t)run.firstIndex * sizeof(uint16_t)));
        }
        nextIndex = run.firstIndex + run.indexCount;
    }
    out.counts = scratch.counts.data();
    out.offsets = scratch.offsets.data();
    out.count = (int)scratch.counts.size();
    return out.count > 0;
}

void sortAndDraw(int mode, std::vector<RenderItem>& items) {
    const CAMERA3D* camera = currentCamera();
    const float eye[3] = {camera ? camera->position.x : 0.0f, camera ? camera->position.y : 0.0f,
                          camera ? camera->position.z : 0.0f};
    std::vector<SortKey>& keys = sortScratch();
    const bool sorted = sortOrder(mode, items, eye, keys);
    // Culled after sorting, so that what is drawn keeps its order, ties included.
    Matrix4 viewProjection;
    float halfWidth = 0.0f, halfHeight = 0.0f;
    if (camera) {
        matrixMultiply(viewProjection, camera->projection(), camera->view());
        halfWidth = 0.5f * (float)camera->viewport->width;
        halfHeight = 0.5f * (float)camera->viewport->height;
    }
    MatrixStack* stack = modelStack();
    for (size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[sorted ? static_cast<size_t>(keys[i].index) : i];
        if (!camera) {
            stack->load(item.world);
            drawItem(item);
            continue;
        }
        Matrix4 toClip;
        matrixMultiply(toClip, viewProjection, item.world);
        IndexRuns runs;
        const MeshTiles* tiles = item.part ? item.part->tiles : nullptr;
        if (tiles && !tilesInView(*tiles, toClip, runs)) continue;
        if (meshOutside(item, toClip)) continue;
        stack->load(item.world);
        drawItem(item, detailLevel(item, toClip, halfWidth, halfHeight), tiles ? &runs : nullptr);
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
