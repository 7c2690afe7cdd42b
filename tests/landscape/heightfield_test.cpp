#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "landscape/heightfield.h"
#include "landscape/random.h"
#include "tests/support/scratch_dir.h"

namespace {

// Runs a test body inside a scratch folder so that "a.raw" never lands in the
// repository; the previous working directory comes back on destruction.
class InScratchDir {
public:
    InScratchDir() {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof(buffer))) previous_ = buffer;
        if (chdir(scratch_.path().c_str()) != 0) ADD_FAILURE() << "cannot enter " << scratch_.path();
    }
    ~InScratchDir() {
        if (chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
    }
    void writeRaw(const std::string& bytes) const { scratch_.write("a.raw", bytes); }

private:
    ScratchDir scratch_;
    std::string previous_;
};

std::unique_ptr<Heightfield> newHeightfield() {
    auto field = std::make_unique<Heightfield>();  // value-initialised: all zero
    field->extentX = 20000.0f;
    field->extentZ = 20000.0f;
    field->heightScale = 40.0f;
    return field;
}

// Whether the generator stands right after the first `count` draws from seed:
// its next draw is the one that follows them. Reseeds.
::testing::AssertionResult drewExactly(uint32_t seed, int count) {
    const int next = nextRandom();
    seedRandom(seed);
    for (int i = 0; i < count; ++i) nextRandom();
    const int expected = nextRandom();
    if (next == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "next draw " << next << ", expected " << expected;
}

// Eight-octave value noise at one point, in double, straight from the lattice.
double referenceNoise(const std::vector<double>& lattice, int i, int j) {
    double sum = 0.0;
    for (int k = 0; k < 8; ++k) {
        const int s = 1 << k;
        const int r0 = i - i % s, r1 = (r0 + s) % 255;
        const int c0 = j - j % s, c1 = (c0 + s) % 255;
        const double fy = double(i - r0) / s, fx = double(j - c0) / s;
        const double top = lattice[r0 * 255 + c0] * (1 - fx) + lattice[r0 * 255 + c1] * fx;
        const double bottom = lattice[r1 * 255 + c0] * (1 - fx) + lattice[r1 * 255 + c1] * fx;
        sum += (top * (1 - fy) + bottom * fy) * double(1 << k) / 128.0;
    }
    return sum / (255.0 / 128.0);
}

}  // namespace

TEST(Heightfield, ValueNoiseFollowsTheLattice) {
    seedRandom(174201);
    std::vector<double> lattice(kGridPoints);
    for (double& value : lattice) value = nextRandom() / 32767.0;

    std::vector<float> noise(kGridPoints);
    seedRandom(174201);
    fillValueNoise(noise.data());
    EXPECT_TRUE(drewExactly(174201, kGridPoints)) << "the lattice takes exactly 65025 draws";

    for (int i = 0; i < kGridPoints; ++i) {
        ASSERT_GE(noise[i], 0.0f) << i;
        ASSERT_LE(noise[i], 1.0f) << i;
    }
    // Points on every octave's lattice get the lattice value itself; the
    // others, including the wrap of the coarse octaves at the far border, blend.
    const int points[][2] = {{0, 0}, {128, 128}, {0, 128}, {1, 0}, {37, 200}, {130, 254}, {254, 254}, {254, 1}};
    for (const auto& p : points) {
        EXPECT_NEAR(noise[p[0] * 255 + p[1]], referenceNoise(lattice, p[0], p[1]), 2e-6)
            << "row " << p[0] << " column " << p[1];
    }
    EXPECT_NEAR(noise[128 * 255 + 128], lattice[128 * 255 + 128], 2e-6);
}

TEST(Heightfield, NoiseAndBasinsStayInRangeAndAreRecentred) {
    auto field = newHeightfield();
    seedRandom(174201);
    field->generate(10.0f, false);
    // Noise in [0, 10] plus three basins of at most 0.25 each.
    EXPECT_GE(field->minHeight, 0.0f);
    EXPECT_LE(field->maxHeight, 10.75f);
    EXPECT_GT(field->range, 1.0f);
    EXPECT_EQ(field->range, field->maxHeight - field->minHeight);
    const float shift = field->range * 0.5f;
    float lowest = 1e9f, highest = -1e9f;
    for (float h : field->heights) {
        lowest = std::min(lowest, h);
        highest = std::max(highest, h);
    }
    EXPECT_EQ(lowest, field->minHeight - shift);
    EXPECT_EQ(highest, field->maxHeight - shift);
    // Generation leaves the mapping alone.
    EXPECT_EQ(field->extentX, 20000.0f);
    EXPECT_EQ(field->heightScale, 40.0f);
}

TEST(Heightfield, SameSeedSameLandscape) {
    auto a = newHeightfield();
    auto b = newHeightfield();
    seedRandom(174201);
    a->generate(10.0f, false);
    b->heights[5] = 123.0f;  // a regeneration starts from zero heights
    seedRandom(174201);
    b->generate(10.0f, false);
    EXPECT_EQ(0, std::memcmp(a->heights, b->heights, sizeof(a->heights)));
    EXPECT_EQ(a->range, b->range);
    EXPECT_EQ(a->minHeight, b->minHeight);
}

