// The demo's paced loop on a simulated counter and display: the timeline
// keeps 60 steps a second at any refresh rate and drawing speed, pauses
// through a stall, and each frame it draws is the picture `demo-tool capture`
// draws for that step.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/input.h"
#include "app/headless.h"
#include "app/main_loop.h"
#include "app/step_pacer.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "render/renderer.h"
#include "tests/app/fake_counter.h"
#include "tests/e2e/capture_run.h"
#include "tests/support/scratch_dir.h"

namespace {
constexpr int kWidth = 160, kHeight = 90;
constexpr uint64_t kFrequency = 1000000000;  // nanoseconds: a 60th of a second is no whole count

// Ten seconds of one kind of display and machine: the refresh rate (0: the
// swap does not wait) and how long a frame takes to draw.
struct Segment {
    const char* name;
    int hertz;
    double drawSeconds;
    int framesPerSecond;  // what the frame counter reads
    bool waterKeys;  // Q and A are held for a while at its start
};

// The frame just drawn, RGB, top row first, as capture reads and writes it.
std::vector<unsigned char> readFrameRgb() {
    std::vector<unsigned char> rgba, rgb;
    readHeadlessFrame(rgba);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    return rgb;
}

int stepsTaken() { return frameCounters().updatesDone; }
}  // namespace

