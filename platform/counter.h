// The high-resolution performance counter. Tests may substitute their own
// counter and frequency functions.
#pragma once

#include <cstdint>

// The counter, or 1 when it cannot be read.
uint64_t readCounter();
// Counts per second, or all ones when it cannot be read (divisions by it
// then give 0).
uint64_t readFrequency();

// The system's own counter and frequency, 0 when they cannot be read; each
// system's folder implements them.
uint64_t systemCounter();
uint64_t systemFrequency();

typedef uint64_t (*CounterSource)();
// Replaces the system counter and frequency; null restores the system's.
// A source returning 0 reads as "cannot be read".
void setCounterSource(CounterSource counter, CounterSource frequency);