// With amplitude 0 the heights are the three basins alone, from the first
// twelve draws: radius, depth, centre row, centre column for each basin.
TEST(Heightfield, AmplitudeZeroGivesBasinsOnly) {
    seedRandom(42);
    struct Basin {
        double radius, depth;
        int row, column;
    } basins[3];
    for (Basin& basin : basins) {
        basin.radius = nextRandom() * (40.0 / 32767.0) + 40.0;
        basin.depth = nextRandom() * (0.25 / 32767.0);
        basin.row = static_cast<int>(nextRandom() * (255.0 / 32767.0));
        basin.column = static_cast<int>(nextRandom() * (255.0 / 32767.0));
    }

    auto field = newHeightfield();
    seedRandom(42);
    field->generate(0.0f, false);
    EXPECT_TRUE(drewExactly(42, 12)) << "no lattice draws";

    const float shift = field->range * 0.5f;
    for (int r = 0; r < 255; r += 7) {
        for (int c = 0; c < 255; c += 11) {
            double expected = 0.0;
            for (const Basin& basin : basins) {
                const double dc = basin.column - c, dr = basin.row - r;
                expected += std::min(1.0, std::sqrt(dc * dc + dr * dr) / basin.radius) * basin.depth;
            }
            ASSERT_NEAR(field->heights[r * 255 + c] + shift, expected, 1e-6) << r << ", " << c;
        }
    }
}

TEST(Heightfield, RawFileReplacesTheNoiseButNotItsDraws) {
    InScratchDir scratch;
    scratch.writeRaw(std::string(kGridPoints, '\xff'));
    auto field = newHeightfield();
    seedRandom(7);
    field->generate(10.0f, true);
    // The lattice was drawn, the basins were not.
    EXPECT_TRUE(drewExactly(7, kGridPoints));
    EXPECT_EQ(field->range, 0.0f);
    EXPECT_EQ(field->minHeight, 1.0f);
    EXPECT_EQ(field->maxHeight, 1.0f);
    for (float h : field->heights) ASSERT_EQ(h, 1.0f);

    // Without the flag the file is ignored: noise plus basins.
    seedRandom(7);
    field->generate(10.0f, false);
    EXPECT_TRUE(drewExactly(7, kGridPoints + 12));
    EXPECT_GT(field->range, 0.0f);
}

TEST(Heightfield, ShortRawFileLeavesTheRestAtZero) {
    InScratchDir scratch;
    std::string bytes(1000, '\0');
    for (int i = 0; i < 1000; ++i) bytes[i] = static_cast<char>(i % 2 ? 255 : 51);  // 51 / 255 = 0.2
    scratch.writeRaw(bytes);
    auto field = newHeightfield();
    seedRandom(7);
    field->generate(10.0f, true);
    EXPECT_TRUE(drewExactly(7, kGridPoints)) << "a short file is still a file: no basins";
    EXPECT_EQ(field->minHeight, 0.0f);
    EXPECT_EQ(field->maxHeight, 1.0f);
    EXPECT_EQ(field->range, 1.0f);
    EXPECT_FLOAT_EQ(field->heights[0], 0.2f - 0.5f);
    EXPECT_EQ(field->heights[999], 0.5f);
    for (int i = 1000; i < kGridPoints; ++i) ASSERT_EQ(field->heights[i], -0.5f) << i;
}

TEST(Heightfield, MissingRawFileFallsBackToBasins) {
    InScratchDir scratch;  // no a.raw here
    auto withFlag = newHeightfield();
    auto without = newHeightfield();
    seedRandom(3);
    withFlag->generate(10.0f, true);
    seedRandom(3);
    without->generate(10.0f, false);
    EXPECT_EQ(0, std::memcmp(withFlag->heights, without->heights, sizeof(without->heights)));
}

TEST(Heightfield, QueriesMapTheExtentAndClamp) {
    auto field = newHeightfield();
    for (int r = 0; r < 255; ++r)
        for (int c = 0; c < 255; ++c) field->heights[r * 255 + c] = static_cast<float>(r * 1000 + c);
    field->setHeightScale(2.0f);
    EXPECT_EQ(field->heightScale, 2.0f);

    // Column from x, row from z; the centre (0, 0) is cell 127.5 -> 127.
    EXPECT_EQ(field->heightAt(0.0f, 0.0f), (127 * 1000 + 127) * 2.0f);
    EXPECT_EQ(field->heightAt(-10000.0f, 10000.0f), (254 * 1000 + 0) * 2.0f);
    // Outside the extent: the nearest border cell.
    EXPECT_EQ(field->heightAt(-1e6f, -1e6f), 0.0f);
    EXPECT_EQ(field->heightAt(1e6f, -50000.0f), 254 * 2.0f);
    EXPECT_EQ(field->heightAt(5e30f, 5e30f), (254 * 1000 + 254) * 2.0f);
    EXPECT_EQ(field->heightAt(std::nanf(""), 0.0f), (127 * 1000) * 2.0f);

    // Average of the cell's four points; at the border both indices stay 254.
    EXPECT_FLOAT_EQ(field->averageHeightAt(0.0f, 0.0f), (127 * 1000 + 127 + 500 + 0.5f) * 2.0f);
    EXPECT_EQ(field->averageHeightAt(1e6f, 1e6f), (254 * 1000 + 254) * 2.0f);
    EXPECT_EQ(field->averageHeightAt(-1e6f, 1e6f), (254 * 1000 + 0.5f) * 2.0f);
}
