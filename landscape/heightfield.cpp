#include "landscape/heightfield.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "landscape/random.h"

// Scratch shared by every generation: the noise lattice, one plane per octave
// and the bytes of "a.raw". Nothing depends on them between runs.
constexpr int kOctaves = 8;
static float g_lattice[kGridPoints];
static float g_octavePlanes[kOctaves][kGridPoints];
static unsigned char g_rawBytes[kGridPoints];

// 65025 = 4 * 16256 + 1. The flat passes run over the first 65024 points, a
// whole number of 4-float vectors that -O2 vectorises without a remainder
// loop, and then do the last point on its own.
constexpr int kBulkPoints = kGridPoints & ~3;

static float randomTimes(float factor) { return static_cast<float>(nextRandom()) * factor; }

// Octave plane with lattice step s: bilinear blend of the lattice points at
// multiples of s, wrapping modulo the grid size.
static void fillOctavePlane(float* plane, int s) {
    const float invStep = 1.0f / static_cast<float>(s);
    int c0[kGridSize], c1[kGridSize];
    float fx[kGridSize], oneMinusFx[kGridSize];
    for (int j = 0; j < kGridSize; ++j) {
        c0[j] = j - j % s;
        c1[j] = (c0[j] + s) % kGridSize;
        fx[j] = static_cast<float>(j - c0[j]) * invStep;
        oneMinusFx[j] = 1.0f - fx[j];
    }
    for (int i = 0; i < kGridSize; ++i) {
        const int r0 = i - i % s;
        const int r1 = (r0 + s) % kGridSize;
        const float fy = static_cast<float>(i - r0) * invStep;
        const float oneMinusFy = 1.0f - fy;
        const float* row0 = g_lattice + r0 * kGridSize;
        const float* row1 = g_lattice + r1 * kGridSize;
        float* out = plane + i * kGridSize;
        for (int j = 0; j < kGridSize; ++j) {
            const float top = row0[c0[j]] * oneMinusFx[j] + row0[c1[j]] * fx[j];
            const float bottom = row1[c0[j]] * oneMinusFx[j] + row1[c1[j]] * fx[j];
            out[j] = top * oneMinusFy + bottom * fy;
        }
    }
}

// dst += src * weight over the grid.
static void addWeightedPlane(float* __restrict dst, const float* __restrict src, float weight) {
    for (int i = 0; i < kBulkPoints; ++i) dst[i] += src[i] * weight;
    dst[kGridPoints - 1] += src[kGridPoints - 1] * weight;
}

void fillValueNoise(float* out) {
    for (int i = 0; i < kGridPoints; ++i) g_lattice[i] = randomTimes(0.000030518509f);  // 1/32767
    for (int k = 0; k < kOctaves; ++k) fillOctavePlane(g_octavePlanes[k], 1 << k);

    // Octave k has weight 2^(k - 7): the weight starts at 1/256 and doubles
    // before each octave is added. The sum is divided by the total weight.
    std::memset(out, 0, sizeof(float) * kGridPoints);
    float weight = 1.0f / 256.0f;
    float weightSum = 0.0f;
    for (int k = 0; k < kOctaves; ++k) {
        weight *= 2.0f;
        weightSum += weight;
        addWeightedPlane(out, g_octavePlanes[k], weight);
    }
    float* __restrict noise = out;
    for (int i = 0; i < kBulkPoints; ++i) noise[i] /= weightSum;
    noise[kGridPoints - 1] /= weightSum;
}

// Heights from "a.raw": 255 rows of 255 bytes, each byte / 255. Points past the
// end of a short file get 0. Returns false when the file does not open.
static bool readRawHeights(float* heights) {
    FILE* file = std::fopen("a.raw", "rb");
    if (!file) return false;
    const size_t count = std::fread(g_rawBytes, 1, kGridPoints, file);
    std::fclose(file);
    std::memset(g_rawBytes + count, 0, kGridPoints - count);

    for (int i = 0; i < kGridPoints; ++i) heights[i] = static_cast<float>(g_rawBytes[i]) * 0.003921569f;  // 1/255
    return true;
}

