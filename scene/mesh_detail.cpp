#include "scene/mesh_detail.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gpu/gl_buffers.h"
#include "scene/model.h"

constexpr int kMinTriangles = 64;
// How far a level is resolved when measured: triangles are cut down to sides
// this long, as a fraction of the mesh's diagonal (an error is never below it).
constexpr float kSampleSpacing = 1.0f / 512.0f;
constexpr int kMaxGridCells = 64;  // along one axis
// Coordinates beyond this would overflow the products the measuring takes.
constexpr float kLargestCoordinate = 1e8f;

static bool simplifiable(const Mesh& mesh) {
    const MeshPart* part = mesh.part;
    if (mesh.skinned || mesh.dynamicVertices || !mesh.vertices || !part || !part->indices) return false;
    if (part->indexCount < kMinTriangles * 3 || part->indexCount % 3 != 0) return false;
    for (int i = 0; i < part->indexCount; ++i)
        if (part->indices[i] >= mesh.vertexCount) return false;
    for (int v = 0; v < mesh.vertexCount; ++v)
        for (int axis = 0; axis < 3; ++axis)
            if (!(std::fabs(mesh.vertices[v].position[axis]) <= kLargestCoordinate)) return false;
    return true;
}

static float dot3(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Squared distance from p to the triangle abc, through the closest point of
// the feature (corner, edge or face) whose region p lies in.
static float triangleDistance2(const float* p, const float* a, const float* b, const float* c) {
    float ab[3], ac[3], ap[3], bp[3], cp[3];
    for (int i = 0; i < 3; ++i) {
        ab[i] = b[i] - a[i];
        ac[i] = c[i] - a[i];
        ap[i] = p[i] - a[i];
        bp[i] = p[i] - b[i];
        cp[i] = p[i] - c[i];
    }
    const float d1 = dot3(ab, ap), d2 = dot3(ac, ap), d3 = dot3(ab, bp), d4 = dot3(ac, bp);
    const float d5 = dot3(ab, cp), d6 = dot3(ac, cp);
    const float va = d3 * d6 - d5 * d4, vb = d5 * d2 - d1 * d6, vc = d1 * d4 - d3 * d2;
    float u = 0.0f, v = 0.0f;  // the closest point is a + u ab + v ac
    if (d1 <= 0.0f && d2 <= 0.0f) {
        u = v = 0.0f;
    } else if (d3 >= 0.0f && d4 <= d3) {
        u = 1.0f;
    } else if (d6 >= 0.0f && d5 <= d6) {
        v = 1.0f;
    } else if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) {
        u = d1 > d3 ? d1 / (d1 - d3) : 0.0f;  // equal only where a and b coincide
    } else if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) {
        v = d2 > d6 ? d2 / (d2 - d6) : 0.0f;
    } else if (va <= 0.0f && d4 - d3 >= 0.0f && d5 - d6 >= 0.0f) {
        const float sum = (d4 - d3) + (d5 - d6);
        v = sum > 0.0f ? (d4 - d3) / sum : 0.0f;
        u = 1.0f - v;
    } else {
        const float sum = va + vb + vc;
        u = sum > 0.0f ? vb / sum : 0.0f;
        v = sum > 0.0f ? vc / sum : 0.0f;
    }
    float offset[3];
    for (int i = 0; i < 3; ++i) offset[i] = ap[i] - u * ab[i] - v * ac[i];
    return dot3(offset, offset);
}

// One index list's triangles, binned by their boxes into a uniform grid, for
// the distance from a point to the nearest of them.
struct TriangleGrid {
    const Vertex* vertices = nullptr;
    const unsigned int* indices = nullptr;
    float origin[3] = {0.0f, 0.0f, 0.0f};
    float cell = 1.0f;
    int size[3] = {1, 1, 1};
    std::vector<int> cellStart;  // per cell, its first entry in triangles; one more at the end
    std::vector<int> triangles;
    std::vector<unsigned> seen;  // per triangle, the last query that measured it
    unsigned query = 0;
    int hint = 0;  // the last query's nearest triangle, likely the next one's
};

static const float* corner(const TriangleGrid& grid, int triangle, int k) {
    return grid.vertices[grid.indices[3 * triangle + k]].position;
}

static float triangleDistance2(const TriangleGrid& grid, const float* p, int triangle) {
    return triangleDistance2(p, corner(grid, triangle, 0), corner(grid, triangle, 1), corner(grid, triangle, 2));
}

