// The C runtime's linear congruential generator, carried by the engine so the
// seeded landscape is the same on every platform:
// state = state * 214013 + 2531011 (mod 2^32), result = (state >> 16) & 32767.
#pragma once

#include <cstdint>

void seedRandom(uint32_t seed);
int nextRandom();  // 0..32767
