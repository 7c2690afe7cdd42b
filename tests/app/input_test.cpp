#include <gtest/gtest.h>

#include <vector>

#include "app/clock.h"
#include "app/input.h"
#include "tests/app/fake_counter.h"

namespace {
// Runs `frames` keyboard frames; `during(frame)` plays the messages of each
// frame's pump. Returns the frames in which pressedOrRepeated of `code` was set.
template <typename Messages>
std::vector<int> repeatFrames(KeyboardState& keyboard, int code, int frames, Messages during) {
    std::vector<int> fired;
    for (int frame = 0; frame < frames; ++frame) {
        beginKeyboardFrame(keyboard);
        during(frame);
        if (keyboard.pressedOrRepeated[code]) fired.push_back(frame);
    }
    return fired;
}
}  // namespace

TEST(KeyCodes, MapVirtualKeys) {
    EXPECT_EQ(keyCodeFromVirtualKey(13), KEY_ENTER);
    EXPECT_EQ(keyCodeFromVirtualKey(27), KEY_ESCAPE);
    EXPECT_EQ(keyCodeFromVirtualKey(32), KEY_SPACE);
    EXPECT_EQ(keyCodeFromVirtualKey(17), KEY_CONTROL);
    EXPECT_EQ(keyCodeFromVirtualKey(16), KEY_SHIFT);
    EXPECT_EQ(keyCodeFromVirtualKey(160), KEY_SHIFT);
    EXPECT_EQ(keyCodeFromVirtualKey(161), KEY_RIGHT_SHIFT);
    EXPECT_EQ(keyCodeFromVirtualKey(38), KEY_UP);
    EXPECT_EQ(keyCodeFromVirtualKey(40), KEY_DOWN);
    EXPECT_EQ(keyCodeFromVirtualKey(37), KEY_LEFT);
    EXPECT_EQ(keyCodeFromVirtualKey(39), KEY_RIGHT);
    EXPECT_EQ(keyCodeFromVirtualKey('0'), 15);
    EXPECT_EQ(keyCodeFromVirtualKey('9'), 24);
    EXPECT_EQ(keyCodeFromVirtualKey('A'), 25);
    EXPECT_EQ(keyCodeFromVirtualKey('Q'), 41);
    EXPECT_EQ(keyCodeFromVirtualKey('Z'), 50);
    for (uint32_t unmapped : {0u, 9u, 47u, 58u, 64u, 91u, 'a' + 0u, 162u, 0xFFFFu})
        EXPECT_EQ(keyCodeFromVirtualKey(unmapped), kNoKey) << unmapped;
}

TEST(Keyboard, HeldKeyRepeatsEveryThirdFrameAfterFifteen) {
    KeyboardState keyboard;
    std::vector<int> fired = repeatFrames(keyboard, KEY_Q, 26, [&](int frame) {
        if (frame == 0) keyDown(keyboard, KEY_Q);
        EXPECT_EQ(keyboard.pressed[KEY_Q], frame == 0) << frame;
        EXPECT_EQ(keyboard.anyKeyEvent, keyboard.pressedOrRepeated[KEY_Q] != 0) << frame;
    });
    EXPECT_EQ(fired, (std::vector<int>{0, 16, 19, 22, 25}));
}

TEST(Keyboard, OsRepeatNeitherPressesAgainNorRestartsTheDelay) {
    KeyboardState keyboard;
    std::vector<int> fired = repeatFrames(keyboard, KEY_SPACE, 20, [&](int frame) {
        keyDown(keyboard, KEY_SPACE);  // the OS repeats the key-down every frame
        EXPECT_EQ(keyboard.pressed[KEY_SPACE], frame == 0) << frame;
    });
    EXPECT_EQ(fired, (std::vector<int>{0, 16, 19}));
}

TEST(Keyboard, ReleaseStopsTheRepeatAndKeepsLastKey) {
    KeyboardState keyboard;
    std::vector<int> fired = repeatFrames(keyboard, KEY_ENTER, 30, [&](int frame) {
        if (frame == 0) keyDown(keyboard, KEY_ENTER);
        if (frame == 17) keyUp(keyboard, KEY_ENTER);
    });
    EXPECT_EQ(fired, (std::vector<int>{0, 16}));
    EXPECT_EQ(keyboard.lastKey, KEY_ENTER);
}

TEST(Keyboard, NewestKeyTakesOverTheRepeat) {
    KeyboardState keyboard;
    std::vector<int> firedA;
    std::vector<int> firedB = repeatFrames(keyboard, KEY_DOWN, 24, [&](int frame) {
        if (frame == 0) keyDown(keyboard, KEY_UP);
        if (frame == 5) keyDown(keyboard, KEY_DOWN);
        if (keyboard.pressedOrRepeated[KEY_UP]) firedA.push_back(frame);
    });
    EXPECT_EQ(firedA, (std::vector<int>{0}));
    EXPECT_EQ(firedB, (std::vector<int>{5, 21}));
}

TEST(Keyboard, PressAndReleaseWithinOneFrame) {
    KeyboardState keyboard;
    beginKeyboardFrame(keyboard);
    keyDown(keyboard, KEY_ESCAPE);
    keyUp(keyboard, KEY_ESCAPE);
    EXPECT_TRUE(keyboard.pressed[KEY_ESCAPE]);
    EXPECT_TRUE(keyboard.pressedOrRepeated[KEY_ESCAPE]);
    EXPECT_FALSE(keyboard.held[KEY_ESCAPE]);
    beginKeyboardFrame(keyboard);
    EXPECT_FALSE(keyboard.pressed[KEY_ESCAPE]);
    EXPECT_FALSE(keyboard.anyKeyEvent);
}

