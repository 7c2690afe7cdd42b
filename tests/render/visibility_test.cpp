// Visibility: culling by the mesh box, levels of detail, and the list of
// draws a sorted queue becomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "render/visibility.h"
#include "scene/camera.h"
#include "scene/model.h"

// ---- view culling (no GL) --------------------------------------------------

// A static mesh whose box reaches halfSize from the origin along each axis,
// with one detail level per error, finest first.
static void makeBoxWithLevels(Mesh& mesh, float halfSize, std::initializer_list<float> errors) {
    mesh.part = new MeshPart;
    for (int axis = 0; axis < 3; ++axis) {
        mesh.boundsMin[axis] = -halfSize;
        mesh.boundsMax[axis] = halfSize;
    }
    for (float error : errors) mesh.part->detailLevels[mesh.part->detailLevelCount++].error = error;
}

// A unit box around the origin of a static mesh, placed by a translation and
// seen through a 90-degree perspective from the origin looking down -z
// (near 1, far 100): a box is culled only when it lies wholly beyond one
// plane of the view volume, behind the camera included.
TEST(ViewCulling, OnlyBoxesWhollyBeyondOnePlane) {
    Matrix4 projection;
    matrixPerspective(projection, 90.0, 1.0, 1.0, 100.0);
    Mesh mesh;
    for (int axis = 0; axis < 3; ++axis) {
        mesh.boundsMin[axis] = -0.5f;
        mesh.boundsMax[axis] = 0.5f;
    }
    auto outsideAt = [&](float x, float y, float z, float scale = 1.0f) {
        RenderItem item;
        item.mesh = &mesh;
        matrixIdentity(item.world);
        item.world.m[0] = item.world.m[5] = item.world.m[10] = scale;
        item.world.m[12] = x;
        item.world.m[13] = y;
        item.world.m[14] = z;
        return outsideView(item, projection);
    };
    EXPECT_FALSE(outsideAt(0, 0, -10));  // straight ahead
    EXPECT_FALSE(outsideAt(10.4f, 0, -10));  // reaches over the right edge
    EXPECT_FALSE(outsideAt(11, 0, -10));  // one corner touches it
    EXPECT_TRUE(outsideAt(12, 0, -10));  // wholly right of it
    EXPECT_TRUE(outsideAt(0, -12, -10));  // below
    EXPECT_TRUE(outsideAt(0, 0, 5));  // behind the camera
    EXPECT_TRUE(outsideAt(0, 0, 0));  // around the eye, but nearer than the near plane
    EXPECT_FALSE(outsideAt(0, 0, -1));  // across the near plane
    EXPECT_TRUE(outsideAt(0, 0, -101));  // beyond the far plane
    // Much larger than the view: its corners lie beyond different planes.
    EXPECT_FALSE(outsideAt(0, 0, -10, 100.0f));

    // Boxes that do not hold the drawn vertices are never culled.
    mesh.skinned = true;
    EXPECT_FALSE(outsideAt(0, 0, 5));
    mesh.skinned = false;
    mesh.dynamicVertices = true;
    EXPECT_FALSE(outsideAt(0, 0, 5));
    mesh.dynamicVertices = false;
    mesh.boundsMin[0] = 1e9f;  // no box yet
    mesh.boundsMax[0] = -1e9f;
    EXPECT_FALSE(outsideAt(0, 0, 5));
    mesh.boundsMin[0] = NAN;
    EXPECT_FALSE(outsideAt(0, 0, 5));
}

