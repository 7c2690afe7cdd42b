#include <benchmark/benchmark.h>

#include <memory>

#include "landscape/heightfield.h"
#include "landscape/random.h"

static std::unique_ptr<Heightfield> newTerrain() {
    auto terrain = std::make_unique<Heightfield>();
    terrain->extentX = 20000.0f;
    terrain->extentZ = 20000.0f;
    terrain->heightScale = 40.0f;
    seedRandom(174201);
    terrain->generate(10.0f, false);
    return terrain;
}

// The terrain of the demo: noise of amplitude 10 and three basins.
static void BM_HeightfieldGenerate(benchmark::State& state) {
    auto terrain = newTerrain();
    for (auto _ : state) {
        seedRandom(174201);
        terrain->generate(10.0f, false);
        benchmark::DoNotOptimize(terrain->heights[0]);
    }
}
BENCHMARK(BM_HeightfieldGenerate)->Unit(benchmark::kMillisecond);

// Queries over a sweep of world points, inside and outside the extent.
static void BM_HeightfieldHeightAt(benchmark::State& state) {
    auto terrain = newTerrain();
    float x = -12000.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(terrain->heightAt(x, x * 0.5f));
        x = x > 12000.0f ? -12000.0f : x + 37.0f;
    }
}
BENCHMARK(BM_HeightfieldHeightAt);

static void BM_HeightfieldAverageHeightAt(benchmark::State& state) {
    auto terrain = newTerrain();
    float x = -12000.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(terrain->averageHeightAt(x, x * 0.5f));
        x = x > 12000.0f ? -12000.0f : x + 37.0f;
    }
}
BENCHMARK(BM_HeightfieldAverageHeightAt);
