// The polled keyboard and mouse state. The window procedure records key and
// button transitions as messages arrive; once per frame, before the message
// pump, the per-frame flags are cleared and the engine's own auto-repeat
// runs (counted in frames). OS key repeat is ignored.
#pragma once

#include <cstdint>

struct Stopwatch;

// Engine key codes 0..68; kNoKey means none.
constexpr int kKeyCodeCount = 69;
constexpr int kNoKey = 69;
enum KeyCode {
    KEY_ENTER = 0,
    KEY_ESCAPE = 1,
    KEY_SPACE = 4,
    KEY_CONTROL = 5,
    KEY_SHIFT = 7,
    KEY_RIGHT_SHIFT = 8,
    KEY_UP = 11,
    KEY_DOWN = 12,
    KEY_LEFT = 13,
    KEY_RIGHT = 14,
    KEY_0 = 15,  // digits 0..9 are 15..24
    KEY_A = 25,  // letters A..Z are 25..50
    KEY_Q = 41,
};

// The key code of a Windows virtual key, or kNoKey for keys not recognised.
int keyCodeFromVirtualKey(uint32_t virtualKey);

struct KeyboardState {
    bool anyKeyEvent = false;  // a key went down or auto-repeated this frame
    const int* keyFilterList = nullptr;  // unused: no key list is ever set
    uint8_t keyEnabled[kKeyCodeCount] = {};
    uint8_t held[kKeyCodeCount] = {};
    uint8_t pressed[kKeyCodeCount] = {};  // went down this frame
    uint8_t pressedOrRepeated[kKeyCodeCount] = {};  // went down or auto-repeated this frame
    uint8_t keyFiltered[kKeyCodeCount] = {};
    int32_t lastKey = kNoKey;
    int32_t repeatDelay = 15;  // frames before the first repeat
    int32_t repeatInterval = 2;  // frames between repeats, less one
    int32_t delayCounter = 0;
    int32_t intervalCounter = 0;
};

void keyDown(KeyboardState& keyboard, int code);
void keyUp(KeyboardState& keyboard, int code);
// Per-frame reset and auto-repeat; runs before the message pump.
void beginKeyboardFrame(KeyboardState& keyboard);

constexpr int kMouseButtonCount = 4;  // 0 none, 1 left, 2 middle, 3 right

struct MouseState {
    float x = 0.0f, y = 0.0f;  // clamped pixel position / client size
    float dx = 0.0f, dy = 0.0f;  // unclamped pixel movement / client size
    bool moved = false;
    int32_t pixelX = 0, pixelY = 0;  // clamped to the client area
    int32_t previousX = 0, previousY = 0;
    int32_t pixelDx = 0, pixelDy = 0;
    uint8_t held[kMouseButtonCount] = {};
    uint8_t pressed[kMouseButtonCount] = {};
    uint8_t pressedOrRepeated[kMouseButtonCount] = {};
    uint8_t unusedGroup[kMouseButtonCount] = {};
    int32_t lastButton = 0;
    int32_t repeatDelay = 15;
    int32_t repeatInterval = 2;
    int32_t delayCounter = 0;
    int32_t intervalCounter = 0;
    bool wheelUp = false, wheelDown = false;  // set for the frame of the turn
    int32_t unusedWord = 0;
};

// Ignored within the first 100 ms of `inputClock`, and while already held.
void buttonDown(MouseState& mouse, const Stopwatch& inputClock, int button);
void buttonUp(MouseState& mouse, int button);
// The later turn in a frame wins; 0 changes nothing.
void mouseWheel(MouseState& mouse, int delta);
// Position from the raw client point (which may lie outside the area),
// per-frame reset and auto-repeat.
void advanceMouseFrame(MouseState& mouse, int rawX, int rawY, int width, int height);
// Reads the cursor over the main window (0, 0 when it cannot), then advanceMouseFrame.
void beginMouseFrame(MouseState& mouse);
// Puts the mouse at client point (x, y) with no movement, and the cursor with it.
void warpMouse(MouseState& mouse, int x, int y);
// Clears the presses of this frame (keys and buttons that went down or
// repeated, the wheel) and keeps what is held: a frame that runs several
// update steps shows its presses to the first step only.
void forgetPresses(KeyboardState& keyboard, MouseState& mouse);

// The engine's input records, created at engine start-up; null before.
KeyboardState* keyboardState();
MouseState* mouseState();
void setKeyboardState(KeyboardState* keyboard);
void setMouseState(MouseState* mouse);
