// The engine's time sources on the high-resolution counter: the engine
// stopwatch, the start time in seconds, the per-second update and frame
// counters the main loop ticks, and the input stopwatch.
#pragma once

#include <cstdint>
#include <mutex>

struct EngineStopwatch {
    uint64_t start = 0;
    uint64_t frequency = 0;
    double accumulatedSeconds = 0.0;
    bool running = false;
};
// Frequency and start are read at program load; running after restart.
EngineStopwatch& engineStopwatch();
void restartEngineStopwatch();

// Ticks since the first tick in the current whole second of the counter.
struct PerSecondCounter {
    std::once_flag frequencyOnce;
    uint64_t frequency = 0;  // read on the first tick and kept
    uint32_t currentSecond = 0;
    float count = 0.0f;
};
void tickPerSecond(PerSecondCounter& counter);

struct FrameClock {
    float startSeconds = 0.0f;
    PerSecondCounter updateCounter;
    PerSecondCounter frameCounter;
};
FrameClock& frameClock();

// readCounter() / readFrequency() in single precision.
float nowSeconds();
void restartClock();  // startSeconds = nowSeconds()
void tickUpdateCounter();
void tickFrameCounter();

struct Stopwatch {
    uint64_t start = 0;
    uint64_t frequency = 0;
    uint64_t offset = 0;
    bool flag = false;
};
// A stopwatch started now.
Stopwatch startStopwatch();
// (counter - start + offset) * 1000 / frequency, exact in unsigned 64-bit
// arithmetic for any reading.
uint64_t elapsedMilliseconds(const Stopwatch& stopwatch);

// The input stopwatch, created by the input start-up; null before.
Stopwatch* inputStopwatch();
void setInputStopwatch(Stopwatch* stopwatch);