TEST(PacedLoop, KeepsSixtyStepsASecondOnAnyDisplayAndDrawsWhatCaptureDraws) {
    FakeCounter counter(1000 * kFrequency, kFrequency);
    ASSERT_TRUE(startHeadless(kWidth, kHeight, demoCallbacks())) << "no offscreen GL context";
    const uint64_t start = counter.count;

    // The swap presents the frame at the first refresh after it is drawn.
    auto drawAndSwap = [&](const Segment& segment) {
        counter.count += (uint64_t)(segment.drawSeconds * kFrequency);
        if (segment.hertz == 0) return;
        const uint64_t refresh = counter.count * segment.hertz / kFrequency + 1;
        counter.count = (refresh * kFrequency + segment.hertz - 1) / segment.hertz;
    };
    // Runs the loop up to `seconds` after the start; the last frames are
    // drawn. The per-second counters are read at their highest in the last
    // two seconds: the ticks of a whole second, less one.
    float updatesPerSecond = 0.0f, framesPerSecond = 0.0f;
    auto runUntil = [&](const Segment& segment, double seconds) {
        const uint64_t end = start + (uint64_t)(seconds * kFrequency);
        updatesPerSecond = framesPerSecond = 0.0f;
        while (counter.count < end) {
            setMainLoopDrawing(counter.count + kFrequency / 10 >= end);
            ASSERT_TRUE(runPacedIteration());
            drawAndSwap(segment);
            if (counter.count + 2 * kFrequency < end) continue;
            updatesPerSecond = std::max(updatesPerSecond, frameClock().updateCounter.count);
            framesPerSecond = std::max(framesPerSecond, frameClock().frameCounter.count);
        }
    };

    // The order puts catch-up steps on the water keys and around the entries
    // of acts 4 (step 1921, a scatter) and 8 (step 3841).
    const Segment segments[] = {
        {"60 Hz", 60, 0.002, 60, false},   {"75 Hz", 75, 0.002, 60, false},
        {"144 Hz", 144, 0.002, 60, false}, {"12 frames a second", 0, 1.0 / 12, 12, true},
        {"240 Hz", 240, 0.002, 60, false}, {"unthrottled", 0, 0.001, 60, false},
        {"30 Hz", 30, 0.002, 30, false},
    };
    DemoWorld& world = demoWorld();
    std::vector<int> drawnSteps;
    std::vector<std::vector<unsigned char>> pictures;
    std::string keys;
    double seconds = 0.0;
    for (const Segment& segment : segments) {
        if (segment.waterKeys) {
            // Q held for six frames of about five steps, then A for six: a
            // held key acts on every step, catch-up steps too, and a press
            // reaches the first step of its frame only.
            const float level = world.waterLevel;
            runUntil(segment, seconds + 0.1);
            setMainLoopDrawing(false);
            auto runFrames = [&](int frames) {
                for (int i = 0; i < frames; ++i) {
                    ASSERT_TRUE(runPacedIteration());
                    drawAndSwap(segment);
                }
            };
            const int qDown = stepsTaken() + 1;
            postKeyMessage('Q', true);
            runFrames(1);
            ASSERT_GT(stepsTaken() - qDown + 1, 1) << "one step in the frame: no catch-up";
            EXPECT_FALSE(keyboardState()->pressed[KEY_Q]) << "the press reached more than one step";
            runFrames(5);
            const int aDown = stepsTaken() + 1;
            EXPECT_FLOAT_EQ(world.waterLevel, level + 100.0f * (aDown - qDown));
            postKeyMessage('Q', false);
            postKeyMessage('A', true);
            runFrames(6);
            const int aUp = stepsTaken() + 1;
            postKeyMessage('A', false);
            EXPECT_FLOAT_EQ(world.waterLevel, level + 100.0f * ((aDown - qDown) - (aUp - aDown)));
            keys = std::to_string(qDown) + ":Q:down," + std::to_string(aDown) + ":Q:up," + std::to_string(aDown) +
                   ":A:down," + std::to_string(aUp) + ":A:up";
        }
        seconds += 10.0;
        runUntil(segment, seconds);
        // One frame's worth of steps may still be ahead when the last frame began.
        const int slack = segment.framesPerSecond >= 30 ? 1 : kStepsPerSecond / segment.framesPerSecond;
        EXPECT_NEAR(stepsTaken(), 60 * seconds, slack) << segment.name;
        EXPECT_NEAR(updatesPerSecond, 59.0f, 1.0f) << segment.name;
        EXPECT_NEAR(framesPerSecond, segment.framesPerSecond - 1.0f, 1.0f) << segment.name;
        drawnSteps.push_back(stepsTaken());
        pictures.push_back(readFrameRgb());
    }

    // Minimised for two seconds: no frame is drawn or presented while the
    // steps keep to the clock; the stall's picture below, the first after the
    // window is back, is still capture's for its step.
    auto postSize = [](uint32_t reason, int width, int height) {
        PlatformMessage size;
        size.window = firstPlatformWindow();
        size.message = WM_SIZE;
        size.wParam = reason;
        size.lParam = (height << 16) | width;
        postMessage(size);
    };
    postSize(SIZE_MINIMIZED, 0, 0);
    const int stepsBeforeMinimised = stepsTaken(), framesBeforeMinimised = frameCounters().framesDrawn;
    seconds += 2.0;
    int wakes = 0;
    for (; counter.count < start + (uint64_t)(seconds * kFrequency); ++wakes) ASSERT_TRUE(runPacedIteration());
    EXPECT_EQ(frameCounters().framesDrawn, framesBeforeMinimised) << "frames drawn while minimised";
    EXPECT_LE(wakes, 2 * kMinimisedWakesPerSecond + 1) << "the minimised loop does not rest";
    EXPECT_NEAR(stepsTaken() - stepsBeforeMinimised, 120, kStepsPerSecond / kMinimisedWakesPerSecond);
    postSize(SIZE_RESTORED, kWidth, kHeight);
    ASSERT_TRUE(runPacedIteration());
    EXPECT_EQ(frameCounters().framesDrawn, framesBeforeMinimised + 1) << "no frame once the window is back";
    seconds = (double)(counter.count - start) / kFrequency;

    // A five-second stall, then a second at 60 Hz: the timeline moves on by
    // at most half a second for the stall instead of five.
    const int beforeStall = stepsTaken();
    counter.count += 5 * kFrequency;
    runUntil(segments[0], seconds + 6.0);
    EXPECT_NEAR(stepsTaken() - beforeStall, kMaxStepsPerIteration + 60, 1);
    drawnSteps.push_back(stepsTaken());
    pictures.push_back(readFrameRgb());

    ScratchDir scratch;
    std::string at;
    for (int step : drawnSteps) at += (at.empty() ? "" : ",") + std::to_string(step);
    const ToolRun capture = runCapture("--out " + scratch.path() + " --frames " + std::to_string(drawnSteps.back()) +
                                           " --at " + at + " --keys " + keys + " --size " + std::to_string(kWidth) +
                                           "x" + std::to_string(kHeight) + " --fast-forward",
                                       scratch.file("errors.txt"));
    ASSERT_EQ(capture.exitCode, 0) << capture.errors;
    for (size_t i = 0; i < drawnSteps.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", drawnSteps[i]);
        const Picture expected = readPicture(scratch.file(name));
        ASSERT_EQ(expected.width, kWidth) << name;
        EXPECT_TRUE(expected.rgb == pictures[i]) << "step " << drawnSteps[i] << " differs from capture's";
    }
}
