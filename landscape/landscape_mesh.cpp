// The terrain and water meshes: one 255 x 255 vertex grid per model, with
// two triangles per cell. The indices never change and are written once; the
// vertices are rebuilt from the heightfield and uploaded every frame.

#include "landscape/landscape_mesh.h"

#include <emmintrin.h>  // SSE2, part of every x86-64 target

#include <algorithm>
#include <cmath>

#include "image/texture.h"
#include "landscape/heightfield.h"
#include "gpu/gl_buffers.h"
#include "gpu/shader_catalogue.h"
#include "scene/model.h"
#include "scene/model_file.h"

constexpr int kCells = kGridSize - 1;
constexpr int kIndexCount = kCells * kCells * 6;
constexpr float kGridStep = 0.003937008f;  // 1/254 in single precision

// Cell (r, c) with a = r * 255 + c: triangles (a+255, a+1, a) and (a+255, a+256, a+1).
static void writeGridIndices(uint16_t* out) {
    for (int r = 0; r < kCells; ++r) {
        for (int c = 0; c < kCells; ++c) {
            const int a = r * kGridSize + c;
            out[0] = (uint16_t)(a + 255);
            out[1] = (uint16_t)(a + 1);
            out[2] = (uint16_t)a;
            out[3] = (uint16_t)(a + 255);
            out[4] = (uint16_t)(a + 256);
            out[5] = (uint16_t)(a + 1);
            out += 6;
        }
    }
}

// Tiles of 16 x 16 cells (the last row and column of tiles 14 wide), so
// that only the part of the grid in view is drawn. A run is one row of cells
// inside one tile: the runs in order are the index list in its own order, so
// what is drawn keeps the order of the whole grid.
constexpr int kTileCells = 16;
constexpr int kTilesPerSide = (kCells + kTileCells - 1) / kTileCells;

static MeshTiles* createGridTiles() {
    MeshTiles* tiles = new MeshTiles();
    tiles->boxes.assign(kTilesPerSide * kTilesPerSide * 6, 0.0f);
    tiles->runs.reserve(kCells * kTilesPerSide);
    for (int r = 0; r < kCells; ++r) {
        for (int t = 0; t < kTilesPerSide; ++t) {
            const int firstCell = t * kTileCells;
            const int cells = std::min(kTileCells, kCells - firstCell);
            tiles->runs.push_back({(r * kCells + firstCell) * 6, cells * 6, (r / kTileCells) * kTilesPerSide + t});
        }
    }
    return tiles;
}

// Each tile's box from the heights of its points (the same products the
// vertices hold) and the x and z of its corner points.
static void updateGridTiles(const Heightfield& h, MeshTiles& tiles) {
    auto gridX = [&](int column) { return ((float)column * kGridStep - 0.5f) * h.extentX; };
    auto gridZ = [&](int row) { return ((float)row * kGridStep - 0.5f) * h.extentZ; };
    for (int tileRow = 0; tileRow < kTilesPerSide; ++tileRow) {
        const int r0 = tileRow * kTileCells;
        const int r1 = std::min(r0 + kTileCells, kCells);
        for (int tileColumn = 0; tileColumn < kTilesPerSide; ++tileColumn) {
            const int c0 = tileColumn * kTileCells;
            const int c1 = std::min(c0 + kTileCells, kCells);
            float low = INFINITY, high = -INFINITY;
            for (int r = r0; r <= r1; ++r) {
                for (int c = c0; c <= c1; ++c) {
                    const float y = h.heights[r * kGridSize + c] * h.heightScale;
                    low = std::min(low, y);
                    high = std::max(high, y);
                }
            }
            float* box = &tiles.boxes[(tileRow * kTilesPerSide + tileColumn) * 6];
            box[0] = std::min(gridX(c0), gridX(c1));
            box[1] = low;
            box[2] = std::min(gridZ(r0), gridZ(r1));
            box[3] = std::max(gridX(c0), gridX(c1));
            box[4] = high;
            box[5] = std::max(gridZ(r0), gridZ(r1));
        }
    }
}