static int cellOf(const TriangleGrid& grid, float coordinate, int axis) {
    const float at = std::floor((coordinate - grid.origin[axis]) / grid.cell);
    return (int)std::min(std::max(at, 0.0f), (float)(grid.size[axis] - 1));
}

static void buildGrid(TriangleGrid& grid, const Vertex* vertices, const unsigned int* indices, int triangleCount) {
    grid.vertices = vertices;
    grid.indices = indices;
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (int i = 0; i < 3 * triangleCount; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], vertices[indices[i]].position[axis]);
            high[axis] = std::max(high[axis], vertices[indices[i]].position[axis]);
        }
    }
    // About four cells a triangle, none thinner than a 64th of the largest
    // side, so that a flat mesh gets a flat grid.
    const float largest = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2], 1e-6f});
    const float floor = largest / (float)kMaxGridCells;
    float volume = 1.0f;
    for (int axis = 0; axis < 3; ++axis) volume *= std::max(high[axis] - low[axis], floor);
    grid.cell = std::max(std::cbrt(volume * 0.25f / (float)triangleCount), floor);
    int cellCount = 1;
    for (int axis = 0; axis < 3; ++axis) {
        grid.origin[axis] = low[axis];
        grid.size[axis] = std::min((int)((high[axis] - low[axis]) / grid.cell) + 1, kMaxGridCells);
        cellCount *= grid.size[axis];
    }

    // Counts, then places, each triangle in every cell its box touches.
    grid.cellStart.assign((size_t)cellCount + 1, 0);
    std::vector<int> next;
    for (int pass = 0; pass < 2; ++pass) {
        for (int t = 0; t < triangleCount; ++t) {
            int from[3], to[3];
            for (int axis = 0; axis < 3; ++axis) {
                const float a = corner(grid, t, 0)[axis], b = corner(grid, t, 1)[axis], c = corner(grid, t, 2)[axis];
                from[axis] = cellOf(grid, std::min({a, b, c}), axis);
                to[axis] = cellOf(grid, std::max({a, b, c}), axis);
            }
            for (int z = from[2]; z <= to[2]; ++z) {
                for (int y = from[1]; y <= to[1]; ++y) {
                    for (int x = from[0]; x <= to[0]; ++x) {
                        const size_t cell = (size_t)((z * grid.size[1] + y) * grid.size[0] + x);
                        if (pass == 0)
                            ++grid.cellStart[cell + 1];
                        else
                            grid.triangles[(size_t)next[cell]++] = t;
                    }
                }
            }
        }
        if (pass == 0) {
            for (size_t cell = 0; cell < (size_t)cellCount; ++cell) grid.cellStart[cell + 1] += grid.cellStart[cell];
            grid.triangles.resize((size_t)grid.cellStart.back());
            next.assign(grid.cellStart.begin(), grid.cellStart.end() - 1);
        }
    }
    grid.seen.assign((size_t)triangleCount, 0);
    grid.query = 0;
    grid.hint = 0;
}

