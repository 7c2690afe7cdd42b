// A controllable performance counter for clock and input tests.
#pragma once

#include <cstdint>

#include "platform/counter.h"

struct FakeCounter {
    static uint64_t count;
    static uint64_t frequency;
    static uint64_t readCount() { return count; }
    static uint64_t readFrequency() { return frequency; }

    FakeCounter(uint64_t startCount, uint64_t countsPerSecond) {
        count = startCount;
        frequency = countsPerSecond;
        setCounterSource(readCount, readFrequency);
    }
    ~FakeCounter() { setCounterSource(nullptr, nullptr); }
    void advanceMilliseconds(uint64_t milliseconds) { count += frequency * milliseconds / 1000; }
};
