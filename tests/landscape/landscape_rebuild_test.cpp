// The vectorised rebuild against the per-vertex formulas, bit for bit, on a
// bumpy field: every column of every row (the four-column groups, the odd
// last interior column, the borders), and nothing written that should not be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>

#include "landscape/heightfield.h"
#include "landscape/landscape_mesh.h"
#include "scene/model.h"

namespace {

constexpr float kStep = 0.003937008f;
constexpr float kUntouched = 7.25f;  // fills what the rebuild must leave alone

// Vertex (r, c) and its normal as the grid formulas define them.
void expectedVertex(const Heightfield& h, int r, int c, float position[4], float uv[2]) {
    const float x = ((float)c * kStep - 0.5f) * h.extentX;
    const float z = ((float)r * kStep - 0.5f) * h.extentZ;
    position[0] = x;
    position[1] = h.heights[r * kGridSize + c] * h.heightScale;
    position[2] = z;
    position[3] = 1.0f;
    uv[0] = (h.extentX * 0.5f + x) / h.extentX * 8.0f;
    uv[1] = (h.extentZ * 0.5f + z) / h.extentZ * 8.0f;
}

void expectedNormal(const Heightfield& h, int r, int c, float n[3]) {
    float p[4], right[4], down[4], uv[2];
    expectedVertex(h, r, c, p, uv);
    expectedVertex(h, r, c + 1, right, uv);
    expectedVertex(h, r + 1, c, down, uv);
    const float ax = down[0] - p[0], ay = down[1] - p[1], az = down[2] - p[2];
    const float bx = right[0] - p[0], by = right[1] - p[1], bz = right[2] - p[2];
    n[0] = ay * bz - az * by;
    n[1] = az * bx - ax * bz;
    n[2] = ax * by - ay * bx;
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k) n[k] = length == 0.0f ? 0.0f : n[k] * (1.0f / length);
}

}  // namespace

TEST(LandscapeRebuild, MatchesTheGridFormulasBitForBit) {
    auto h = std::make_unique<Heightfield>();
    for (int i = 0; i < kGridPoints; ++i) h->heights[i] = std::sin(0.37f * (float)i) * ((i % 11) == 0 ? 0.0f : 3.0f);
    for (float& n : h->normals) n = kUntouched;
    h->extentX = 20000.0f;
    h->extentZ = 15000.0f;
    h->heightScale = -1234.5f;

    Vertex pattern;
    std::fill_n(pattern.position, 4, kUntouched);
    std::fill_n(pattern.normal, 3, kUntouched);
    std::fill_n(pattern.uv0, 2, kUntouched);
    std::fill_n(pattern.uv1, 2, kUntouched);
    std::fill_n(pattern.jointSlots, 4, kUntouched);
    std::fill_n(pattern.weights, 4, kUntouched);
    Mesh mesh;
    mesh.vertexCount = kGridPoints;
    mesh.vertices = new Vertex[kGridPoints];
    for (int i = 0; i < kGridPoints; ++i) mesh.vertices[i] = pattern;
    ASSERT_TRUE(rebuildLandscapeVertices(*h, &mesh));

    const float untouched[3] = {kUntouched, kUntouched, kUntouched};
    for (int r = 0; r < kGridSize; ++r) {
        for (int c = 0; c < kGridSize; ++c) {
            const int i = r * kGridSize + c;
            const Vertex& v = mesh.vertices[i];
            float position[4], uv[2], normal[3];
            expectedVertex(*h, r, c, position, uv);
            const bool border = r == 0 || c == 0 || r == kGridSize - 1 || c == kGridSize - 1;
            if (border)
                std::memcpy(normal, untouched, sizeof normal);
            else
                expectedNormal(*h, r, c, normal);
            ASSERT_EQ(0, std::memcmp(position, v.position, sizeof position)) << r << "," << c;
            ASSERT_EQ(0, std::memcmp(uv, v.uv0, sizeof uv)) << r << "," << c;
            ASSERT_EQ(0, std::memcmp(normal, v.normal, sizeof normal)) << r << "," << c;
            ASSERT_EQ(0, std::memcmp(normal, h->normals + 3 * i, sizeof normal)) << r << "," << c;
            ASSERT_EQ(0,
                      std::memcmp(pattern.uv1, v.uv1, sizeof(Vertex) - offsetof(Vertex, uv1)))  // uv1, joints, weights
                << r << "," << c;
        }
    }
}

TEST(LandscapeRebuild, RefusesMeshesThatAreNotTheGrid) {
    auto h = std::make_unique<Heightfield>();
    Mesh mesh;
    EXPECT_FALSE(rebuildLandscapeVertices(*h, &mesh));
    EXPECT_FALSE(rebuildLandscapeVertices(*h, nullptr));
    mesh.vertexCount = 3;
    mesh.vertices = new Vertex[3]();
    EXPECT_FALSE(rebuildLandscapeVertices(*h, &mesh));
    EXPECT_EQ(0.0f, mesh.vertices[0].position[3]);
}
