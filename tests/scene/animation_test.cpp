#include <gtest/gtest.h>

#include <cmath>

#include "scene/animation.h"

// One loop takes 240 advances of 1/240; the float sum of the steps can land a
// hair below 1, so the wrap comes on advance 240 or 241.
TEST(Animation, DefaultClipLoopsEvery240Advances) {
    ANIMATION clock;
    int advances = 0;
    while (!clock.wrapped && advances < 1000) {
        clock.advance();
        ++advances;
        ASSERT_GE(clock.position, 0.0f);
        ASSERT_LT(clock.position, 1.0f);
    }
    EXPECT_EQ(clock.advanced, 1);
    EXPECT_GE(advances, 240);
    EXPECT_LE(advances, 241);
    EXPECT_LT(clock.position, 1.0f / 240.0f);
}

TEST(Animation, BackwardsWrapsFromZeroToTheEnd) {
    ANIMATION clock;
    clock.rate = -1.0f;
    clock.advance();
    EXPECT_TRUE(clock.wrapped);
    EXPECT_FLOAT_EQ(clock.position, 1.0f - 1.0f / 240.0f);
    for (int i = 0; i < 1000; ++i) {
        clock.advance();
        ASSERT_GT(clock.position, 0.0f);
        ASSERT_LT(clock.position, 1.0f);
    }
}

TEST(Animation, StoppedClocksOnlyMarkAdvanced) {
    ANIMATION zeroStep;
    zeroStep.step = 0.0f;
    zeroStep.position = 0.5f;
    zeroStep.advance();
    EXPECT_EQ(zeroStep.advanced, 1);
    EXPECT_EQ(zeroStep.position, 0.5f);
    EXPECT_FALSE(zeroStep.wrapped);

    // Rate 0 at exactly 0 would otherwise count as an underflow and jump to 1.
    ANIMATION zeroRate;
    zeroRate.rate = 0.0f;
    for (int i = 0; i < 3; ++i) zeroRate.advance();
    EXPECT_EQ(zeroRate.advanced, 1);
    EXPECT_EQ(zeroRate.position, 0.0f);
    EXPECT_FALSE(zeroRate.wrapped);
}

TEST(Animation, AllocateFramesGivesIdentityJoints) {
    KEYFRAME_ANIMATION clip;
    clip.allocateFrames(3, 4);
    ASSERT_EQ(clip.frameCount, 3);
    EXPECT_EQ(clip.jointCount, 4);
    Matrix4 identity;
    matrixIdentity(identity);
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(clip.frames[f].jointCount, 4);
        EXPECT_EQ(clip.frames[f].frameValue, 0);
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 16; ++i) ASSERT_EQ(clip.frames[f].matrices[j].m[i], identity.m[i]);
    }
    // Reallocating replaces the old frames (checked for leaks under sanitizers).
    clip.allocateFrames(1, 0);
    EXPECT_EQ(clip.frameCount, 1);
    EXPECT_EQ(clip.frames[0].jointCount, 0);
}

TEST(Animation, FrameIndexRunsThroughAllButTheLastFrame) {
    KEYFRAME_ANIMATION clip;
    EXPECT_EQ(clip.frameIndex(), -1);
    clip.allocateFrames(5, 1);
    int seen[5] = {};
    for (int i = 0; i < 240; ++i) {
        const int index = clip.frameIndex();
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 3);
        ++seen[index];
        clip.advance();
    }
    for (int f = 0; f < 4; ++f) EXPECT_NEAR(seen[f], 60, 1) << "frame " << f;
    EXPECT_EQ(seen[4], 0);
    clip.position = 1.0f;
    EXPECT_EQ(clip.frameIndex(), 4);
    // Positions set from outside are clamped before they become an index.
    for (float position : {1e30f, INFINITY}) {
        clip.position = position;
        EXPECT_EQ(clip.frameIndex(), 4) << position;
    }
    for (float position : {-1e30f, -INFINITY, NAN}) {
        clip.position = position;
        EXPECT_EQ(clip.frameIndex(), 0) << position;
    }
}

TEST(Animation, SingleFrameClipAlwaysSelectsFrameZero) {
    KEYFRAME_ANIMATION clip;
    clip.allocateFrames(1, 2);
    for (float position : {0.0f, 0.3f, 0.999f, 1.0f}) {
        clip.position = position;
        EXPECT_EQ(clip.frameIndex(), 0);
    }
}
