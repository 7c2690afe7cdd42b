#include <gtest/gtest.h>

#include "app/clock.h"
#include "tests/app/fake_counter.h"

TEST(PerSecondCounter, CountsTicksAfterTheFirstOfEachSecond) {
    FakeCounter counter(5500, 1000);  // 5.5 s into the counter's time base
    PerSecondCounter perSecond;
    tickPerSecond(perSecond);  // second 5 differs from the initial 0: restart
    EXPECT_EQ(perSecond.currentSecond, 5u);
    EXPECT_EQ(perSecond.count, 0.0f);
    tickPerSecond(perSecond);
    counter.count = 5999;
    tickPerSecond(perSecond);
    EXPECT_EQ(perSecond.count, 2.0f);
    counter.count = 6000;
    tickPerSecond(perSecond);
    EXPECT_EQ(perSecond.currentSecond, 6u);
    EXPECT_EQ(perSecond.count, 0.0f);
}

TEST(PerSecondCounter, KeepsTheFrequencyOfItsFirstTick) {
    FakeCounter counter(2000, 1000);
    PerSecondCounter perSecond;
    tickPerSecond(perSecond);
    counter.frequency = 1;  // a later change of frequency is not read again
    tickPerSecond(perSecond);
    EXPECT_EQ(perSecond.frequency, 1000u);
    EXPECT_EQ(perSecond.currentSecond, 2u);
    EXPECT_EQ(perSecond.count, 1.0f);
}

TEST(PerSecondCounter, WithoutAUsableCounterEveryTickCounts) {
    FakeCounter counter(0, 0);  // reads as counter 1, frequency all ones
    PerSecondCounter perSecond;
    for (int i = 0; i < 4; ++i) tickPerSecond(perSecond);
    EXPECT_EQ(perSecond.frequency, ~uint64_t(0));
    EXPECT_EQ(perSecond.currentSecond, 0u);
    EXPECT_EQ(perSecond.count, 4.0f);
}

TEST(PerSecondCounter, FirstTickInSecondZeroAlreadyCounts) {
    FakeCounter counter(300, 1000);
    PerSecondCounter perSecond;
    tickPerSecond(perSecond);
    EXPECT_EQ(perSecond.count, 1.0f);
}

TEST(Stopwatch, MeasuresMillisecondsFromItsStart) {
    FakeCounter counter(1000000, 3000000);
    Stopwatch stopwatch = startStopwatch();
    EXPECT_EQ(elapsedMilliseconds(stopwatch), 0u);
    counter.advanceMilliseconds(99);
    EXPECT_EQ(elapsedMilliseconds(stopwatch), 99u);
    counter.count += 2999;  // just under one more millisecond
    EXPECT_EQ(elapsedMilliseconds(stopwatch), 99u);
    counter.count += 1;
    EXPECT_EQ(elapsedMilliseconds(stopwatch), 100u);
    stopwatch.offset = 3000;
    EXPECT_EQ(elapsedMilliseconds(stopwatch), 101u);

    // A year on a 1 GHz counter: ticks * 1000 alone would overflow.
    FakeCounter gigahertz(0, 1000000000);
    Stopwatch longRun = startStopwatch();
    const uint64_t yearSeconds = 365ull * 24 * 3600;
    gigahertz.count += yearSeconds * 1000000000ull + 999999;  // just under one more millisecond
    EXPECT_EQ(elapsedMilliseconds(longRun), yearSeconds * 1000);
}

TEST(Stopwatch, UnstartedStopwatchReadsZero) { EXPECT_EQ(elapsedMilliseconds(Stopwatch()), 0u); }

TEST(FrameClock, SecondsAreCounterOverFrequencyInSinglePrecision) {
    FakeCounter counter(2500, 1000);
    restartClock();
    EXPECT_EQ(frameClock().startSeconds, 2.5f);
    counter.count = 16777217;  // rounds to float before the division
    counter.frequency = 1;
    EXPECT_EQ(nowSeconds(), 16777216.0f);
}

TEST(EngineStopwatch, RestartKeepsTheLoadTimeFrequency) {
    uint64_t loadFrequency = engineStopwatch().frequency;
    EXPECT_NE(loadFrequency, 0u);
    FakeCounter counter(777, 5);
    engineStopwatch().accumulatedSeconds = 3.0;
    restartEngineStopwatch();
    EXPECT_EQ(engineStopwatch().start, 777u);
    EXPECT_EQ(engineStopwatch().frequency, loadFrequency);
    EXPECT_EQ(engineStopwatch().accumulatedSeconds, 0.0);
    EXPECT_TRUE(engineStopwatch().running);
}
