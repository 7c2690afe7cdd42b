// The demo as a new user sees it, through `demo-tool capture`: small frames,
// few drawn frames, the timeline fast-forwarded where a later act is needed.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/capture_run.h"
#include "tests/support/scratch_dir.h"

namespace {
class DemoCapture : public ::testing::Test {
protected:
    // Runs the capture into the scratch folder; fails the test unless it
    // ran all `frames`.
    void capture(const std::string& arguments, int frames) {
        ToolRun run = runCapture("--out " + scratch.path() + " " + arguments, scratch.file("errors.txt"));
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        ASSERT_EQ(jsonNumber(run.output, "frames"), frames) << run.output << run.errors;
    }
    Picture frame(int number) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", number);
        Picture picture = readPicture(scratch.file(name));
        EXPECT_GT(picture.width, 0) << name << " was not written";
        return picture;
    }
    ScratchDir scratch;
};

// Share of pixels whose colour moved by more than a faint flicker, and the
// mean blue-minus-red of those pixels before and after.
struct Change {
    double share = 0.0;
    double blueOverRedBefore = 0.0, blueOverRedAfter = 0.0;
};
Change changeBetween(const Picture& before, const Picture& after) {
    Change change;
    int changed = 0;
    for (int y = 0; y < before.height; ++y) {
        for (int x = 0; x < before.width; ++x) {
            const unsigned char* a = before.at(x, y);
            const unsigned char* b = after.at(x, y);
            if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) <= 48) continue;
            ++changed;
            change.blueOverRedBefore += a[2] - a[0];
            change.blueOverRedAfter += b[2] - b[0];
        }
    }
    change.share = (double)changed / (before.width * before.height);
    if (changed > 0) {
        change.blueOverRedBefore /= changed;
        change.blueOverRedAfter /= changed;
    }
    return change;
}
}  // namespace

TEST_F(DemoCapture, TheFirstFramesShowTheLandscape) {
    capture("--frames 2 --at 2 --size 320x180", 2);
    Picture picture = frame(2);
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 180);

    PixelShares lower = pixelShares(picture, 90, 180);
    EXPECT_LT(lower.share[PIXEL_CLEAR], 0.05) << "the lower half is the clear colour: no terrain was drawn";
    PixelShares all = pixelShares(picture, 0, 180);
    // The orbit starts above a wooded valley under a day sky, with a pool of
    // water at its bottom.
    EXPECT_GT(all.share[PIXEL_LAND], 0.5);
    EXPECT_GT(all.share[PIXEL_SKY], 0.03);
    EXPECT_LT(all.share[PIXEL_SKY], 0.4);
    EXPECT_GT(all.share[PIXEL_WATER], 0.0005);
    EXPECT_LT(all.share[PIXEL_WATER], 0.3);
    // The sky is above the land.
    EXPECT_GT(pixelShares(picture, 0, 90).share[PIXEL_SKY], 4 * lower.share[PIXEL_SKY]);
}

TEST_F(DemoCapture, NightIsDarkerThanDay) {
    // Act 2 (day, frames 961 to 1440) and act 6 (night, frames 2881 to 3360).
    capture("--frames 3120 --at 1020,3120 --size 320x180 --fast-forward", 3120);
    const double day = meanLuminance(frame(1020));
    const double night = meanLuminance(frame(3120));
    // The night sun is (0.4, 0.4, 1) against (1, 1, 1), the ambient 0.03
    // against 0.2, and the night sky is dark.
    EXPECT_GT(day, 35.0);
    EXPECT_LT(night, 0.6 * day) << "day " << day << ", night " << night;
}

TEST_F(DemoCapture, QRaisesTheWaterAndALowersItAgain) {
    // Q held for frames 3 to 22 raises the plane by 2000, A held for frames
    // 23 to 42 brings it back. (Held for 60 frames the plane would rise past
    // the orbit camera, at about 5750, and show only its far edge.)
    capture("--frames 43 --at 2,23,43 --keys 3:Q:down,23:Q:up,23:A:down,43:A:up --size 320x180 --fast-forward", 43);
    const Picture before = frame(2), raised = frame(23), lowered = frame(43);

    const Change flooded = changeBetween(before, raised);
    EXPECT_GT(flooded.share, 0.08) << "the water did not cover the valley";
    EXPECT_GT(flooded.blueOverRedAfter, flooded.blueOverRedBefore + 10.0) << "the changed pixels did not turn to water";

    EXPECT_LT(changeBetween(before, lowered).share, 0.02) << "A did not lower the water to where it was";
}
