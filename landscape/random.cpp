#include "landscape/random.h"

static uint32_t g_randomState = 1;

void seedRandom(uint32_t seed) { g_randomState = seed; }

int nextRandom() {
    g_randomState = g_randomState * 214013u + 2531011u;  // wraps modulo 2^32
    return static_cast<int>((g_randomState >> 16) & 32767u);
}
