#include "scene/mesh_detail.h"

#include <meshoptimizer.h>

#include <cmath>
#include <vector>

#include "render/gl_buffers.h"
#include "scene/model.h"

constexpr int kMinTriangles = 64;

static bool simplifiable(const Mesh& mesh) {
    const MeshPart* part = mesh.part;
    if (mesh.skinned || mesh.dynamicVertices || !mesh.vertices || !part || !part->indices) return false;
    if (part->indexCount < kMinTriangles * 3 || part->indexCount % 3 != 0) return false;
    for (int i = 0; i < part->indexCount; ++i)
        if (part->indices[i] >= mesh.vertexCount) return false;
    for (int v = 0; v < mesh.vertexCount; ++v)
        for (int axis = 0; axis < 3; ++axis)
            if (!std::isfinite(mesh.vertices[v].position[axis])) return false;
    return true;
}

void buildDetailLevels(Mesh* mesh) {
    if (!mesh || !simplifiable(*mesh)) return;
    MeshPart* part = mesh->part;
    const size_t indexCount = (size_t)part->indexCount;
    const std::vector<unsigned int> source(part->indices, part->indices + indexCount);
    const float* positions = mesh->vertices[0].position;
    const size_t vertexCount = (size_t)mesh->vertexCount;
    const float scale = meshopt_simplifyScale(positions, vertexCount, sizeof(Vertex));

    std::vector<uint16_t> levels;  // every level's indices, one after another
    std::vector<unsigned int> simplified(indexCount);
    size_t previousCount = indexCount;
    for (size_t divisor = 2; divisor <= 16 && part->detailLevelCount < kMaxDetailLevels; divisor *= 2) {
        const size_t target = indexCount / divisor / 3 * 3;
        // Every level from the full mesh, so that its error is measured
        // against the surface actually drawn up close. Where keeping the
        // topology stops early (leaf cards, separate pieces), the sloppy
        // simplifier, which merges across gaps, is tried instead.
        float error = 0.0f;
        size_t count = meshopt_simplify(simplified.data(), source.data(), indexCount, positions, vertexCount,
                                        sizeof(Vertex), target, 1.0f, 0, &error);
        if (count > previousCount * 3 / 4) {
            count = meshopt_simplifySloppy(simplified.data(), source.data(), indexCount, positions, vertexCount,
                                           sizeof(Vertex), target, 1.0f, &error);
        }
        if (count < 3 || count > previousCount * 3 / 4 || !std::isfinite(error)) break;

        MeshDetailLevel& level = part->detailLevels[part->detailLevelCount++];
        level.firstIndex = (int)levels.size();
        level.indexCount = (int)count;
        level.error = error * scale;
        levels.insert(levels.end(), simplified.begin(), simplified.begin() + (std::ptrdiff_t)count);
        previousCount = count;
    }
    if (levels.empty()) return;
    const int bytes = (int)(levels.size() * sizeof(uint16_t));
    part->detailIndexBuffer = createIndexBuffer(bytes, nullptr);
    uploadIndexBuffer((uint32_t)part->detailIndexBuffer, bytes, levels.data());
}
