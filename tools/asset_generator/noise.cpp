#include "tools/asset_generator/noise.h"

#include <cmath>

Random randomSeeded(uint32_t seed) {
    Random random;
    random.state = seed ? seed : 0x9E3779B9u;  // xorshift must not start at zero
    return random;
}

uint32_t randomNext(Random& random) {
    uint32_t x = random.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    random.state = x;
    return x;
}

float randomFloat(Random& random) { return static_cast<float>(randomNext(random) >> 8) * (1.0f / 16777216.0f); }

float randomRange(Random& random, float low, float high) { return low + (high - low) * randomFloat(random); }

// Integer hash of a lattice point (lowbias32 finaliser).
static uint32_t hashPoint(uint32_t seed, int32_t x, int32_t y, int32_t z) {
    uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x8DA6B343u) ^ (static_cast<uint32_t>(y) * 0xD8163841u) ^
                 (static_cast<uint32_t>(z) * 0xCB1AB31Fu);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

static float latticeValue(uint32_t seed, int32_t x, int32_t y, int32_t z) {
    return static_cast<float>(hashPoint(seed, x, y, z) >> 8) * (1.0f / 16777216.0f);
}

static float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

static float lerp(float a, float b, float t) { return a + (b - a) * t; }

static int32_t wrapCell(int32_t cell, int period) {
    if (period <= 0) return cell;
    int32_t wrapped = cell % period;
    return wrapped < 0 ? wrapped + period : wrapped;
}

float valueNoise2(uint32_t seed, float x, float y, int periodX, int periodY) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t x0 = static_cast<int32_t>(fx), y0 = static_cast<int32_t>(fy);
    float tx = smooth(x - fx), ty = smooth(y - fy);
    int32_t xa = wrapCell(x0, periodX), xb = wrapCell(x0 + 1, periodX);
    int32_t ya = wrapCell(y0, periodY), yb = wrapCell(y0 + 1, periodY);
    float top = lerp(latticeValue(seed, xa, ya, 0), latticeValue(seed, xb, ya, 0), tx);
    float bottom = lerp(latticeValue(seed, xa, yb, 0), latticeValue(seed, xb, yb, 0), tx);
    return lerp(top, bottom, ty);
}

float fractalNoise2(uint32_t seed, float x, float y, int periodX, int periodY, int octaves) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * valueNoise2(seed + static_cast<uint32_t>(octave) * 101u, x, y, periodX, periodY);
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}

float valueNoise3(uint32_t seed, float x, float y, float z) {
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int32_t x0 = static_cast<int32_t>(fx), y0 = static_cast<int32_t>(fy), z0 = static_cast<int32_t>(fz);
    float tx = smooth(x - fx), ty = smooth(y - fy), tz = smooth(z - fz);
    float layer[2];
    for (int dz = 0; dz < 2; ++dz) {
        float a = lerp(latticeValue(seed, x0, y0, z0 + dz), latticeValue(seed, x0 + 1, y0, z0 + dz), tx);
        float b = lerp(latticeValue(seed, x0, y0 + 1, z0 + dz), latticeValue(seed, x0 + 1, y0 + 1, z0 + dz), tx);
        layer[dz] = lerp(a, b, ty);
    }
    return lerp(layer[0], layer[1], tz);
}

float fractalNoise3(uint32_t seed, float x, float y, float z, int octaves) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * valueNoise3(seed + static_cast<uint32_t>(octave) * 101u, x, y, z);
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        z *= 2.0f;
    }
    return sum / total;
}

CellSample cellNoise2(uint32_t seed, float x, float y, int period) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t cx = static_cast<int32_t>(fx), cy = static_cast<int32_t>(fy);
    CellSample sample = {1e9f, 1e9f, 0u};
    for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
            uint32_t id = hashPoint(seed, wrapCell(cx + dx, period), wrapCell(cy + dy, period), 1);
            float px = static_cast<float>(cx + dx) + hashToFloat(id, 1u);
            float py = static_cast<float>(cy + dy) + hashToFloat(id, 2u);
            float distance = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (distance < sample.nearest) {
                sample.second = sample.nearest;
                sample.nearest = distance;
                sample.id = id;
            } else if (distance < sample.second) {
                sample.second = distance;
            }
        }
    }
    return sample;
}

float hashToFloat(uint32_t id, uint32_t salt) {
    return static_cast<float>(hashPoint(id, static_cast<int32_t>(salt), 0, 0) >> 8) * (1.0f / 16777216.0f);
}