bool createLandscapeMesh(MODEL3D* model, Heightfield& heightfield, float amplitude) {
    Mesh* mesh = model->addMesh();
    MeshPart* part = model->addMeshPart(mesh);
    matrixIdentity(part->localMatrix);

    heightfield.generate(amplitude, false);

    part->indexCount = kIndexCount;
    part->indexBytes = kIndexCount * 2;
    part->indices = new uint16_t[kIndexCount];
    writeGridIndices(part->indices);
    part->indexBuffer = createIndexBuffer(part->indexBytes, nullptr);
    part->tiles = createGridTiles();

    // Zeroed: border normals, uv1, joint slots and weights stay zero for good.
    mesh->vertexCount = kGridPoints;
    mesh->vertexBytes = kGridPoints * (int)sizeof(Vertex);
    mesh->vertices = new Vertex[kGridPoints]();
    mesh->vertexBuffer = createVertexBuffer(mesh->vertexBytes, nullptr);
    mesh->dynamicVertices = true;  // rewritten every frame: the mesh box does not hold, the tile boxes do

    Material* material = new Material();
    material->setTextureSlots(1);
    Texture* texture = createTexture();
    texture->path = "data/terrain_surface4.png";
    loadMaterialPicture(*texture->image, texture->path);  // decoded once for both landscape meshes
    createGlTexture(texture, 1, 1);
    texture->needsUpload = false;
    material->textures[0] = texture;
    material->shader = shaderCatalogue().staticMeshes;
    part->material = material;

    updateLandscapeMesh(heightfield, model);
    model->upload();
    for (Mesh* m = model->meshes; m; m = m->next) MODEL3D::computeBounds(m);
    return true;
}

// The rebuild works a row at a time on columns of floats (x, y, u, normals)
// 256 wide, the grid's 255 plus padding, so that every pass is whole 4-float
// SSE vectors; each vertex is then written with two 16-byte stores. Every
// value comes from the same single-precision operations, in the same order,
// as the per-vertex formulas, so the result is bit for bit the same.
constexpr int kRowFloats = 256;
constexpr int kRowCapacity = kRowFloats + 4;  // room for the vector read one column to the right

// World y of row r's points; the padding repeats the last column.
static void rowHeights(const Heightfield& h, int r, float* y) {
    const float* heights = h.heights + r * kGridSize;
    const __m128 scale = _mm_set1_ps(h.heightScale);
    int c = 0;
    for (; c + 4 <= kGridSize; c += 4) _mm_store_ps(y + c, _mm_mul_ps(_mm_loadu_ps(heights + c), scale));
    for (; c < kGridSize; ++c) y[c] = heights[c] * h.heightScale;
    for (; c < kRowCapacity; ++c) y[c] = y[kGridSize - 1];
}

// The first 36 bytes of a vertex: position (x, y, z, 1), normal and u from
// (nx, ny, nz, u), then v.
static void writeVertexStart(Vertex& out, __m128 position, __m128 normalAndU, float v) {
    _mm_storeu_ps(out.position, position);
    _mm_storeu_ps(out.normal, normalAndU);
    out.uv0[1] = v;
}

// Unit normals of row r, every column: cross(D - C, R - C) with C the point,
// R the next column and D the next row (rows lie at z and zNext); a zero
// cross product gives (0, 0, 0).
static void rowNormals(const float* xs, const float* y, const float* yNext, float z, float zNext, float* nxs,
                       float* nys, float* nzs) {
    const __m128 zs = _mm_set1_ps(z);
    const __m128 zNexts = _mm_set1_ps(zNext);
    for (int c = 0; c < kRowFloats; c += 4) {
        const __m128 x = _mm_load_ps(xs + c);
        const __m128 yc = _mm_load_ps(y + c);
        const __m128 ax = _mm_sub_ps(x, x);
        const __m128 ay = _mm_sub_ps(_mm_load_ps(yNext + c), yc);
        const __m128 az = _mm_sub_ps(zNexts, zs);
        const __m128 bx = _mm_sub_ps(_mm_loadu_ps(xs + c + 1), x);
        const __m128 by = _mm_sub_ps(_mm_loadu_ps(y + c + 1), yc);
        const __m128 bz = _mm_sub_ps(zs, zs);
        __m128 nx = _mm_sub_ps(_mm_mul_ps(ay, bz), _mm_mul_ps(az, by));
        __m128 ny = _mm_sub_ps(_mm_mul_ps(az, bx), _mm_mul_ps(ax, bz));
        __m128 nz = _mm_sub_ps(_mm_mul_ps(ax, by), _mm_mul_ps(ay, bx));
        const __m128 length =
            _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz)));
        const __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), length);
        const __m128 nonZero = _mm_cmpneq_ps(length, _mm_setzero_ps());  // NaN stays NaN, as n * (1 / NaN)
        _mm_store_ps(nxs + c, _mm_and_ps(nonZero, _mm_mul_ps(nx, inverse)));
        _mm_store_ps(nys + c, _mm_and_ps(nonZero, _mm_mul_ps(ny, inverse)));
        _mm_store_ps(nzs + c, _mm_and_ps(nonZero, _mm_mul_ps(nz, inverse)));
    }
}

// Position (x, y, z, 1) and texture coordinates; the normal is left as it is.
static void writePositionAndUv(Vertex& out, float x, float y, float z, float u, float v) {
    _mm_storeu_ps(out.position, _mm_setr_ps(x, y, z, 1.0f));
    out.uv0[0] = u;
    out.uv0[1] = v;
}

