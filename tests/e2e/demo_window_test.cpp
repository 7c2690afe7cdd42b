// The real demo in a real window under a private X server: it draws the
// landscape on screen and ends cleanly on Escape.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/e2e/capture_run.h"
#include "tests/e2e/x_session.h"
#include "tests/support/scratch_dir.h"

TEST(DemoWindow, ShowsTheLandscapeAndEndsOnEscape) {
    for (const char* tool : {"Xvfb", "xdotool", "xwd", "convert"})
        if (!haveCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    const int width = 480, height = 270;
    XvfbServer server(width, height);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    ScratchDir scratch;
    DemoProcess demo(server.display(), scratch.file("stderr.txt"));
    ASSERT_NE(findDemoWindow(server, demo, 30.0), 0u) << readFile(scratch.file("stderr.txt"));

    // The window covers the screen; grab the screen until a frame with the
    // landscape has been presented (start-up and the first frames take a few
    // seconds on a software renderer).
    const std::string shot = scratch.file("screen.png");
    Picture picture;
    for (auto start = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - start < std::chrono::seconds(40);) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        server.run("xwd -root -silent | convert xwd:- " + shot);
        picture = readPicture(shot);
        if (picture.width != width || picture.height != height) continue;
        // Black until the first frame is presented.
        if (meanLuminance(picture) > 20.0 && pixelShares(picture, 0, height / 2).share[PIXEL_SKY] > 0.03) break;
    }
    ASSERT_EQ(picture.width, width) << "no screenshot";
    EXPECT_GT(meanLuminance(picture), 20.0) << "the screen stayed black";
    PixelShares below = pixelShares(picture, height / 2, height);
    EXPECT_GT(below.share[PIXEL_LAND], 0.5) << "the lower half of the screen shows no terrain";
    EXPECT_LT(below.share[PIXEL_CLEAR], 0.05);
    EXPECT_GT(pixelShares(picture, 0, height / 2).share[PIXEL_SKY], 0.03) << "no day sky above";

    // Keys go to the window under the pointer (there is no window manager).
    server.run("xdotool mousemove " + std::to_string(width / 2) + " " + std::to_string(height / 2) + " key Escape");
    ASSERT_TRUE(demo.waitForExit(30.0)) << "the demo did not end on Escape";
    EXPECT_TRUE(demo.exitedNormally()) << readFile(scratch.file("stderr.txt"));
    EXPECT_EQ(demo.exitCode(), 0);
}
