#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_demo.h"
#include "demo/demo_world.h"
#include "landscape/heightfield.h"
#include "landscape/landscape_mesh.h"
#include "landscape/random.h"
#include "gpu/gl_state_cache.h"
#include "scene/model.h"

constexpr size_t kVertexBytes = kGridPoints * sizeof(Vertex);  // 4941900

static std::unique_ptr<Heightfield> demoTerrain() {
    auto terrain = std::make_unique<Heightfield>();
    std::memset(terrain.get(), 0, sizeof(Heightfield));
    terrain->extentX = 20000.0f;
    terrain->extentZ = 20000.0f;
    terrain->heightScale = 2000.0f;
    seedRandom(174201);
    terrain->generate(10.0f, false);
    return terrain;
}

// A grid mesh without GL buffers: only the processor side is exercised.
static std::unique_ptr<Mesh> gridMesh() {
    auto mesh = std::make_unique<Mesh>();
    mesh->vertexCount = kGridPoints;
    mesh->vertexBytes = (int)kVertexBytes;
    mesh->vertices = new Vertex[kGridPoints]();
    return mesh;
}

using Clock = std::chrono::steady_clock;

// The processor rebuild of one surface (positions, texture coordinates,
// normals), timed alone. Each iteration is preceded by a copy of the same
// 4941900 bytes, timed apart: "x_copy" is rebuild time / copy time in the
// same run, under the same cache conditions.
static void BM_LandscapeRebuild(benchmark::State& state) {
    auto terrain = demoTerrain();
    auto mesh = gridMesh();
    std::vector<unsigned char> source(kVertexBytes, 1), target(kVertexBytes);
    double rebuildSeconds = 0.0, copySeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::memcpy(target.data(), source.data(), kVertexBytes);
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        rebuildLandscapeVertices(*terrain, mesh.get());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const double rebuild = std::chrono::duration<double>(t2 - t1).count();
        rebuildSeconds += rebuild;
        copySeconds += std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(rebuild);
    }
    state.counters["x_copy"] = copySeconds > 0.0 ? rebuildSeconds / copySeconds : 0.0;
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)kVertexBytes);
}
BENCHMARK(BM_LandscapeRebuild)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The baseline alone: a plain copy of one surface's vertex bytes.
static void BM_LandscapeVertexCopy(benchmark::State& state) {
    std::vector<unsigned char> source(kVertexBytes, 1), target(kVertexBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kVertexBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)kVertexBytes);
}
BENCHMARK(BM_LandscapeVertexCopy)->Unit(benchmark::kMicrosecond);

// The whole update of the demo's terrain: rebuild and glBufferSubData, with
// a glFinish so the upload is paid for in the iteration that made it.
static void BM_LandscapeUpdateAndUpload(benchmark::State& state) {
    if (!startBenchDemo()) {
        state.SkipWithError("no offscreen GL context");
        return;
    }
    DemoWorld& world = demoWorld();
    for (auto _ : state) {
        updateLandscapeMesh(world.terrain, world.terrainModel);
        glFinish();
    }
}
BENCHMARK(BM_LandscapeUpdateAndUpload)->Unit(benchmark::kMicrosecond);