// Levels of detail, for the same unit box seen on a 64 x 64 viewport: the
// coarsest level whose error, at the box's nearest depth, spans at most half
// a pixel; 0 (the part's own indices) near the eye, for boxes that do not
// hold the vertices, and when levels are switched off.
TEST(DetailLevels, CoarsestLevelWithinHalfAPixel) {
    Matrix4 projection;
    matrixPerspective(projection, 90.0, 1.0, 1.0, 100.0);
    Mesh mesh;
    makeBoxWithLevels(mesh, 0.5f, {0.01f, 0.1f});
    auto levelAt = [&](float z) {
        RenderItem item;
        item.mesh = &mesh;
        item.part = mesh.part;
        matrixTranslation(item.world, 0.0f, 0.0f, z);
        Matrix4 toClip;
        matrixMultiply(toClip, projection, item.world);
        return detailLevel(item, toClip, 32.0f, 32.0f);
    };
    // One unit spans 32 * sqrt(2) pixels at depth 1; the box reaches 0.866 nearer.
    EXPECT_EQ(levelAt(-1.5f), 0);
    EXPECT_EQ(levelAt(-5.0f), 1);  // 0.01 spans 0.11 pixels, 0.1 spans 1.1
    EXPECT_EQ(levelAt(-20.0f), 2);  // 0.1 spans 0.24 pixels
    EXPECT_EQ(levelAt(0.0f), 0);  // around the eye
    setDetailPixels(0.0f);
    EXPECT_EQ(levelAt(-20.0f), 0);
    setDetailPixels(0.5f);
    mesh.skinned = true;
    EXPECT_EQ(levelAt(-20.0f), 0);
}

