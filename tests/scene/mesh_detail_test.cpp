#include "scene/mesh_detail.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/model.h"
#include "scene/model_file.h"
#include "tests/support/gl_test_context.h"

namespace {

using DetailLevels = GlTest;

// A closed sphere of radius 10, `rings` x `segments` quads, as a mesh with
// its part: 2 * rings * segments triangles.
void makeSphere(Mesh& mesh, int rings, int segments) {
    const int columns = segments + 1;
    mesh.vertexCount = (rings + 1) * columns;
    mesh.vertices = new Vertex[mesh.vertexCount]();
    for (int r = 0; r <= rings; ++r) {
        for (int s = 0; s <= segments; ++s) {
            const float theta = 3.14159265f * (float)r / (float)rings;
            const float phi = 6.2831853f * (float)s / (float)segments;
            float* p = mesh.vertices[r * columns + s].position;
            p[0] = 10.0f * std::sin(theta) * std::cos(phi);
            p[1] = 10.0f * std::cos(theta);
            p[2] = 10.0f * std::sin(theta) * std::sin(phi);
            p[3] = 1.0f;
        }
    }
    MeshPart* part = mesh.part = new MeshPart;
    part->indexCount = rings * segments * 6;
    part->indices = new uint16_t[part->indexCount];
    uint16_t* out = part->indices;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const uint16_t a = (uint16_t)(r * columns + s), b = (uint16_t)(a + columns);
            const uint16_t quad[6] = {a, b, (uint16_t)(a + 1), (uint16_t)(a + 1), b, (uint16_t)(b + 1)};
            for (uint16_t index : quad) *out++ = index;
        }
    }
}

struct Point {
    float x, y, z;
};
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct Triangle {
    Point corner[3];
    Point low, high;  // box
};

std::vector<Triangle> triangles(const Mesh& mesh, const uint16_t* indices, int indexCount) {
    std::vector<Triangle> out;
    for (int i = 0; i + 2 < indexCount; i += 3) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            const float* p = mesh.vertices[indices[i + k]].position;
            t.corner[k] = {p[0], p[1], p[2]};
        }
        t.low = t.high = t.corner[0];
        for (const Point& p : t.corner) {
            t.low = {std::min(t.low.x, p.x), std::min(t.low.y, p.y), std::min(t.low.z, p.z)};
            t.high = {std::max(t.high.x, p.x), std::max(t.high.y, p.y), std::max(t.high.z, p.z)};
        }
        out.push_back(t);
    }
    return out;
}

float segmentDistance(Point p, Point a, Point b) {
    const Point ab = b - a;
    const float length2 = dot(ab, ab);
    const float t = length2 > 0.0f ? std::clamp(dot(p - a, ab) / length2, 0.0f, 1.0f) : 0.0f;
    const Point d = p - Point{a.x + t * ab.x, a.y + t * ab.y, a.z + t * ab.z};
    return std::sqrt(dot(d, d));
}

// The plane distance where p projects inside the triangle, else the nearest edge.
float triangleDistance(Point p, const Triangle& t) {
    const Point& a = t.corner[0];
    const Point& b = t.corner[1];
    const Point& c = t.corner[2];
    const Point n = cross(b - a, c - a);
    const float n2 = dot(n, n);
    if (n2 > 0.0f && dot(cross(b - a, p - a), n) >= 0.0f && dot(cross(c - b, p - b), n) >= 0.0f &&
        dot(cross(a - c, p - c), n) >= 0.0f)
        return std::fabs(dot(p - a, n)) / std::sqrt(n2);
    return std::min({segmentDistance(p, a, b), segmentDistance(p, b, c), segmentDistance(p, c, a)});
}

// Whether p lies within `bound` of some triangle; *hint starts the search where
// the last point found its triangle.
bool within(Point p, const std::vector<Triangle>& surface, float bound, size_t* hint) {
    for (size_t k = 0; k < surface.size(); ++k) {
        const size_t i = (*hint + k) % surface.size();
        const Triangle& t = surface[i];
        if (p.x < t.low.x - bound || p.x > t.high.x + bound || p.y < t.low.y - bound || p.y > t.high.y + bound ||
            p.z < t.low.z - bound || p.z > t.high.z + bound)
            continue;
        if (triangleDistance(p, t) <= bound) {
            *hint = i;
            return true;
        }
    }
    return false;
}

// How many points of `from`, on a grid of about `spacing` across each
// triangle, lie farther than `bound` from `to`.
int pointsFarFrom(const std::vector<Triangle>& from, const std::vector<Triangle>& to, float spacing, float bound) {
    int far = 0;
    size_t hint = 0;
    for (const Triangle& t : from) {
        const Point& a = t.corner[0];
        const Point ab = t.corner[1] - a, ac = t.corner[2] - a;
        const Point bc = t.corner[2] - t.corner[1];
        const float longest = std::max({dot(ab, ab), dot(ac, ac), dot(bc, bc)});
        const int steps = 1 + (int)(std::sqrt(longest) / spacing);
        for (int i = 0; i <= steps; ++i) {
            for (int j = 0; i + j <= steps; ++j) {
                const float u = (float)i / (float)steps, v = (float)j / (float)steps;
                const Point p = {a.x + u * ab.x + v * ac.x, a.y + u * ab.y + v * ac.y, a.z + u * ab.z + v * ac.z};
                if (!within(p, to, bound, &hint)) ++far;
            }
        }
    }
    return far;
}

}  // namespace

