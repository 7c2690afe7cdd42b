// The high-resolution performance counter and a sleep. Tests may substitute
// their own counter, frequency and sleep functions.
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

// Gives the processor up for at least about `microseconds` (the system may
// wake a little late: up to a millisecond or two on Windows).
void sleepMicroseconds(uint32_t microseconds);
// The system's own sleep; each system's folder implements it.
void systemSleepMicroseconds(uint32_t microseconds);

typedef void (*SleepFunction)(uint32_t microseconds);
// Replaces the system sleep (a test's simulated counter moves on instead);
// null restores the system's.
void setSleepFunction(SleepFunction sleep);
