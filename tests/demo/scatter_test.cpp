#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "demo/demo_world.h"
#include "demo/scatter.h"

namespace {

// The generator as defined: state = state * 214013 + 2531011 (mod 2^32),
// result = bits 16..30. Kept separate from the engine's copy on purpose.
struct ReferenceRandom {
    uint32_t state;
    int next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 32767u);
    }
    void skip(int count) {
        for (int i = 0; i < count; ++i) next();
    }
};

DemoWorld& freshWorld(float waterLevel = 0.0f) {
    resetDemoWorld();
    DemoWorld& w = demoWorld();
    w.waterLevel = waterLevel;
    return w;
}

}  // namespace

TEST(Scatter, FlightPathsAndFirstTreeFollowTheDrawOrder) {
    DemoWorld& w = freshWorld();
    scatterWorld(w, false, true, true);
    ASSERT_EQ(w.flightPaths.size(), 20u);

    // Terrain and water each draw the 65025 lattice values and 3 basins of 4.
    ReferenceRandom r{kScatterSeed};
    r.skip(2 * (65025 + 3 * 4));
    const float phase = static_cast<float>(r.next()) * 3.0518509e-05f;
    r.next();  // discarded
    const float radius = static_cast<float>(r.next()) * 0.039674062f + 1300.0f;
    const float bob = static_cast<float>(r.next()) * 0.00061037019f + 100.0f;
    const float speed = (static_cast<float>(r.next()) * 3.051851e-06f + 3.1f) * (radius * 1e-06f);
    const FlightPath& first = w.flightPaths[0];
    EXPECT_EQ(first.phase, phase);
    EXPECT_EQ(first.radius, radius);
    EXPECT_EQ(first.bobAmplitude, bob);
    EXPECT_EQ(first.speed, speed);
    EXPECT_EQ(first.centreX, 0.0f);
    EXPECT_EQ(first.baseY, 4000.0f);
    EXPECT_EQ(first.centreZ, 0.0f);

    // The first tree is the first dry candidate of the first attempt.
    r.skip(19 * 5);
    ASSERT_FALSE(w.trees.empty());
    for (int tries = 9; tries > 0; --tries) {
        const float a = static_cast<float>(r.next()) * 0.00019165625f;
        const float d = static_cast<float>(r.next()) * 0.30518511f;
        const float x = std::sin(a) * d, z = std::cos(a) * d;
        const float y = w.terrain.averageHeightAt(x, z) - 10.0f;
        if (y < w.waterLevel) continue;
        EXPECT_EQ(w.trees[0].x, x);
        EXPECT_EQ(w.trees[0].z, z);
        EXPECT_EQ(w.trees[0].y, y);
        EXPECT_LE(std::sqrt(x * x + z * z), 10000.0f);
        break;
    }
}

TEST(Scatter, SameSeedSameWorldAndSizesInRange) {
    DemoWorld& w = freshWorld();
    scatterWorld(w, false, true, true);
    const std::vector<ScatterInstance> trees = w.trees, plants = w.plants, rocks = w.rocks;
    scatterWorld(w, false, true, true);
    ASSERT_EQ(trees.size(), w.trees.size());
    ASSERT_EQ(plants.size(), w.plants.size());
    ASSERT_EQ(rocks.size(), w.rocks.size());
    for (size_t i = 0; i < trees.size(); ++i) {
        EXPECT_EQ(trees[i].x, w.trees[i].x);
        EXPECT_EQ(trees[i].templateIndex, w.trees[i].templateIndex);
        EXPECT_EQ(trees[i].scaleY, w.trees[i].scaleY);
    }
    EXPECT_LE(w.trees.size(), 400u);
    EXPECT_LE(w.plants.size(), 200u);
    EXPECT_LE(w.rocks.size(), 200u);
    EXPECT_GT(w.trees.size(), 0u);

    for (const ScatterInstance& t : w.trees) {
        EXPECT_GE(t.templateIndex, 0);
        EXPECT_LT(t.templateIndex, kTreeTemplateCount);
        EXPECT_GE(t.scaleX, 0.2f);
        EXPECT_LE(t.scaleX, 0.35f);
        EXPECT_EQ(t.scaleZ, t.scaleX);
        EXPECT_GE(t.y, w.waterLevel);
    }
    for (const ScatterInstance& p : w.plants) {
        EXPECT_EQ(p.templateIndex, 0);
        EXPECT_GE(p.scaleY, 0.1f);
        EXPECT_LE(p.scaleY, 1.1f);
    }
    for (const ScatterInstance& rock : w.rocks) {
        EXPECT_GE(rock.templateIndex, 0);
        EXPECT_LT(rock.templateIndex, kRockTemplateCount);
        EXPECT_GE(rock.scaleX, 0.02f);
        EXPECT_LE(rock.scaleX, 0.08f);
        EXPECT_GE(rock.rotationY, 0.0f);
        EXPECT_LE(rock.rotationY, 6.2832f);
    }
}

TEST(Scatter, HigherWaterPlacesFewerAndAFloodPlacesNone) {
    DemoWorld& w = freshWorld(0.0f);
    scatterWorld(w, false, true, true);
    const size_t dry = w.trees.size() + w.plants.size() + w.rocks.size();

    w.waterLevel = 100.0f;
    scatterWorld(w, false, true, true);
    const size_t wetter = w.trees.size() + w.plants.size() + w.rocks.size();
    EXPECT_LT(wetter, dry);

    w.waterLevel = 1e9f;
    scatterWorld(w, false, true, true);
    EXPECT_TRUE(w.trees.empty());
    EXPECT_TRUE(w.plants.empty());
    EXPECT_TRUE(w.rocks.empty());
    EXPECT_EQ(w.flightPaths.size(), 20u);
}

TEST(Scatter, ClimateBands) {
    DemoWorld& w = freshWorld(0.0f);
    w.terrain.maxHeight = 1.0f;
    w.terrain.heightScale = 100.0f;  // t = y / 100
    EXPECT_EQ(climateAt(w, 50.0f), 2);
    EXPECT_EQ(climateAt(w, 31.0f), 2);  // 0.2 < t <= 0.4, odd
    EXPECT_EQ(climateAt(w, 30.0f), 1);  // even
    EXPECT_EQ(climateAt(w, 15.0f), 1);  // 0.1 < t <= 0.2, odd
    EXPECT_EQ(climateAt(w, 14.0f), 0);
    EXPECT_EQ(climateAt(w, 5.0f), 0);
    // A terrain top exactly at the water: t is not finite.
    w.waterLevel = 100.0f;
    EXPECT_EQ(climateAt(w, 150.0f), 2);  // +inf
    EXPECT_EQ(climateAt(w, 100.0f), 0);  // 0/0
}