bool rebuildLandscapeVertices(Heightfield& h, Mesh* mesh) {
    if (!mesh || !mesh->vertices || mesh->vertexCount != kGridPoints) return false;
    Vertex* vertices = mesh->vertices;
    const float extentX = h.extentX;
    const float extentZ = h.extentZ;

    alignas(16) float xs[kRowCapacity], us[kRowCapacity];
    for (int c = 0; c < kRowCapacity; ++c) {
        const int column = c < kGridSize ? c : kGridSize - 1;
        xs[c] = ((float)column * kGridStep - 0.5f) * extentX;
        us[c] = (extentX * 0.5f + xs[c]) / extentX * 8.0f;
    }
    alignas(16) float heightRows[2][kRowCapacity];
    alignas(16) float nxs[kRowFloats], nys[kRowFloats], nzs[kRowFloats];
    rowHeights(h, 0, heightRows[0]);

    for (int r = 0; r < kGridSize; ++r) {
        const float* y = heightRows[r & 1];
        float* yNext = heightRows[(r + 1) & 1];
        if (r + 1 < kGridSize) rowHeights(h, r + 1, yNext);
        const float z = ((float)r * kGridStep - 0.5f) * extentZ;
        const float v = (extentZ * 0.5f + z) / extentZ * 8.0f;
        Vertex* row = vertices + r * kGridSize;

        // The border rows and columns keep their normals, (0, 0, 0) since creation.
        if (r == 0 || r == kGridSize - 1) {
            for (int c = 0; c < kGridSize; ++c) writePositionAndUv(row[c], xs[c], y[c], z, us[c], v);
            continue;
        }
        const float zNext = ((float)(r + 1) * kGridStep - 0.5f) * extentZ;
        rowNormals(xs, y, yNext, z, zNext, nxs, nys, nzs);
        writePositionAndUv(row[0], xs[0], y[0], z, us[0], v);
        writePositionAndUv(row[kCells], xs[kCells], y[kCells], z, us[kCells], v);

        // Interior columns four at a time: transposed into (x, y, z, 1) and
        // (nx, ny, nz, u), which are the vertex's first 32 bytes (uv0 follows
        // the normal). The normals also go to the heightfield, 12 bytes apart:
        // each 16-byte store spills into the next point's first value, which
        // the next store rewrites; the group's last point is stored as 8 + 4.
        float* stored = h.normals + 3 * r * kGridSize;
        int c = 1;
        for (; c + 4 <= kCells; c += 4) {
            __m128 p0 = _mm_loadu_ps(xs + c), p1 = _mm_loadu_ps(y + c), p2 = _mm_set1_ps(z), p3 = _mm_set1_ps(1.0f);
            __m128 q0 = _mm_loadu_ps(nxs + c), q1 = _mm_loadu_ps(nys + c), q2 = _mm_loadu_ps(nzs + c),
                   q3 = _mm_loadu_ps(us + c);
            _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
            _MM_TRANSPOSE4_PS(q0, q1, q2, q3);
            writeVertexStart(row[c], p0, q0, v);
            writeVertexStart(row[c + 1], p1, q1, v);
            writeVertexStart(row[c + 2], p2, q2, v);
            writeVertexStart(row[c + 3], p3, q3, v);
            _mm_storeu_ps(stored + 3 * c, q0);
            _mm_storeu_ps(stored + 3 * (c + 1), q1);
            _mm_storeu_ps(stored + 3 * (c + 2), q2);
            _mm_storel_pi(reinterpret_cast<__m64*>(stored + 3 * (c + 3)), q3);
            _mm_store_ss(stored + 3 * (c + 3) + 2, _mm_shuffle_ps(q3, q3, _MM_SHUFFLE(2, 2, 2, 2)));
        }
        for (; c < kCells; ++c) {
            Vertex& out = row[c];
            writePositionAndUv(out, xs[c], y[c], z, us[c], v);
            out.normal[0] = stored[3 * c] = nxs[c];
            out.normal[1] = stored[3 * c + 1] = nys[c];
            out.normal[2] = stored[3 * c + 2] = nzs[c];
        }
    }
    return true;
}

void updateLandscapeMesh(Heightfield& h, MODEL3D* model) {
    Mesh* mesh = model->meshes;
    if (!rebuildLandscapeVertices(h, mesh)) return;
    if (mesh->part && mesh->part->tiles) updateGridTiles(h, *mesh->part->tiles);
    uploadVertexBuffer((uint32_t)mesh->vertexBuffer, mesh->vertexBytes, mesh->vertices);
}
