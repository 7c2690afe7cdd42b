#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include "app/engine.h"
#include "bench/bench_demo.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "gpu/shader_catalogue.h"
#include "scene/actor.h"

static bool startOrSkip(benchmark::State& state) {
    if (startBenchDemo()) return true;
    state.SkipWithError("no offscreen GL context");
    return false;
}

static void emptyQueues(Scene* scene) {
    scene->opaque.items.clear();
    scene->transparent.items.clear();
}

// One demo update: both landscape rebuilds and uploads, the timeline, the
// camera, the flyers, the 800 instances stood on the ground and submitted,
// the animations. The queues are emptied as the render would; a glFinish
// outside the timing keeps the uploads from piling up. With range(0) a
// catch-up step: no rebuilds, uploads or submission.
static void BM_DemoUpdate(benchmark::State& state) {
    if (!startOrSkip(state)) return;
    Scene* scene = demoWorld().scene;
    const bool catchUp = state.range(0) != 0;
    size_t items = 0;
    for (auto _ : state) {
        demoUpdate(catchUp);
        state.PauseTiming();
        items = scene->opaque.items.size() + scene->transparent.items.size();
        emptyQueues(scene);
        glFinish();
        state.ResumeTiming();
    }
    state.counters["submitted"] = (double)items;
}
BENCHMARK(BM_DemoUpdate)->ArgName("catch_up")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The render step of the demo's frame (traversal, both sorts, every draw
// call) on the 64 x 64 target, after an update outside the timing. The GL
// work is finished outside the timing too: this is the submission cost. With
// range(0) the draw calls do not reach GL, leaving the engine's own share.
static void BM_RenderFrame(benchmark::State& state) {
    if (!startOrSkip(state)) return;
    const Engine& record = *engine();
    uint64_t draws = 0, indices = 0, stateCalls = 0;
    setDrawsReachGl(state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        demoUpdate(false);
        shaderCatalogue().current = nullptr;
        clearFrame(record.clearRed, record.clearGreen, record.clearBlue);
        glFinish();
        const uint64_t drawsBefore = drawCallCount();
        const uint64_t indicesBefore = drawnIndexCount();
        const uint64_t callsBefore = glStateCache().callsMade;
        state.ResumeTiming();

        renderFrame();

        state.PauseTiming();
        draws += drawCallCount() - drawsBefore;
        indices += drawnIndexCount() - indicesBefore;
        stateCalls += glStateCache().callsMade - callsBefore;
        glFinish();
        state.ResumeTiming();
    }
    setDrawsReachGl(true);
    const double frames = (double)state.iterations();
    state.SetItemsProcessed((int64_t)draws);
    state.counters["draws_per_frame"] = frames > 0 ? (double)draws / frames : 0.0;
    state.counters["triangles_per_frame"] = frames > 0 ? (double)indices / 3.0 / frames : 0.0;
    state.counters["state_calls_per_frame"] = frames > 0 ? (double)stateCalls / frames : 0.0;
}
BENCHMARK(BM_RenderFrame)->ArgName("drawn")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A whole main-loop frame as the demo runs it, finished by the GL.
static void BM_DemoFrame(benchmark::State& state) {
    if (!startOrSkip(state)) return;
    const Engine& record = *engine();
    for (auto _ : state) {
        shaderCatalogue().current = nullptr;
        demoUpdate(false);
        clearFrame(record.clearRed, record.clearGreen, record.clearBlue);
        renderFrame();
        glFinish();
    }
}
BENCHMARK(BM_DemoFrame)->Unit(benchmark::kMillisecond);