// Away from the centre a point moves more on screen than the clip x and y
// rows alone say: the change of depth shifts it too. A box near each corner
// of a 16:9 and a 21:9 view (the demo's 60 degrees, near 50), swept from near
// to far: whatever level is chosen, no point of the box that is on screen
// moves more than half a pixel when displaced by the level's error.
TEST(DetailLevels, HalfAPixelHoldsAtTheCornersOfWideViews) {
    Mesh mesh;
    makeBoxWithLevels(mesh, 50.0f, {0.5f, 2.0f, 8.0f});
    for (const int width : {1920, 2520}) {
        const float halfWidth = 0.5f * width, halfHeight = 540.0f;
        Matrix4 projection;
        matrixPerspective(projection, 60.0, width / 1080.0, 50.0, 50000.0);
        auto pixel = [&](const double p[3], double out[2]) {
            const float* m = projection.m;
            double clip[4];
            for (int row = 0; row < 4; ++row)
                clip[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
            out[0] = halfWidth * clip[0] / clip[3];
            out[1] = halfHeight * clip[1] / clip[3];
        };
        double worst = 0.0;
        int levelsChosen = 0;
        for (const int corner : {0, 1, 2, 3}) {
            const double sx = (corner & 1) ? 1.0 : -1.0, sy = (corner & 2) ? 1.0 : -1.0;
            for (double depth = 300.0; depth < 40000.0; depth *= 1.01) {
                // The box's centre at 95 % of the way to the corner.
                const double tanHalf = std::tan(3.14159265358979 / 6.0);
                const double centre[3] = {sx * 0.95 * depth * tanHalf * width / 1080.0, sy * 0.95 * depth * tanHalf,
                                          -depth};
                RenderItem item;
                item.mesh = &mesh;
                item.part = mesh.part;
                matrixTranslation(item.world, (float)centre[0], (float)centre[1], (float)centre[2]);
                Matrix4 toClip;
                matrixMultiply(toClip, projection, item.world);
                const int level = detailLevel(item, toClip, halfWidth, halfHeight);
                if (level == 0) continue;
                ++levelsChosen;
                const double error = mesh.part->detailLevels[level - 1].error;
                // Every box corner on screen, moved by the error along each axis and diagonal.
                for (int boxCorner = 0; boxCorner < 8; ++boxCorner) {
                    const double p[3] = {centre[0] + ((boxCorner & 1) ? 50 : -50),
                                         centre[1] + ((boxCorner & 2) ? 50 : -50),
                                         centre[2] + ((boxCorner & 4) ? 50 : -50)};
                    double at[2];
                    pixel(p, at);
                    if (std::fabs(at[0]) > halfWidth || std::fabs(at[1]) > halfHeight) continue;
                    for (int d = 0; d < 27; ++d) {
                        const double v[3] = {double(d % 3 - 1), double(d / 3 % 3 - 1), double(d / 9 - 1)};
                        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
                        if (length == 0.0) continue;
                        const double q[3] = {p[0] + error * v[0] / length, p[1] + error * v[1] / length,
                                             p[2] + error * v[2] / length};
                        double moved[2];
                        pixel(q, moved);
                        worst = std::max(worst, std::hypot(moved[0] - at[0], moved[1] - at[1]));
                    }
                }
            }
        }
        std::printf("%d x 1080: largest movement of a level switch at the corners %.4f pixels\n", width, worst);
        EXPECT_GT(levelsChosen, 100);
        EXPECT_LE(worst, 0.5) << width << " x 1080";
    }
}

// ---- the list of draws (no GL) ---------------------------------------------

// A queue seen by a camera at the origin looking down -z (90 degrees, near 1,
// far 100, 64 x 64 pixels), taken nearest first: a box behind the camera is
// left out, a box far ahead gets its coarser level, and a tiled part keeps
// the runs of its tiles in view, neighbours joined; a tiled part with no
// tile in view is left out. Without a camera every item is drawn whole.
TEST(DrawList, SortedQueueBecomesTheVisibleDrawsWithLevelsAndTileRuns) {
    Mesh box;
    makeBoxWithLevels(box, 0.5f, {0.01f});
    Mesh ground;
    ground.dynamicVertices = true;  // its own box does not hold: only the tiles cull
    ground.part = new MeshPart;
    ground.part->tiles = new MeshTiles;
    // Tile 0 ahead, tile 1 behind the camera, tile 2 ahead.
    ground.part->tiles->boxes = {-1, -1, -11, 1, 1, -9, -1, -1, 9, 1, 1, 11, -1, -1, -21, 1, 1, -19};
    ground.part->tiles->runs = {{0, 6, 0}, {6, 6, 2}, {12, 6, 1}, {18, 6, 0}};
    Mesh hidden;
    hidden.dynamicVertices = true;
    hidden.part = new MeshPart;
    hidden.part->tiles = new MeshTiles;
    hidden.part->tiles->boxes = {-1, -1, 9, 1, 1, 11};
    hidden.part->tiles->runs = {{0, 6, 0}};

    auto itemAt = [](Mesh& mesh, float z) {
        RenderItem item;
        item.mesh = &mesh;
        item.part = mesh.part;
        matrixTranslation(item.world, 0.0f, 0.0f, z);
        item.position[2] = z;
        return item;
    };
    const std::vector<RenderItem> items = {itemAt(box, -20.0f), itemAt(box, 5.0f), itemAt(ground, 0.0f),
                                           itemAt(hidden, 0.0f), itemAt(box, -1.5f)};
    CAMERA3D camera;
    camera.ownViewport = Viewport{0, 0, 64, 64};
    camera.setPerspective(90.0, 1.0, 1.0, 100.0);
    camera.lookAt(0.0f, 0.0f, -1.0f);
    const float eye[3] = {0.0f, 0.0f, 0.0f};
    std::vector<SortKey> keys;
    ASSERT_TRUE(sortOrder(SortMode::NearestFirst, items, eye, keys));
    DrawList list;
    collectVisibleDraws(items, keys, true, &camera, list);

    ASSERT_EQ(list.draws.size(), 3u);
    EXPECT_EQ(list.draws[0].item, &items[2]);  // the ground, at distance 0
    EXPECT_TRUE(list.draws[0].tiled);
    ASSERT_EQ(list.draws[0].runCount, 2);
    const int first = list.draws[0].firstRun;
    EXPECT_EQ(list.runCounts[first], 12);  // tiles 0 and 2, joined
    EXPECT_EQ(list.runOffsets[first], reinterpret_cast<const void*>(0));
    EXPECT_EQ(list.runCounts[first + 1], 6);
    EXPECT_EQ(list.runOffsets[first + 1], reinterpret_cast<const void*>(18 * sizeof(uint16_t)));
    EXPECT_EQ(list.draws[1].item, &items[4]);
    EXPECT_EQ(list.draws[1].level, 0);  // near: full detail
    EXPECT_FALSE(list.draws[1].tiled);
    EXPECT_EQ(list.draws[2].item, &items[0]);
    EXPECT_EQ(list.draws[2].level, 1);

    collectVisibleDraws(items, keys, false, nullptr, list);
    ASSERT_EQ(list.draws.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(list.draws[i].item, &items[i]);
        EXPECT_EQ(list.draws[i].level, 0);
        EXPECT_FALSE(list.draws[i].tiled);
    }
    EXPECT_TRUE(list.runCounts.empty());
}
