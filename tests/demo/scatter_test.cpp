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

// The climate bands as defined, from the height of a taken candidate.
int referenceClimate(const DemoWorld& w, float y) {
    const float t = (y - w.waterLevel) / (w.terrain.maxHeight * w.terrain.heightScale - w.waterLevel);
    const bool odd = static_cast<long long>(y) % 2 != 0;
    if (t > 0.4f) return 2;
    if (t > 0.2f) return odd ? 2 : 1;
    if (t > 0.1f) return odd ? 1 : 0;
    return 0;
}

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

    // The first tree is the first dry candidate of the attempts (the tenth
    // candidate of each is drawn and dropped), then its pick, sizes and turn.
    r.skip(19 * 5);
    ASSERT_FALSE(w.trees.empty());
    bool taken = false;
    for (int attempt = 0; attempt < 400 && !taken; ++attempt) {
        for (int tries = 9; tries >= 0; --tries) {
            const float a = static_cast<float>(r.next()) * 0.00019165625f;
            const float d = static_cast<float>(r.next()) * 0.30518511f;
            const float x = std::sin(a) * d, z = std::cos(a) * d;
            const float y = w.terrain.averageHeightAt(x, z) - 10.0f;
            if (tries == 0) break;
            if (y < w.waterLevel) continue;
            const int climate = referenceClimate(w, y);
            int index = 0;  // DeadTree, no draw
            if (climate == 0) index = r.next() % 2 != 0 ? 1 : 4;
            if (climate == 2) index = r.next() % 2 == 0 ? 3 : 2;
            const float s1 = static_cast<float>(r.next()) * 4.5777765e-06f + 0.2f;
            const float s2 = static_cast<float>(r.next()) * 4.5777765e-06f + 0.2f;
            const float turn = static_cast<float>(r.next()) * 0.00019165625f;
            const ScatterInstance& tree = w.trees[0];
            EXPECT_EQ(tree.x, x);
            EXPECT_EQ(tree.z, z);
            EXPECT_EQ(tree.y, y);
            EXPECT_EQ(tree.templateIndex, index);
            EXPECT_EQ(tree.scaleX, s1);
            EXPECT_EQ(tree.scaleY, s2);
            EXPECT_EQ(tree.scaleZ, s1);
            EXPECT_EQ(tree.rotationY, turn);
            taken = true;
            break;
        }
    }
    EXPECT_TRUE(taken);
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
    EXPECT_EQ(climateAt(w, 50.0f), Climate::Snowy);
    EXPECT_EQ(climateAt(w, 31.0f), Climate::Snowy);  // 0.2 < t <= 0.4, odd
    EXPECT_EQ(climateAt(w, 30.0f), Climate::Dry);  // even
    EXPECT_EQ(climateAt(w, 15.0f), Climate::Dry);  // 0.1 < t <= 0.2, odd
    EXPECT_EQ(climateAt(w, 14.0f), Climate::Temperate);
    EXPECT_EQ(climateAt(w, 5.0f), Climate::Temperate);
    // A terrain top exactly at the water: t is not finite.
    w.waterLevel = 100.0f;
    EXPECT_EQ(climateAt(w, 150.0f), Climate::Snowy);  // +inf
    EXPECT_EQ(climateAt(w, 100.0f), Climate::Temperate);  // 0/0
    // Heights that no integer holds are neither odd nor undefined behaviour.
    w.waterLevel = 0.0f;
    EXPECT_EQ(climateAt(w, NAN), Climate::Temperate);
    EXPECT_EQ(climateAt(w, INFINITY), Climate::Snowy);
    EXPECT_EQ(climateAt(w, 1e30f), Climate::Snowy);
}

// The templates picked match the climate of each place: a rock's index
// divided by 3 is its climate; DeadTree grows only where it is dry, Pine and
// Tree only where it is temperate, the snow trees only where it is snowy.
TEST(Scatter, TemplatesFollowTheClimateOfTheirPlace) {
    DemoWorld& w = freshWorld(-20.0f);  // more land: every band occurs
    scatterWorld(w, false, true, true);
    int seen[3] = {};
    for (const ScatterInstance& rock : w.rocks) {
        const int climate = referenceClimate(w, rock.y);
        EXPECT_EQ(rock.templateIndex / 3, climate) << "rock at height " << rock.y;
        ++seen[climate];
    }
    static const int kTreeClimate[kTreeTemplateCount] = {1, 0, 2, 2, 0};
    for (const ScatterInstance& tree : w.trees)
        EXPECT_EQ(kTreeClimate[tree.templateIndex], referenceClimate(w, tree.y)) << "tree at height " << tree.y;
    for (int climate = 0; climate < 3; ++climate) EXPECT_GT(seen[climate], 0) << "climate " << climate;
}
