#include "scene/mesh_detail.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

#include "scene/model.h"
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
