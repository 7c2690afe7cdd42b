#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "image/texture.h"
#include "landscape/heightfield.h"
#include "landscape/landscape_mesh.h"
#include "gpu/gl_state_cache.h"
#include "scene/model.h"
#include "tests/support/gl_test_context.h"

namespace {

class LandscapeMesh : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        field.reset(new Heightfield());
        ASSERT_TRUE(createLandscapeMesh(&model, *field, 1.0f));
        mesh = model.meshes;
        ASSERT_NE(nullptr, mesh);
    }
    // A flat field at height 0 with the demo's extents, rebuilt.
    void rebuildFlat(float heightScale) {
        for (float& height : field->heights) height = 0.0f;
        field->extentX = 20000.0f;
        field->extentZ = 20000.0f;
        field->heightScale = heightScale;
        updateLandscapeMesh(*field, &model);
    }
    const Vertex& vertex(int r, int c) const { return mesh->vertices[r * kGridSize + c]; }

    std::unique_ptr<Heightfield> field;
    MODEL3D model;
    Mesh* mesh = nullptr;
};

}  // namespace

TEST_F(LandscapeMesh, BuildsTheGridBuffersAndMaterial) {
    EXPECT_EQ(nullptr, mesh->next);
    EXPECT_FALSE(mesh->skinned);
    EXPECT_EQ(65025, mesh->vertexCount);
    EXPECT_EQ(4941900, mesh->vertexBytes);
    EXPECT_GT(mesh->vertexBuffer, 0);
    MeshPart* part = mesh->part;
    ASSERT_NE(nullptr, part);
    EXPECT_EQ(387096, part->indexCount);
    EXPECT_EQ(774192, part->indexBytes);
    EXPECT_GT(part->indexBuffer, 0);

    const uint16_t first[6] = {255, 1, 0, 255, 256, 1};
    const uint16_t last[6] = {65023, 64769, 64768, 65023, 65024, 64769};
    EXPECT_EQ(0, memcmp(first, part->indices, sizeof first));
    EXPECT_EQ(0, memcmp(last, part->indices + part->indexCount - 6, sizeof last));

    ASSERT_NE(nullptr, part->material);
    ASSERT_EQ(1, part->material->textureCount);
    Texture* texture = part->material->textures[0];
    ASSERT_NE(nullptr, texture);
    EXPECT_EQ(0u, texture->refCount);  // private, released with the material
    EXPECT_EQ("data/terrain_surface4.png", texture->path);
    EXPECT_EQ(nullptr, findTexture("data/terrain_surface4.png"));
}

TEST_F(LandscapeMesh, MapsCornersAndTextureCoordinates) {
    rebuildFlat(1.0f);
    field->heights[0] = 3.0f;
    field->heights[kGridPoints - 1] = -2.0f;
    field->heightScale = 10.0f;
    updateLandscapeMesh(*field, &model);

    const Vertex& a = vertex(0, 0);
    EXPECT_FLOAT_EQ(-10000.0f, a.position[0]);
    EXPECT_FLOAT_EQ(30.0f, a.position[1]);
    EXPECT_FLOAT_EQ(-10000.0f, a.position[2]);
    EXPECT_EQ(1.0f, a.position[3]);
    EXPECT_FLOAT_EQ(0.0f, a.uv0[0]);
    EXPECT_FLOAT_EQ(0.0f, a.uv0[1]);

    const Vertex& b = vertex(254, 254);
    EXPECT_NEAR(10000.0f, b.position[0], 0.01f);
    EXPECT_FLOAT_EQ(-20.0f, b.position[1]);
    EXPECT_NEAR(10000.0f, b.position[2], 0.01f);
    EXPECT_NEAR(8.0f, b.uv0[0], 1e-5f);
    EXPECT_NEAR(8.0f, b.uv0[1], 1e-5f);

    // Row r runs along z, column c along x.
    const Vertex& c = vertex(0, 254);
    EXPECT_NEAR(10000.0f, c.position[0], 0.01f);
    EXPECT_FLOAT_EQ(-10000.0f, c.position[2]);

    for (int i = 0; i < kGridPoints; i += 997) {
        const Vertex& v = mesh->vertices[i];
        EXPECT_EQ(0.0f, v.uv1[0]);
        EXPECT_EQ(0.0f, v.uv1[1]);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(0.0f, v.jointSlots[k]);
            EXPECT_EQ(0.0f, v.weights[k]);
        }
    }
}

