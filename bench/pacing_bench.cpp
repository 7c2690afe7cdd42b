#include <benchmark/benchmark.h>

#include <ctime>

#include "app/engine.h"
#include "app/main_loop.h"
#include "app/messages.h"
#include "app/step_pacer.h"
#include "bench/bench_demo.h"
#include "demo/demo.h"
#include "platform/counter.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "render/renderer.h"

namespace {
constexpr double kSeconds = 3.0;

// The swap of a display at `hertz` that waits for the refresh by sleeping,
// as drivers do: returns at the next refresh on the counter. 0: no wait.
void swapWait(int hertz) {
    if (hertz == 0) return;
    const uint64_t frequency = readFrequency(), now = readCounter();
    const uint64_t next = (now * hertz / frequency + 1) * frequency / hertz;
    if (next > now) sleepMicroseconds((uint32_t)((next - now) * 1000000 / frequency + 1));
}

// The choice not taken: when no step is due, draw the same picture again
// (the instances are submitted again, the last frame took them).
bool drawAgainIteration(StepPacer& pacer) {
    const int steps = takeDueSteps(pacer, readCounter());
    if (steps == 0) submitScatteredInstances();
    return runMainLoopSteps(steps);
}

// Tells the loop the window was minimised, or restored at the engine's size.
void postWindowSize(bool minimised) {
    PlatformMessage size;
    size.window = firstPlatformWindow();
    size.message = WM_SIZE;
    size.wParam = minimised ? SIZE_MINIMIZED : SIZE_RESTORED;
    size.lParam = minimised ? 0 : (engine()->height << 16) | engine()->width;
    postMessage(size);
}
}  // namespace

// The demo's loop for three seconds of real time on a simulated display at
// range(1) Hz (0: a swap that does not wait), with range(0) 0 waiting for the
// next step when none is due and 1 drawing again, the window minimised when
// range(2) is 1. The draw calls do not
// reach GL: what is left is the processor's share on a machine with a
// graphics card (update, traversal, sorts, state and uniform calls).
// cpu_percent is the process's processor time over the wall time.
static void BM_PacedLoop(benchmark::State& state) {
    if (!startBenchDemo()) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    const bool drawAgain = state.range(0) == 1;
    const int hertz = (int)state.range(1);
    const bool minimised = state.range(2) == 1;
    setDrawsReachGl(false);
    if (minimised) {
        pumpMessages();  // the window's own start-up events first
        postWindowSize(true);
    }
    double cpuPercent = 0.0, framesPerSecond = 0.0, stepsPerSecond = 0.0;
    for (auto _ : state) {
        StepPacer pacer;
        startStepPacer(pacer, readCounter(), readFrequency());
        startPacing();
        const int stepsBefore = frameCounters().updatesDone, framesBefore = frameCounters().framesDrawn;
        const uint64_t frequency = readFrequency(), start = readCounter();
        const std::clock_t cpuStart = std::clock();
        while (readCounter() - start < (uint64_t)(kSeconds * frequency)) {
            if (drawAgain)
                drawAgainIteration(pacer);
            else
                runPacedIteration();
            swapWait(hertz);
        }
        const double wall = (double)(readCounter() - start) / frequency;
        cpuPercent = 100.0 * (double)(std::clock() - cpuStart) / CLOCKS_PER_SEC / wall;
        framesPerSecond = (frameCounters().framesDrawn - framesBefore) / wall;
        stepsPerSecond = (frameCounters().updatesDone - stepsBefore) / wall;
    }
    if (minimised) {
        postWindowSize(false);
        runMainLoopIteration();
    }
    setDrawsReachGl(true);
    state.counters["cpu_percent"] = cpuPercent;
    state.counters["frames_per_s"] = framesPerSecond;
    state.counters["steps_per_s"] = stepsPerSecond;
}
BENCHMARK(BM_PacedLoop)
    ->ArgNames({"draw_again", "hertz", "minimised"})
    ->Args({0, 144, 0})
    ->Args({1, 144, 0})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 60, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