// The distance from p to the nearest triangle of the grid; once a triangle
// within `enough` is found, that one's distance. Either way grid.hint is left
// on the triangle measured. Searches shells of cells outward from p's cell
// until no unsearched cell can hold anything nearer.
static float nearestDistance(TriangleGrid& grid, const float* p, float enough) {
    const float enough2 = enough >= 0.0f ? enough * enough : -1.0f;
    float best2 = triangleDistance2(grid, p, grid.hint);
    if (best2 <= enough2) return std::sqrt(best2);
    grid.seen[(size_t)grid.hint] = ++grid.query;

    int centre[3];
    float outside2[3];  // squared gap between p and the grid's box, per axis
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = cellOf(grid, p[axis], axis);
        const float end = grid.origin[axis] + grid.cell * (float)grid.size[axis];
        const float gap = std::max({grid.origin[axis] - p[axis], p[axis] - end, 0.0f});
        outside2[axis] = gap * gap;
    }
    for (int r = 0;; ++r) {
        int from[3], to[3];
        for (int axis = 0; axis < 3; ++axis) {
            from[axis] = std::max(centre[axis] - r, 0);
            to[axis] = std::min(centre[axis] + r, grid.size[axis] - 1);
        }
        // The cells r steps from the centre: all of a row on the shell's top,
        // bottom, front or back, else only its two ends.
        for (int z = from[2]; z <= to[2]; ++z) {
            for (int y = from[1]; y <= to[1]; ++y) {
                const bool wholeRow = std::abs(z - centre[2]) == r || std::abs(y - centre[1]) == r;
                const int step = wholeRow ? 1 : std::max(2 * r, 1);
                for (int x = wholeRow ? from[0] : centre[0] - r; x <= to[0]; x += step) {
                    if (x < 0) continue;
                    const int cell = (z * grid.size[1] + y) * grid.size[0] + x;
                    for (int i = grid.cellStart[(size_t)cell]; i < grid.cellStart[(size_t)cell + 1]; ++i) {
                        const int t = grid.triangles[(size_t)i];
                        if (grid.seen[(size_t)t] == grid.query) continue;
                        grid.seen[(size_t)t] = grid.query;
                        const float d2 = triangleDistance2(grid, p, t);
                        if (d2 < best2) {
                            best2 = d2;
                            grid.hint = t;
                            if (best2 <= enough2) return std::sqrt(best2);
                        }
                    }
                }
            }
        }
        // An unsearched cell lies past one of the searched block's inner faces
        // and inside the grid on the other axes: at least this far from p.
        float reach2 = INFINITY;
        for (int axis = 0; axis < 3; ++axis) {
            const float others = outside2[0] + outside2[1] + outside2[2] - outside2[axis];
            if (from[axis] > 0) {
                const float gap = std::max(p[axis] - (grid.origin[axis] + grid.cell * (float)from[axis]), 0.0f);
                reach2 = std::min(reach2, gap * gap + others);
            }
            if (to[axis] < grid.size[axis] - 1) {
                const float gap = std::max(grid.origin[axis] + grid.cell * (float)(to[axis] + 1) - p[axis], 0.0f);
                reach2 = std::min(reach2, gap * gap + others);
            }
        }
        if (best2 <= reach2) return std::sqrt(best2);
    }
}

static float distance3(const float* a, const float* b) {
    const float d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    return std::sqrt(dot3(d, d));
}

// A point and an upper bound on its distance to a grid's triangles: its
// distance to one of them.
struct MeasuredPoint {
    float position[3];
    float distance;
    int triangle;
};

static MeasuredPoint measure(TriangleGrid& to, const float* p, float enough) {
    MeasuredPoint point = {{p[0], p[1], p[2]}, nearestDistance(to, p, enough), to.hint};
    return point;
}

// An upper bound on the distance from any point of the triangle with these
// corners to the grid's triangles, the lower of two: the distance to any one
// triangle is convex, so within the corners' largest distance to one of the
// triangles the corners were measured against; and every point lies within
// the longest side / sqrt(3) of a corner, the distance changing no faster
// than the point moves.
static float triangleBound(const TriangleGrid& to, const MeasuredPoint* corners, float reach) {
    float bound = std::max({corners[0].distance, corners[1].distance, corners[2].distance}) + reach;
    for (int k = 0; k < 3; ++k) {
        float farthest = corners[k].distance;
        for (int i = 0; i < 3 && farthest < bound; ++i)
            if (i != k)
                farthest =
                    std::max(farthest, std::sqrt(triangleDistance2(to, corners[i].position, corners[k].triangle)));
        bound = std::min(bound, farthest);
    }
    return bound;
}

// Raises *farthest to bound how far the points of the triangle with these
// corners lie from the grid's triangles. Where the bound exceeds *farthest,
// the triangle is cut in two at the midpoint of its longest side (which keeps
// the pieces from growing thin), down to sides no longer than `spacing`.
static void raiseFarthest(TriangleGrid& to, const MeasuredPoint* corners, float spacing, float* farthest) {
    float sides[3];  // side k is opposite corner k
    for (int k = 0; k < 3; ++k) sides[k] = distance3(corners[(k + 1) % 3].position, corners[(k + 2) % 3].position);
    const int apex = (int)(std::max_element(sides, sides + 3) - sides);
    const float reach = sides[apex] * 0.5773503f;
    if (triangleBound(to, corners, reach) <= *farthest) return;
    if (sides[apex] <= spacing) {
        // The corners' figures may be loose, from when *farthest was lower:
        // measured again they are exact or too small to matter.
        const float enough = *farthest - reach;
        MeasuredPoint again[3];
        for (int k = 0; k < 3; ++k) again[k] = measure(to, corners[k].position, enough);
        *farthest = std::max(*farthest, triangleBound(to, again, reach));
        return;
    }
    const MeasuredPoint& a = corners[(apex + 1) % 3];
    const MeasuredPoint& b = corners[(apex + 2) % 3];
    const MeasuredPoint& c = corners[apex];
    float middle[3];
    for (int i = 0; i < 3; ++i) middle[i] = 0.5f * (a.position[i] + b.position[i]);
    // A midpoint within this cannot by itself keep a half from being done.
    const float halvesLongest =
        std::max({0.5f * sides[apex], distance3(middle, c.position), sides[(apex + 1) % 3], sides[(apex + 2) % 3]});
    const MeasuredPoint m = measure(to, middle, *farthest - halvesLongest * 0.5773503f);
    const MeasuredPoint halves[2][3] = {{a, m, c}, {m, b, c}};
    for (const MeasuredPoint* half : halves) raiseFarthest(to, half, spacing, farthest);
}