// A cone-shaped hollow: every point rises by depth, scaled down linearly to 0
// at the centre within radius.
static void addBasin(float* heights) {
    // Four draws in this order, all before the grid pass.
    const float radius = randomTimes(0.0012207404f) + 40.0f;  // 40..80 grid units
    const float depth = randomTimes(0.000007629627f);  // 0..0.25
    // 0..255: a centre of 255 lies just past the last row or column.
    const int centreRow = static_cast<int>(randomTimes(0.00778222f));
    const int centreColumn = static_cast<int>(randomTimes(0.00778222f));

    float dx2[kGridSize];
    for (int c = 0; c < kGridSize; ++c) {
        const float dx = static_cast<float>(centreColumn - c);
        dx2[c] = dx * dx;
    }
    for (int r = 0; r < kGridSize; ++r) {
        const float dy = static_cast<float>(centreRow - r);
        const float dy2 = dy * dy;
        float* row = heights + r * kGridSize;
        for (int c = 0; c < kGridSize; ++c) {
            float d = std::sqrt(dx2[c] + dy2) / radius;
            if (d > 1.0f) d = 1.0f;
            row[c] += d * depth;
        }
    }
}

void Heightfield::generate(float amplitude, bool useRawFile) {
    float* __restrict h = heights;
    if (amplitude > 0.0f) {
        fillValueNoise(h);
        for (int i = 0; i < kBulkPoints; ++i) h[i] *= amplitude;
        h[kGridPoints - 1] *= amplitude;
    } else {
        std::memset(heights, 0, sizeof(heights));
    }

    // The noise above is drawn even when the raw file replaces it, so the
    // draws that follow do not depend on the file being there.
    if (!useRawFile || !readRawHeights(heights)) {
        for (int basin = 0; basin < 3; ++basin) addBasin(heights);
    }
    computeRange();
}

void Heightfield::computeRange() {
    minHeight = 1000000.0f;
    maxHeight = -100000.0f;
    for (int i = 0; i < kGridPoints; ++i) {
        if (heights[i] > maxHeight) maxHeight = heights[i];
        if (heights[i] < minHeight) minHeight = heights[i];
    }
    range = maxHeight - minHeight;

    const float shift = range * 0.5f;
    float* __restrict h = heights;
    for (int i = 0; i < kBulkPoints; ++i) h[i] -= shift;
    h[kGridPoints - 1] -= shift;
}

// Grid index of a world coordinate along an axis of the given extent: the
// extent maps onto 255 cells; negative results become 0, large ones 254.
// Clamped in float so that far-away or non-finite inputs stay in the grid.
static int gridIndex(float coordinate, float extent) {
    const float g = (extent * 0.5f + coordinate) / extent * 255.0f;
    if (!(g >= 0.0f)) return 0;
    if (g >= 254.0f) return kGridSize - 1;
    return static_cast<int>(g);
}

float Heightfield::heightAt(float x, float z) const {
    const int column = gridIndex(x, extentX);
    const int row = gridIndex(z, extentZ);
    return heights[row * kGridSize + column] * heightScale;
}

float Heightfield::averageHeightAt(float x, float z) const {
    const int column0 = gridIndex(x, extentX);
    const int row0 = gridIndex(z, extentZ);
    const int column1 = column0 < kGridSize - 1 ? column0 + 1 : column0;
    const int row1 = row0 < kGridSize - 1 ? row0 + 1 : row0;
    const float sum = heights[row0 * kGridSize + column0] + heights[row0 * kGridSize + column1] +
                      heights[row1 * kGridSize + column0] + heights[row1 * kGridSize + column1];
    return sum * 0.25f * heightScale;
}
