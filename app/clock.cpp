#include "app/clock.h"

#include "platform/counter.h"

namespace {
EngineStopwatch makeLoadTimeStopwatch() {
    EngineStopwatch stopwatch;
    stopwatch.frequency = readFrequency();
    stopwatch.start = readCounter();
    return stopwatch;
}

// Initialised at program load, before main.
EngineStopwatch g_engineStopwatch = makeLoadTimeStopwatch();
Stopwatch* g_inputStopwatch = nullptr;

// A 64-bit count to single precision by way of double, as every reading does.
float toFloat(uint64_t value) { return static_cast<float>(static_cast<double>(value)); }
}  // namespace

EngineStopwatch& engineStopwatch() { return g_engineStopwatch; }

void restartEngineStopwatch() {
    g_engineStopwatch.start = readCounter();
    g_engineStopwatch.accumulatedSeconds = 0.0;
    g_engineStopwatch.running = true;
}

void tickPerSecond(PerSecondCounter& counter) {
    std::call_once(counter.frequencyOnce, [&counter] { counter.frequency = readFrequency(); });
    uint32_t seconds = static_cast<uint32_t>(readCounter() / counter.frequency);
    if (seconds != counter.currentSecond) {
        counter.currentSecond = seconds;
        counter.count = 0.0f;
    } else {
        counter.count += 1.0f;
    }
}

FrameClock& frameClock() {
    static FrameClock clock;
    return clock;
}

float nowSeconds() { return toFloat(readCounter()) / toFloat(readFrequency()); }
void restartClock() { frameClock().startSeconds = nowSeconds(); }
void tickUpdateCounter() { tickPerSecond(frameClock().updateCounter); }
void tickFrameCounter() { tickPerSecond(frameClock().frameCounter); }

Stopwatch startStopwatch() {
    Stopwatch stopwatch;
    stopwatch.start = readCounter();
    stopwatch.frequency = readFrequency();
    return stopwatch;
}

uint64_t elapsedMilliseconds(const Stopwatch& stopwatch) {
    if (stopwatch.frequency == 0) return 0;  // never started
    // Whole seconds and the remainder apart: ticks * 1000 would overflow after
    // about 213 days on a 1 GHz counter.
    const uint64_t ticks = readCounter() - stopwatch.start + stopwatch.offset;
    const uint64_t f = stopwatch.frequency;
    return ticks / f * 1000 + ticks % f * 1000 / f;
}

Stopwatch* inputStopwatch() { return g_inputStopwatch; }
void setInputStopwatch(Stopwatch* stopwatch) { g_inputStopwatch = stopwatch; }
