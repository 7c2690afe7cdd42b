#include <gtest/gtest.h>

#include "app/step_pacer.h"

#include <cstdio>
#include <random>

// A 10 MHz counter (Windows' usual) does not divide into 60ths of a second:
// steps fall due on the first count at or after each 1/60 s, and the wait
// for the next one, rounded up, always reaches it.
TEST(StepPacer, StepsFollowTheCounterAndALongGapIsDropped) {
    const uint64_t f = 10000000, start = 123456789;
    StepPacer pacer;
    startStepPacer(pacer, start, f);
    EXPECT_EQ(takeDueSteps(pacer, start), 1);  // the first step at once
    EXPECT_EQ(takeDueSteps(pacer, start), 0);
    EXPECT_EQ(microsecondsToNextStep(pacer, start), 16667u);
    EXPECT_EQ(takeDueSteps(pacer, start + 166666), 0);
    EXPECT_EQ(microsecondsToNextStep(pacer, start + 166666), 1u);
    EXPECT_EQ(takeDueSteps(pacer, start + 166667), 1);

    uint64_t now = start + 166667, steps = 2;
    while (now < start + 10 * f) {
        now += microsecondsToNextStep(pacer, now) * f / 1000000;
        const int taken = takeDueSteps(pacer, now);
        ASSERT_EQ(taken, 1) << "at count " << now - start;
        steps += taken;
    }
    EXPECT_EQ(steps, 601u);  // steps 1 to 601: the last falls due at exactly 10 s

    // Seven steps behind: all run. Five seconds behind: only the bound runs
    // and the rest is dropped, so the steps after it fall due a step apart.
    now = start + 10 * f + 7 * f / 60 + 1;
    EXPECT_EQ(takeDueSteps(pacer, now), 7);
    now += 5 * f;
    EXPECT_EQ(takeDueSteps(pacer, now), kMaxStepsPerIteration);
    EXPECT_EQ(takeDueSteps(pacer, now), 0);
    EXPECT_LE(microsecondsToNextStep(pacer, now), 16667u);

    // Without a usable counter the swap keeps the pace: one step a frame.
    startStepPacer(pacer, 1, ~uint64_t(0));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(takeDueSteps(pacer, 1), 1);
    EXPECT_EQ(microsecondsToNextStep(pacer, 1), 0u);
}

namespace {
// A browser's animation frames on a display: refreshes at `hertz`, the first
// `phaseMs` after a step falls due, each frame's timestamp 0 to `jitterMs`
// late; a minute of frames counted by what the web loop runs for them.
struct FrameCounts {
    int repeated = 0;  // frames that run no step: the same picture again
    int doubled = 0;  // frames that run more than one step
    uint64_t steps = 0;
};

FrameCounts countFrames(double hertz, double phaseMs, double jitterMs) {
    const uint64_t f = 1000000;  // the page's counter: microseconds
    const uint64_t start = 5000000;
    StepPacer pacer;
    startStepPacer(pacer, start, f);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(0.0, jitterMs * 1000.0);
    FrameCounts counts;
    const double firstRefresh = (phaseMs < 0.0 ? 1e6 / 60.0 : 0.0) + phaseMs * 1000.0;
    for (int frame = 0; frame < 60 * hertz; ++frame) {
        const double refresh = firstRefresh + frame * 1e6 / hertz;
        const int steps = takeStepsForFrame(pacer, start + static_cast<uint64_t>(refresh + jitter(random)));
        if (frame == 0) continue;  // whatever was due since the start
        counts.repeated += steps == 0;
        counts.doubled += steps > 1;
        counts.steps += steps;
    }
    return counts;
}
}  // namespace

// A 60 Hz display runs one step a frame whatever its phase against the step
// times and the jitter of the frames' timestamps; a 59.94 Hz one repeats or
// doubles a step only as often as the rates' difference needs (3.6 a
// minute); faster displays show each step once, slower ones never repeat.
// Every display keeps real time.
TEST(StepPacer, FramesKeepOneStepARefreshAtAnyPhase) {
    for (double phase : {0.0, 0.5, -0.5, 8.0, -8.0}) {
        for (double jitterMs : {0.0, 1.0, 2.0, 3.0}) {
            const FrameCounts counts = countFrames(60.0, phase, jitterMs);
            if (jitterMs == 2.0)
                std::printf("60 Hz at %+.1f ms: %d repeated, %d double-step frames a minute\n", phase, counts.repeated,
                            counts.doubled);
            EXPECT_EQ(counts.repeated, 0) << "phase " << phase << " ms, jitter " << jitterMs << " ms";
            EXPECT_EQ(counts.doubled, 0) << "phase " << phase << " ms, jitter " << jitterMs << " ms";
        }
    }
    const FrameCounts ntsc = countFrames(59.94, 0.0, 2.0);
    EXPECT_LE(ntsc.repeated, 8);
    EXPECT_LE(ntsc.doubled, 8);
    for (double hertz : {59.94, 75.0, 120.0, 144.0, 240.0, 30.0}) {
        const FrameCounts counts = countFrames(hertz, 0.5, 2.0);
        std::printf("%.2f Hz: %d repeated, %d double-step frames a minute\n", hertz, counts.repeated, counts.doubled);
        EXPECT_NEAR(double(counts.steps), 3600.0, 2.0) << hertz << " Hz";
        if (hertz > 60.0) {
            EXPECT_EQ(counts.doubled, 0) << hertz << " Hz";
        } else if (hertz < 59.0) {
            EXPECT_EQ(counts.repeated, 0) << hertz << " Hz";
        }
    }
}

// Uneven frames (a software renderer's) keep real time down to about a frame
// a second; a stall moves the timeline on by half a second.
TEST(StepPacer, FramesKeepRealTimeOverUnevenIntervalsButNotOverAStall) {
    const uint64_t f = 1000000, start = 1;
    StepPacer pacer;
    startStepPacer(pacer, start, f);
    uint64_t now = start, steps = takeStepsForFrame(pacer, start);
    const uint64_t intervals[] = {50000, 950000, 100000, 700000, 600000};  // about 2 frames a second
    for (int i = 0; i < 100; ++i) {
        now += intervals[i % 5];
        steps += takeStepsForFrame(pacer, now);
    }
    EXPECT_NEAR(double(steps), 60.0 * (now - start) / f, 1.0);
    now += 5 * f;
    EXPECT_EQ(takeStepsForFrame(pacer, now), kMaxStepsPerIteration);
    EXPECT_EQ(takeStepsForFrame(pacer, now + f / 60), 1);
}