TEST_F(LandscapeMesh, FlatFieldNormalsPointUpInsideAndAreZeroOnTheBorder) {
    rebuildFlat(2000.0f);
    for (int r = 0; r < kGridSize; ++r) {
        for (int c = 0; c < kGridSize; ++c) {
            const Vertex& v = vertex(r, c);
            ASSERT_EQ(0.0f, v.position[1]);
            bool border = r == 0 || c == 0 || r == kGridSize - 1 || c == kGridSize - 1;
            float expectedY = border ? 0.0f : 1.0f;
            ASSERT_EQ(0.0f, v.normal[0]) << r << "," << c;
            ASSERT_FLOAT_EQ(expectedY, v.normal[1]) << r << "," << c;
            ASSERT_EQ(0.0f, v.normal[2]) << r << "," << c;
            if (!border) {
                ASSERT_FLOAT_EQ(1.0f, field->normals[3 * (r * kGridSize + c) + 1]);
            }
        }
    }
}

TEST_F(LandscapeMesh, NegativeHeightScaleMirrorsTheSurface) {
    rebuildFlat(1.0f);
    for (int i = 0; i < kGridPoints; ++i) field->heights[i] = (float)((i * 7919) % 101) * 0.5f;
    field->heightScale = 40.0f;
    updateLandscapeMesh(*field, &model);
    std::vector<Vertex> up(mesh->vertices, mesh->vertices + kGridPoints);
    field->heightScale = -40.0f;
    updateLandscapeMesh(*field, &model);

    for (int r = 1; r < kGridSize - 1; r += 7) {
        for (int c = 1; c < kGridSize - 1; c += 5) {
            const Vertex& before = up[r * kGridSize + c];
            const Vertex& after = vertex(r, c);
            ASSERT_EQ(-before.position[1], after.position[1]);
            // Mirroring y reverses the winding: the normal keeps pointing up
            // the surface, the mirror image of the old one turned around.
            ASSERT_EQ(-before.normal[0], after.normal[0]);
            ASSERT_EQ(before.normal[1], after.normal[1]);
            ASSERT_EQ(-before.normal[2], after.normal[2]);
            ASSERT_GT(after.normal[1], 0.0f);
        }
    }
}

TEST_F(LandscapeMesh, GpuBuffersHoldTheCpuCopies) {
    rebuildFlat(1.0f);
    field->heights[300] = 5.0f;
    updateLandscapeMesh(*field, &model);

    std::vector<Vertex> gpuVertices(kGridPoints);
    bindArrayBuffer((uint32_t)mesh->vertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, mesh->vertexBytes, gpuVertices.data());
    EXPECT_EQ(0, memcmp(gpuVertices.data(), mesh->vertices, mesh->vertexBytes));

    std::vector<uint16_t> gpuIndices(mesh->part->indexCount);
    bindElementBuffer((uint32_t)mesh->part->indexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, mesh->part->indexBytes, gpuIndices.data());
    EXPECT_EQ(0, memcmp(gpuIndices.data(), mesh->part->indices, mesh->part->indexBytes));
}

// The tiles drawn in view: the runs in order are the whole index list, and
// every vertex a run uses lies in its tile's box after each rebuild (also
// when a negative height scale turns the surface over).
TEST_F(LandscapeMesh, TileRunsCoverTheIndicesAndTheirBoxesHoldTheirVertices) {
    const MeshTiles* tiles = mesh->part->tiles;
    ASSERT_NE(nullptr, tiles);
    ASSERT_EQ(16u * 16u * 6u, tiles->boxes.size());
    for (float scale : {40.0f, -40.0f}) {
        rebuildFlat(1.0f);
        for (int i = 0; i < kGridPoints; ++i) field->heights[i] = (float)((i * 7919) % 101) * 0.5f;
        field->heightScale = scale;
        updateLandscapeMesh(*field, &model);
        int next = 0;
        for (const TileRun& run : tiles->runs) {
            ASSERT_EQ(next, run.firstIndex);
            next += run.indexCount;
            const float* box = &tiles->boxes[(size_t)run.tile * 6];
            for (int i = run.firstIndex; i < next; ++i) {
                const float* p = mesh->vertices[mesh->part->indices[i]].position;
                for (int axis = 0; axis < 3; ++axis) {
                    ASSERT_GE(p[axis], box[axis]) << scale << " index " << i;
                    ASSERT_LE(p[axis], box[3 + axis]) << scale << " index " << i;
                }
            }
        }
        EXPECT_EQ(mesh->part->indexCount, next);
    }
}
