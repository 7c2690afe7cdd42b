// A controllable performance counter for clock, input and loop tests. Its
// sleep moves the counter on by the time asked for, rounded up.
#pragma once

#include <cstdint>

#include "platform/counter.h"

struct FakeCounter {
    static inline uint64_t count = 0;
    static inline uint64_t frequency = 0;
    static uint64_t readCount() { return count; }
    static uint64_t readFrequency() { return frequency; }
    static void sleep(uint32_t microseconds) { count += (microseconds * frequency + 999999) / 1000000; }

    FakeCounter(uint64_t startCount, uint64_t countsPerSecond) {
        count = startCount;
        frequency = countsPerSecond;
        setCounterSource(readCount, readFrequency);
        setSleepFunction(sleep);
    }
    ~FakeCounter() {
        setCounterSource(nullptr, nullptr);
        setSleepFunction(nullptr);
    }
    void advanceMilliseconds(uint64_t milliseconds) { count += frequency * milliseconds / 1000; }
};
