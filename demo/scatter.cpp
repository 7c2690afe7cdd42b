#include "demo/scatter.h"

#include <cmath>
#include <cstdint>

#include "demo/demo_world.h"
#include "landscape/random.h"

// Every draw is rand() converted to float and multiplied in single precision
// by the range of the value divided by 32767.
static float draw(float scale) { return static_cast<float>(nextRandom()) * scale; }

Climate climateAt(const DemoWorld& world, float y) {
    const float t = (y - world.waterLevel) / (world.terrain.maxHeight * world.terrain.heightScale - world.waterLevel);
    // Only a finite y within int64 range converts; any other is taken as even.
    const bool odd = std::fabs(y) < 9.2e18f && (static_cast<int64_t>(y) % 2) != 0;
    if (t > 0.4f) return Climate::Snowy;
    if (t > 0.2f) return odd ? Climate::Snowy : Climate::Dry;
    if (t > 0.1f) return odd ? Climate::Dry : Climate::Temperate;
    return Climate::Temperate;
}

enum ScatterKind { SCATTER_TREE, SCATTER_PLANT, SCATTER_ROCK };

static int pickTemplate(ScatterKind kind, Climate climate) {
    if (kind == SCATTER_PLANT) return 0;
    if (kind == SCATTER_TREE) {
        if (climate == Climate::Dry) return 0;  // DeadTree, no draw
        const int r = nextRandom();
        if (climate == Climate::Temperate) return (r % 2 != 0) ? 1 : 4;  // Pine or Tree
        return (r % 2 == 0) ? 3 : 2;  // SnowTree or SnowPine
    }
    return nextRandom() % 3 + static_cast<int>(climate) * 3;  // the plain, "Dessert" or "Snow" rocks
}

static float sizeScale(ScatterKind kind) {
    switch (kind) {
    case SCATTER_TREE: return 4.5777765e-06f;
    case SCATTER_PLANT: return 3.0518509e-05f;
    case SCATTER_ROCK: break;
    }
    return 1.8311106e-06f;
}

static float sizeBase(ScatterKind kind) {
    switch (kind) {
    case SCATTER_TREE: return 0.2f;
    case SCATTER_PLANT: return 0.1f;
    case SCATTER_ROCK: break;
    }
    return 0.02f;
}

// Up to ten candidates within 10000 units of the origin; the first at or
// above the water level is taken. The tenth is drawn and always dropped.
static void attempt(DemoWorld& world, ScatterKind kind, std::vector<ScatterInstance>& out) {
    int tries = 10;
    for (;;) {
        --tries;
        const float angle = draw(0.00019165625f);
        const float distance = draw(0.30518511f);
        const float x = std::sin(angle) * distance;
        const float z = std::cos(angle) * distance;
        const float y = world.terrain.averageHeightAt(x, z) - 10.0f;
        if (tries == 0) return;
        if (world.waterLevel > y) continue;

        ScatterInstance instance;
        const Climate climate = kind == SCATTER_PLANT ? Climate::Temperate : climateAt(world, y);
        instance.templateIndex = pickTemplate(kind, climate);
        const float s1 = draw(sizeScale(kind)) + sizeBase(kind);
        const float s2 = draw(sizeScale(kind)) + sizeBase(kind);
        const float turn = draw(0.00019165625f);
        instance.x = x;
        instance.y = y;
        instance.z = z;
        instance.rotationY = turn;
        instance.scaleX = s1;
        instance.scaleY = s2;
        instance.scaleZ = s1;
        out.push_back(instance);
        return;
    }
}

void scatterWorld(DemoWorld& world, bool useRawFile, bool generateTerrain, bool generateWater) {
    seedRandom(kScatterSeed);
    if (generateTerrain) world.terrain.generate(10.0f, useRawFile);
    if (generateWater) world.water.generate(1.0f, false);

    world.flightPaths.clear();
    world.flightPaths.reserve(20);
    for (int i = 0; i < 20; ++i) {
        FlightPath path;
        path.phase = draw(3.0518509e-05f);
        nextRandom();  // drawn and discarded
        path.radius = draw(0.039674062f) + 1300.0f;
        path.bobAmplitude = draw(0.00061037019f) + 100.0f;
        path.speed = (draw(3.051851e-06f) + 3.1f) * (path.radius * 1e-06f);
        world.flightPaths.push_back(path);
    }

    // Sized once for the most each run can place; later runs reuse the space.
    world.trees.clear();
    world.trees.reserve(400);
    for (int i = 0; i < 400; ++i) attempt(world, SCATTER_TREE, world.trees);
    world.plants.clear();
    world.plants.reserve(200);
    for (int i = 0; i < 200; ++i) attempt(world, SCATTER_PLANT, world.plants);
    world.rocks.clear();
    world.rocks.reserve(200);
    for (int i = 0; i < 200; ++i) attempt(world, SCATTER_ROCK, world.rocks);
}

void scatter(bool useRawFile) {
    DemoWorld& world = demoWorld();
    scatterWorld(world, useRawFile, world.terrainModel != nullptr, world.waterModel != nullptr);
}
