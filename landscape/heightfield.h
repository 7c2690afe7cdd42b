// A 255 x 255 grid of heights with its statistics, per-point normals and its
// mapping to world units: the terrain and the water surface of the demo.
#pragma once

constexpr int kGridSize = 255;
constexpr int kGridPoints = kGridSize * kGridSize;

struct Heightfield {
    float heights[kGridPoints];  // row-major, row along world z, column along x
    float range;
    float minHeight;
    float maxHeight;
    float normals[kGridPoints * 3];  // interior points, written by the mesh update
    float extentX;
    float extentZ;
    float heightScale;

    // Value noise (eight octaves over one lattice) times amplitude, then
    // "a.raw" when asked for and readable, else three basins; then the range pass.
    void generate(float amplitude, bool useRawFile);
    void computeRange();
    // World height at (x, z): the grid point at or below, clamped to the grid.
    float heightAt(float x, float z) const;
    // World height at (x, z) averaged over the four points of the cell.
    float averageHeightAt(float x, float z) const;
    void setHeightScale(float scale) { heightScale = scale; }
};

// Eight octaves of value noise over one lattice of 65025 rand() draws taken in
// row-major order, written to out (kGridPoints floats) in [0, 1]. Uses the
// process-wide scratch planes, so one caller at a time.
void fillValueNoise(float* out);