// The larger of `farthest` and how far a point of the `from` triangles can lie
// from the grid's triangles: a bound from above, at most about `spacing` over
// the true figure. Starting from a figure already known spares proving less.
static float farthestFrom(const Vertex* vertices, const unsigned int* from, int triangleCount, TriangleGrid& to,
                          float spacing, float farthest) {
    // The corners first, so that most triangles are found within at once.
    for (int i = 0; i < 3 * triangleCount; ++i)
        farthest = std::max(farthest, nearestDistance(to, vertices[from[i]].position, farthest));
    for (int t = 0; t < triangleCount; ++t) {
        MeasuredPoint corners[3];
        for (int k = 0; k < 3; ++k) corners[k] = measure(to, vertices[from[3 * t + k]].position, farthest);
        raiseFarthest(to, corners, spacing, &farthest);
    }
    return farthest;
}

void buildDetailLevels(Mesh* mesh) {
    if (!mesh || !simplifiable(*mesh)) return;
    MeshPart* part = mesh->part;
    const size_t indexCount = (size_t)part->indexCount;
    const std::vector<unsigned int> source(part->indices, part->indices + indexCount);
    const float* positions = mesh->vertices[0].position;
    const size_t vertexCount = (size_t)mesh->vertexCount;
    const float scale = meshopt_simplifyScale(positions, vertexCount, sizeof(Vertex));

    // meshoptimizer's error estimates from planes and can miss by far (leaf
    // cards, pieces merged away): each level is also measured against the
    // full mesh both ways, and the larger figure kept.
    // Pieces no smaller than the floats around them can still be cut in two.
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY}, largest = 1e-3f;
    for (unsigned int index : source) {
        for (int axis = 0; axis < 3; ++axis) {
            const float coordinate = mesh->vertices[index].position[axis];
            low[axis] = std::min(low[axis], coordinate);
            high[axis] = std::max(high[axis], coordinate);
            largest = std::max(largest, std::fabs(coordinate));
        }
    }
    const float diagonal = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    const float spacing = std::max(diagonal * kSampleSpacing, largest * 1e-5f);
    TriangleGrid full, coarse;
    buildGrid(full, mesh->vertices, source.data(), (int)(indexCount / 3));

    std::vector<uint16_t> levels;  // every level's indices, one after another
    std::vector<unsigned int> simplified(indexCount);
    size_t previousCount = indexCount;
    float previousError = 0.0f;
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

        // The full surface's farthest from the level and the level's from the
        // full surface; never below a finer level's error, since the choice
        // takes the coarsest level whose error fits, nor below the spacing.
        const int triangles = (int)(count / 3);
        buildGrid(coarse, mesh->vertices, simplified.data(), triangles);
        float moved = std::max({error * scale, previousError, spacing});
        moved = farthestFrom(mesh->vertices, source.data(), (int)(indexCount / 3), coarse, spacing, moved);
        moved = farthestFrom(mesh->vertices, simplified.data(), triangles, full, spacing, moved);

        MeshDetailLevel& level = part->detailLevels[part->detailLevelCount++];
        level.firstIndex = (int)levels.size();
        level.indexCount = (int)count;
        level.error = moved;
        levels.insert(levels.end(), simplified.begin(), simplified.begin() + (std::ptrdiff_t)count);
        previousCount = count;
        previousError = moved;
    }
    if (levels.empty()) return;
    const int bytes = (int)(levels.size() * sizeof(uint16_t));
    part->detailIndexBuffer = createIndexBuffer(bytes, nullptr);
    uploadIndexBuffer((uint32_t)part->detailIndexBuffer, bytes, levels.data());
}
