// The real demo in a real window under a private X server: it draws the
// landscape on screen, keeps to real time and ends cleanly on Escape.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/capture_run.h"
#include "tests/e2e/x_session.h"
#include "tests/support/scratch_dir.h"

TEST(DemoWindow, ShowsTheLandscapeKeepsRealTimeAndEndsOnEscape) {
    for (const char* tool : {"Xvfb", "xdotool", "xwd", "convert"})
        if (!haveCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    const int width = 320, height = 180;
    XvfbServer server(width, height);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    ScratchDir scratch;
    DemoProcess demo(server.display(), scratch.file("stderr.txt"));
    ASSERT_NE(findDemoWindow(server, demo, 30.0), 0u) << readFile(scratch.file("stderr.txt"));
    const auto windowShown = std::chrono::steady_clock::now();

    // The window covers the screen, black until the first frame is presented
    // (start-up takes a few seconds on a software renderer); the sky shows
    // from the second frame on, when the scene's camera has been placed.
    const std::string shot = scratch.file("screen.png");
    auto grabScreen = [&] {
        server.run("xwd -root -silent | convert xwd:- " + shot);
        return readPicture(shot);
    };
    Picture picture;
    auto firstFrame = windowShown;
    for (bool black = true; std::chrono::steady_clock::now() - windowShown < std::chrono::seconds(40);) {
        picture = grabScreen();
        if (picture.width != width || picture.height != height || meanLuminance(picture) <= 20.0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        if (black) firstFrame = std::chrono::steady_clock::now();
        black = false;
        if (pixelShares(picture, 0, height / 2).share[PIXEL_SKY] > 0.03) break;
    }
    ASSERT_EQ(picture.width, width) << "no screenshot";
    ASSERT_GT(meanLuminance(picture), 20.0) << "the screen stayed black";
    PixelShares below = pixelShares(picture, height / 2, height);
    EXPECT_GT(below.share[PIXEL_LAND], 0.5) << "the lower half of the screen shows no terrain";
    EXPECT_LT(below.share[PIXEL_CLEAR], 0.05);
    EXPECT_GT(pixelShares(picture, 0, height / 2).share[PIXEL_SKY], 0.03) << "no day sky above";

    // About twelve seconds after the window appeared the screen shows the
    // step of the moment of the grab, or up to a second of steps before it
    // plus the start-up until the first frame, whatever the drawing rate (Xvfb
    // does not wait for a refresh). The grab's own start and end bound that
    // moment: on a loaded machine xwd may run well after it was asked for.
    auto stepsSinceShown = [&](std::chrono::steady_clock::time_point at) {
        return 60.0 * std::chrono::duration<double>(at - windowShown).count();
    };
    std::this_thread::sleep_until(windowShown + std::chrono::seconds(12));
    const double grabStartSteps = stepsSinceShown(std::chrono::steady_clock::now());
    const Picture later = grabScreen();
    const double grabEndSteps = stepsSinceShown(std::chrono::steady_clock::now());

    // Keys go to the window under the pointer (there is no window manager).
    server.run("xdotool mousemove " + std::to_string(width / 2) + " " + std::to_string(height / 2) + " key Escape");
    ASSERT_TRUE(demo.waitForExit(30.0)) << "the demo did not end on Escape";
    EXPECT_TRUE(demo.exitedNormally()) << readFile(scratch.file("stderr.txt"));
    EXPECT_EQ(demo.exitCode(), 0);

    // The screen against capture's pictures, a second apart early on and 6
    // steps apart from act 1 on (neighbouring steps differ by about 13), made
    // once the demo has ended so that the two do not share the processors.
    const double startUpSteps = stepsSinceShown(firstFrame);
    const int lastCandidate = static_cast<int>(grabEndSteps) + 120;
    std::vector<int> candidates;
    for (int step = 60; step <= lastCandidate; step += step < 480 ? 60 : 6) candidates.push_back(step);
    std::string at;
    for (int step : candidates) at += (at.empty() ? "" : ",") + std::to_string(step);
    const ToolRun capture = runCapture("--out " + scratch.path() + " --frames " + std::to_string(lastCandidate) +
                                           " --at " + at + " --size 320x180 --fast-forward",
                                       scratch.file("errors.txt"));
    ASSERT_EQ(capture.exitCode, 0) << capture.errors;
    int bestStep = 0;
    double bestDifference = 255.0;
    for (int step : candidates) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", step);
        const double difference = meanDifference(later, readPicture(scratch.file(name)));
        if (difference < bestDifference) {
            bestDifference = difference;
            bestStep = step;
        }
    }
    EXPECT_GE(bestStep, grabStartSteps - 60 - startUpSteps) << "start-up took " << startUpSteps / 60.0 << " s";
    EXPECT_LE(bestStep, grabEndSteps + 60) << "the grab took " << (grabEndSteps - grabStartSteps) / 60.0 << " s";
    EXPECT_LT(bestDifference, 25.0) << "the screen is none of the candidates; step " << bestStep;
}