TEST_F(DetailLevels, EachLevelIsCoarserAndNamesOnlyTheMeshesVertices) {
    Mesh mesh;
    makeSphere(mesh, 16, 32);  // 1024 triangles
    buildDetailLevels(&mesh);
    const MeshPart& part = *mesh.part;
    ASSERT_GE(part.detailLevelCount, 2);
    EXPECT_GT(part.detailIndexBuffer, 0);
    int previous = part.indexCount;
    for (int level = 0; level < part.detailLevelCount; ++level) {
        const MeshDetailLevel& detail = part.detailLevels[level];
        EXPECT_EQ(detail.indexCount % 3, 0);
        EXPECT_LE(detail.indexCount, previous * 3 / 4) << level;
        EXPECT_GT(detail.error, 0.0f) << level;
        EXPECT_LT(detail.error, 20.0f) << level;  // within the sphere's size
        previous = detail.indexCount;
    }
    // What the buffer holds: every index names a vertex of the mesh.
    const MeshDetailLevel& last = part.detailLevels[part.detailLevelCount - 1];
    std::vector<uint16_t> stored((size_t)(last.firstIndex + last.indexCount));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, (GLuint)part.detailIndexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, (GLsizeiptr)(stored.size() * 2), stored.data());
    for (uint16_t index : stored) ASSERT_LT(index, mesh.vertexCount);
}

// Meshes the levels cannot hold for get none: skinned or rewritten ones, small
// ones, and ones with an index past the vertices or a position that is not a
// number (from a hostile file).
TEST_F(DetailLevels, NoneForMeshesTheyCannotStandFor) {
    for (int flaw = 0; flaw < 5; ++flaw) {
        Mesh mesh;
        makeSphere(mesh, flaw == 2 ? 2 : 16, flaw == 2 ? 4 : 32);
        if (flaw == 0) mesh.skinned = true;
        if (flaw == 1) mesh.dynamicVertices = true;
        if (flaw == 3) mesh.part->indices[100] = (uint16_t)mesh.vertexCount;
        if (flaw == 4) mesh.vertices[7].position[1] = NAN;
        buildDetailLevels(&mesh);
        EXPECT_EQ(mesh.part->detailLevelCount, 0) << flaw;
        EXPECT_EQ(mesh.part->detailIndexBuffer, -1) << flaw;
    }
}

// Every level of every demo model, measured here on its own: no point of the
// full surface lies farther from the level's triangles than its stored error,
// nor any point of the level from the full surface; coarser levels never
// claim less. (The level choice trusts the error to keep the change under
// half a pixel.)
TEST_F(DetailLevels, DemoModelsStayWithinTheirErrorBothWays) {
    int levelsChecked = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/Ultimate Models")) {
        const std::string path = entry.path().string();
        MODEL3D model;
        ASSERT_TRUE(loadModel(&model, path.c_str())) << path;
        std::vector<const MODEL3D*> pending = {&model};
        while (!pending.empty()) {
            const MODEL3D* node = pending.back();
            pending.pop_back();
            for (const ACTOR* child = node->children; child; child = child->next)
                pending.push_back(static_cast<const MODEL3D*>(child));
            for (const Mesh* mesh = node->meshes; mesh; mesh = mesh->next) {
                const MeshPart& part = *mesh->part;
                if (part.detailLevelCount == 0) continue;
                const std::vector<Triangle> full = triangles(*mesh, part.indices, part.indexCount);
                const float* low = mesh->boundsMin;
                const float* high = mesh->boundsMax;
                const float diagonal = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
                const MeshDetailLevel& last = part.detailLevels[part.detailLevelCount - 1];
                std::vector<uint16_t> stored((size_t)(last.firstIndex + last.indexCount));
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, (GLuint)part.detailIndexBuffer);
                glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, (GLsizeiptr)(stored.size() * 2), stored.data());
                float previous = 0.0f;
                for (int l = 0; l < part.detailLevelCount; ++l) {
                    const MeshDetailLevel& level = part.detailLevels[l];
                    const std::vector<Triangle> coarse =
                        triangles(*mesh, stored.data() + level.firstIndex, level.indexCount);
                    const float bound = level.error * 1.001f + diagonal * 1e-5f;  // rounding only
                    const float spacing = diagonal / 150.0f;
                    const std::string where =
                        path + " level " + std::to_string(l + 1) + " error " + std::to_string(level.error);
                    EXPECT_GE(level.error, previous) << where;
                    EXPECT_EQ(pointsFarFrom(full, coarse, spacing, bound), 0) << where << ": full from level";
                    EXPECT_EQ(pointsFarFrom(coarse, full, spacing, bound), 0) << where << ": level from full";
                    previous = level.error;
                    ++levelsChecked;
                }
            }
        }
    }
    EXPECT_GT(levelsChecked, 15);
}