TEST(Keyboard, BothShiftKeysAreSeparateCodes) {
    KeyboardState keyboard;
    beginKeyboardFrame(keyboard);
    keyDown(keyboard, keyCodeFromVirtualKey(160));
    keyDown(keyboard, keyCodeFromVirtualKey(161));
    EXPECT_TRUE(keyboard.held[KEY_SHIFT]);
    EXPECT_TRUE(keyboard.held[KEY_RIGHT_SHIFT]);
    keyUp(keyboard, keyCodeFromVirtualKey(161));
    EXPECT_TRUE(keyboard.held[KEY_SHIFT]);
    EXPECT_FALSE(keyboard.held[KEY_RIGHT_SHIFT]);
}

TEST(Keyboard, OutOfRangeCodesAreIgnored) {
    KeyboardState keyboard;
    keyDown(keyboard, kNoKey);
    keyDown(keyboard, -1);
    keyUp(keyboard, 1000);
    EXPECT_FALSE(keyboard.anyKeyEvent);
    EXPECT_EQ(keyboard.lastKey, kNoKey);
}

TEST(Mouse, PositionIsClampedButDeltasAreNot) {
    MouseState mouse;
    advanceMouseFrame(mouse, 50, 20, 200, 100);
    EXPECT_TRUE(mouse.moved);
    EXPECT_EQ(mouse.x, 0.25f);
    EXPECT_EQ(mouse.y, 0.2f);

    advanceMouseFrame(mouse, 450, -80, 200, 100);  // far outside the client area
    EXPECT_EQ(mouse.pixelX, 199);
    EXPECT_EQ(mouse.pixelY, 0);
    EXPECT_EQ(mouse.pixelDx, 400);
    EXPECT_EQ(mouse.pixelDy, -100);
    EXPECT_EQ(mouse.dx, 2.0f);
    EXPECT_EQ(mouse.dy, -1.0f);
    EXPECT_EQ(mouse.x, 199.0f / 200.0f);
    EXPECT_EQ(mouse.previousX, 199);

    advanceMouseFrame(mouse, 600, -5, 200, 100);  // moves, but not within the area
    EXPECT_FALSE(mouse.moved);
    EXPECT_EQ(mouse.pixelDx, 401);
}

TEST(Mouse, EmptyClientAreaGivesZeroes) {
    MouseState mouse;
    advanceMouseFrame(mouse, 30, 40, 0, 0);
    EXPECT_EQ(mouse.pixelX, 0);
    EXPECT_EQ(mouse.x, 0.0f);
    EXPECT_EQ(mouse.dx, 0.0f);
}

TEST(Mouse, PressesInTheFirst100MillisecondsAreIgnored) {
    FakeCounter counter(1000, 10000);
    Stopwatch inputClock = startStopwatch();
    MouseState mouse;
    counter.advanceMilliseconds(99);
    buttonDown(mouse, inputClock, 1);
    EXPECT_FALSE(mouse.held[1]);
    EXPECT_FALSE(mouse.pressed[1]);
    counter.advanceMilliseconds(1);
    buttonDown(mouse, inputClock, 1);
    EXPECT_TRUE(mouse.held[1]);
    EXPECT_TRUE(mouse.pressed[1]);
    EXPECT_EQ(mouse.lastButton, 1);

    // After 2^31 ms (24.9 days) the low 32 bits read negative: presses still count.
    buttonUp(mouse, 1);
    counter.advanceMilliseconds(0x80000000ull);
    buttonDown(mouse, inputClock, 1);
    EXPECT_TRUE(mouse.held[1]);
}

TEST(Mouse, HeldButtonRepeatsLikeAKey) {
    FakeCounter counter(0, 1000);
    counter.advanceMilliseconds(500);
    Stopwatch inputClock;
    inputClock.frequency = 1000;  // started at count 0, long ago
    MouseState mouse;
    std::vector<int> fired;
    for (int frame = 0; frame < 23; ++frame) {
        advanceMouseFrame(mouse, 0, 0, 10, 10);
        if (frame == 0) buttonDown(mouse, inputClock, 3);
        if (frame == 1) buttonDown(mouse, inputClock, 3);  // already held: nothing
        EXPECT_EQ(mouse.pressed[3], frame == 0) << frame;
        if (mouse.pressedOrRepeated[3]) fired.push_back(frame);
    }
    EXPECT_EQ(fired, (std::vector<int>{0, 16, 19, 22}));
    buttonUp(mouse, 3);
    advanceMouseFrame(mouse, 0, 0, 10, 10);
    EXPECT_FALSE(mouse.held[3]);
}

TEST(Mouse, WheelLastTurnInAFrameWins) {
    MouseState mouse;
    advanceMouseFrame(mouse, 0, 0, 10, 10);
    mouseWheel(mouse, 120);
    mouseWheel(mouse, -240);
    EXPECT_FALSE(mouse.wheelUp);
    EXPECT_TRUE(mouse.wheelDown);
    mouseWheel(mouse, 0);
    EXPECT_TRUE(mouse.wheelDown);
    mouseWheel(mouse, 120);
    EXPECT_TRUE(mouse.wheelUp);
    EXPECT_FALSE(mouse.wheelDown);
    advanceMouseFrame(mouse, 0, 0, 10, 10);
    EXPECT_FALSE(mouse.wheelUp);
    EXPECT_FALSE(mouse.wheelDown);
}
