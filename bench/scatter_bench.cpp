#include <benchmark/benchmark.h>

#include "demo/demo_world.h"
#include "demo/scatter.h"

// The whole scattering pass on the demo's world: seed, terrain and water
// generation, flight paths, 400 + 200 + 200 placement attempts.
static void BM_ScatterWorld(benchmark::State& state) {
    DemoWorld& world = demoWorld();
    for (auto _ : state) {
        scatterWorld(world, false, true, true);
        benchmark::DoNotOptimize(world.trees.data());
    }
    state.counters["instances"] = (double)(world.trees.size() + world.plants.size() + world.rocks.size());
}
BENCHMARK(BM_ScatterWorld)->Unit(benchmark::kMillisecond);

// The placement alone: flight paths and instances on an already generated world.
static void BM_ScatterPlacement(benchmark::State& state) {
    DemoWorld& world = demoWorld();
    scatterWorld(world, false, true, true);
    for (auto _ : state) {
        scatterWorld(world, false, false, false);
        benchmark::DoNotOptimize(world.trees.data());
    }
}
BENCHMARK(BM_ScatterPlacement)->Unit(benchmark::kMicrosecond);
