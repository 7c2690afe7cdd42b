#include <gtest/gtest.h>

#include "app/step_pacer.h"

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
