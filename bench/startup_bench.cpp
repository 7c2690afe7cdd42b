#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include "app/main_loop.h"
#include "bench/bench_demo.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "scene/model.h"
#include "scene/model_file.h"

static const char* const kModelFiles[] = {
    "data/Ultimate Models/DeadTree.bin",     "data/Ultimate Models/Pine.bin",
    "data/Ultimate Models/SnowPine.bin",     "data/Ultimate Models/SnowTree.bin",
    "data/Ultimate Models/Tree.bin",         "data/Ultimate Models/PlantsA.bin",
    "data/Ultimate Models/RockA.bin",        "data/Ultimate Models/RockB.bin",
    "data/Ultimate Models/RockC.bin",        "data/Ultimate Models/RockADessert.bin",
    "data/Ultimate Models/RockBDessert.bin", "data/Ultimate Models/RockCDessert.bin",
    "data/Ultimate Models/RockASnow.bin",    "data/Ultimate Models/RockBSnow.bin",
    "data/Ultimate Models/RockCSnow.bin",
};

// The fifteen templates of the demo, loaded (buffers and textures made and
// filled, GL work finished) and released again. The pictures the loader
// keeps are released before each round, so every round starts cold.
static void BM_LoadModels(benchmark::State& state) {
    if (!startBenchDemo()) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    int loaded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        releaseMaterialPictures();
        state.ResumeTiming();
        loaded = 0;
        for (const char* path : kModelFiles) {
            MODEL3D* model = new MODEL3D(nullptr);
            loaded += loadModel(model, path) ? 1 : 0;
            glFinish();
            state.PauseTiming();
            delete model;
            state.ResumeTiming();
        }
    }
    state.counters["models"] = loaded;
}
BENCHMARK(BM_LoadModels)->Unit(benchmark::kMillisecond);

// The demo's start-up (renderer, scene, templates, landscape, scattering)
// and its first frame, on the engine and window made once for the process.
// Every run builds a new world; the old one is dropped, not freed.
static void BM_StartupToFirstFrame(benchmark::State& state) {
    if (!startBenchDemo()) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    for (auto _ : state) {
        releaseMaterialPictures();
        resetDemoWorld();
        demoStartup();
        runMainLoopIteration();
        glFinish();
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(1);
