// Seeded randomness for the generated assets: a small PRNG and lattice value
// noise. Everything is a pure function of its seed, so every run writes the
// same bytes.
#pragma once

#include <cstdint>

struct Random {
    uint32_t state;
};

Random randomSeeded(uint32_t seed);
uint32_t randomNext(Random& random);  // xorshift32
float randomFloat(Random& random);  // 0 <= value < 1
float randomRange(Random& random, float low, float high);

// Value noise with smooth interpolation, 0..1. The 2D lattice wraps every
// periodX cells across and periodY cells down, so pictures built from it tile.
float valueNoise2(uint32_t seed, float x, float y, int periodX, int periodY);
// Octaves of valueNoise2, each twice the frequency (and twice the periods) of
// the one before at half the weight; normalised to 0..1.
float fractalNoise2(uint32_t seed, float x, float y, int periodX, int periodY, int octaves);
float valueNoise3(uint32_t seed, float x, float y, float z);
float fractalNoise3(uint32_t seed, float x, float y, float z, int octaves);

// Cellular noise: one feature point per cell of a grid that wraps every
// `period` cells. Distances are in cells.
struct CellSample {
    float nearest;  // distance to the closest feature point
    float second;  // distance to the next closest
    uint32_t id;  // hash of the closest point's cell, for per-feature colour
};
CellSample cellNoise2(uint32_t seed, float x, float y, int period);
// 0 <= value < 1 from an id and a salt.
float hashToFloat(uint32_t id, uint32_t salt);
