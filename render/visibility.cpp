#include "render/visibility.h"

#include <cmath>
#include <cstdint>

#include "scene/camera.h"
#include "scene/model.h"

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
    // of the mesh can span anywhere on the box's part of the screen.
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
    // A point at normalised screen position (sx, sy) moved by d moves
    // (halfWidth (xRow - sx wRow) . d, halfHeight (yRow - sy wRow) . d) / w
    // pixels: the w row is the perspective term, which grows towards the
    // screen's edges. Each row is taken at the end of the box's on-screen
    // range of sx (sy) where it is longest (its length is convex in sx).
    float lowX = 1.0f, highX = -1.0f, lowY = 1.0f, highY = -1.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const float x = (corner & 1) ? mesh->boundsMax[0] : mesh->boundsMin[0];
        const float y = (corner & 2) ? mesh->boundsMax[1] : mesh->boundsMin[1];
        const float z = (corner & 4) ? mesh->boundsMax[2] : mesh->boundsMin[2];
        const float w = m[3] * x + m[7] * y + m[11] * z + m[15];  // > 0: the whole box is before the eye
        const float sx = (m[0] * x + m[4] * y + m[8] * z + m[12]) / w;
        const float sy = (m[1] * x + m[5] * y + m[9] * z + m[13]) / w;
        lowX = std::fmin(lowX, sx);
        highX = std::fmax(highX, sx);
        lowY = std::fmin(lowY, sy);
        highY = std::fmax(highY, sy);
    }
    auto longestRow = [m](int row, float low, float high) {
        float longest = 0.0f;
        for (float s : {std::fmax(low, -1.0f), std::fmin(high, 1.0f)}) {
            float length = 0.0f;
            for (int column = 0; column < 3; ++column) {
                const float v = m[4 * column + row] - s * m[4 * column + 3];
                length += v * v;
            }
            longest = std::fmax(longest, length);
        }
        return longest;
    };
    const float spread =
        halfWidth * halfWidth * longestRow(0, lowX, highX) + halfHeight * halfHeight * longestRow(1, lowY, highY);
    const float pixelsPerUnit = std::sqrt(spread) / nearestW;
    for (int level = part->detailLevelCount; level > 0; --level)
        if (part->detailLevels[level - 1].error * pixelsPerUnit <= g_detailPixels) return level;
    return 0;
}

// Which tiles are in view, grown once and kept: frames allocate nothing.
static std::vector<unsigned char>& tilesInViewScratch() {
    static std::vector<unsigned char> inView;
    return inView;
}

// Appends to the list's runs the index runs of the tiles in view, neighbours
// joined, in the part's own order; returns how many it appended (0 when no
// tile is in view).
static int appendTileRuns(const MeshTiles& tiles, const Matrix4& toClip, DrawList& list) {
    std::vector<unsigned char>& inView = tilesInViewScratch();
    const size_t tileCount = tiles.boxes.size() / 6;
    inView.resize(tileCount);
    for (size_t t = 0; t < tileCount; ++t) {
        const float* box = &tiles.boxes[t * 6];
        inView[t] = boxOutside(toClip, box, box + 3) ? 0 : 1;
    }
    const size_t firstRun = list.runCounts.size();
    int nextIndex = -1;
    for (const TileRun& run : tiles.runs) {
        if (run.tile < 0 || (size_t)run.tile >= tileCount || !inView[(size_t)run.tile]) continue;
        if (run.firstIndex == nextIndex) {
            list.runCounts.back() += run.indexCount;
        } else {
            list.runCounts.push_back(run.indexCount);
            list.runOffsets.push_back(reinterpret_cast<const void*>((uintptr_t)run.firstIndex * sizeof(uint16_t)));
        }
        nextIndex = run.firstIndex + run.indexCount;
    }
    return (int)(list.runCounts.size() - firstRun);
}

void collectVisibleDraws(const std::vector<RenderItem>& items, const std::vector<SortKey>& keys, bool sorted,
                         const CAMERA3D* camera, DrawList& list) {
    list.draws.clear();
    list.runCounts.clear();
    list.runOffsets.clear();
    Matrix4 viewProjection;
    float halfWidth = 0.0f, halfHeight = 0.0f;
    if (camera) {
        matrixMultiply(viewProjection, camera->projection(), camera->view());
        halfWidth = 0.5f * (float)camera->viewport->width;
        halfHeight = 0.5f * (float)camera->viewport->height;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[sorted ? static_cast<size_t>(keys[i].index) : i];
        if (!camera) {
            list.draws.push_back(VisibleDraw{&item, 0, false, 0, 0});
            continue;
        }
        Matrix4 toClip;
        matrixMultiply(toClip, viewProjection, item.world);
        if (meshOutside(item, toClip)) continue;
        const MeshTiles* tiles = item.part ? item.part->tiles : nullptr;
        const int firstRun = (int)list.runCounts.size();
        const int runCount = tiles ? appendTileRuns(*tiles, toClip, list) : 0;
        if (tiles && runCount == 0) continue;
        list.draws.push_back(
            VisibleDraw{&item, detailLevel(item, toClip, halfWidth, halfHeight), tiles != nullptr, firstRun, runCount});
    }
}
