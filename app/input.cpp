#include "app/input.h"

#include "app/clock.h"
#include "app/engine.h"
#include "app/window.h"
#include "platform/cursor.h"

namespace {
KeyboardState* g_keyboard = nullptr;
MouseState* g_mouse = nullptr;

constexpr uint64_t kMousePressGuardMilliseconds = 100;

// Shared by keys and buttons: counts the delay down, then fires every
// interval + 1 frames. True in the frames in which it fires.
bool runAutoRepeat(int32_t repeatDelay, int32_t repeatInterval, int32_t& delayCounter, int32_t& intervalCounter) {
    if (repeatDelay <= 0) return false;
    if (delayCounter > 0) {
        --delayCounter;
        return false;
    }
    if (intervalCounter > 0) {
        --intervalCounter;
        return false;
    }
    intervalCounter = repeatInterval;
    return true;
}

bool validKey(int code) { return code >= 0 && code < kKeyCodeCount; }
bool validButton(int button) { return button >= 0 && button < kMouseButtonCount; }

void clearKeyPresses(KeyboardState& keyboard) {
    keyboard.anyKeyEvent = false;
    for (int code = 0; code < kKeyCodeCount; ++code) {
        keyboard.pressed[code] = 0;
        keyboard.pressedOrRepeated[code] = 0;
        keyboard.keyFiltered[code] = 0;
    }
}

void clearButtonPresses(MouseState& mouse) {
    for (int button = 0; button < kMouseButtonCount; ++button) {
        mouse.pressed[button] = 0;
        mouse.pressedOrRepeated[button] = 0;
        mouse.unusedGroup[button] = 0;
    }
    mouse.wheelUp = false;
    mouse.wheelDown = false;
}

int clampInt(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }
float fractionOf(int pixels, int size) {
    return size > 0 ? static_cast<float>(pixels) / static_cast<float>(size) : 0.0f;
}
}  // namespace

int keyCodeFromVirtualKey(uint32_t virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9') return static_cast<int>(virtualKey) - 33;
    if (virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<int>(virtualKey) - 40;
    switch (virtualKey) {
    case 13: return KEY_ENTER;
    case 27: return KEY_ESCAPE;
    case 32: return KEY_SPACE;
    case 17: return KEY_CONTROL;
    case 16:
    case 160: return KEY_SHIFT;
    case 161: return KEY_RIGHT_SHIFT;
    case 38: return KEY_UP;
    case 40: return KEY_DOWN;
    case 37: return KEY_LEFT;
    case 39: return KEY_RIGHT;
    default: return kNoKey;
    }
}

void keyDown(KeyboardState& keyboard, int code) {
    if (!validKey(code) || keyboard.held[code]) return;  // OS repeat of a held key
    keyboard.anyKeyEvent = true;
    keyboard.held[code] = 1;
    keyboard.pressed[code] = 1;
    keyboard.pressedOrRepeated[code] = 1;
    keyboard.lastKey = code;
    keyboard.delayCounter = keyboard.repeatDelay;
    keyboard.intervalCounter = 0;
}

void keyUp(KeyboardState& keyboard, int code) {
    if (validKey(code)) keyboard.held[code] = 0;
}

void beginKeyboardFrame(KeyboardState& keyboard) {
    clearKeyPresses(keyboard);
    int last = keyboard.lastKey;
    if (validKey(last) && keyboard.held[last] &&
        runAutoRepeat(keyboard.repeatDelay, keyboard.repeatInterval, keyboard.delayCounter, keyboard.intervalCounter)) {
        keyboard.pressedOrRepeated[last] = 1;
        keyboard.anyKeyEvent = true;
    }
}

void buttonDown(MouseState& mouse, const Stopwatch& inputClock, int button) {
    if (!validButton(button) || mouse.held[button]) return;
    // Ignores the click that may have launched the program.
    // All 64 bits: the low 32 alone would read negative again after 24.9 days.
    if (elapsedMilliseconds(inputClock) < kMousePressGuardMilliseconds) return;
    mouse.held[button] = 1;
    mouse.pressed[button] = 1;
    mouse.pressedOrRepeated[button] = 1;
    mouse.lastButton = button;
    mouse.delayCounter = mouse.repeatDelay;
    mouse.intervalCounter = 0;
}

void buttonUp(MouseState& mouse, int button) {
    if (validButton(button)) mouse.held[button] = 0;
}

void mouseWheel(MouseState& mouse, int delta) {
    if (delta > 0) {
        mouse.wheelUp = true;
        mouse.wheelDown = false;
    } else if (delta < 0) {
        mouse.wheelUp = false;
        mouse.wheelDown = true;
    }
}

void advanceMouseFrame(MouseState& mouse, int rawX, int rawY, int width, int height) {
    mouse.pixelDx = rawX - mouse.previousX;
    mouse.pixelDy = rawY - mouse.previousY;
    // An empty client area (no engine yet) pins everything at 0.
    mouse.pixelX = width > 0 ? clampInt(rawX, 0, width - 1) : 0;
    mouse.pixelY = height > 0 ? clampInt(rawY, 0, height - 1) : 0;
    mouse.x = fractionOf(mouse.pixelX, width);
    mouse.y = fractionOf(mouse.pixelY, height);
    mouse.dx = fractionOf(mouse.pixelDx, width);
    mouse.dy = fractionOf(mouse.pixelDy, height);
    if (mouse.pixelX == mouse.previousX && mouse.pixelY == mouse.previousY) {
        mouse.moved = false;
    } else {
        mouse.moved = true;
        mouse.previousX = mouse.pixelX;
        mouse.previousY = mouse.pixelY;
    }
    clearButtonPresses(mouse);
    int last = mouse.lastButton;
    if (last != 0 && validButton(last) && mouse.held[last] &&
        runAutoRepeat(mouse.repeatDelay, mouse.repeatInterval, mouse.delayCounter, mouse.intervalCounter))
        mouse.pressedOrRepeated[last] = 1;
}

void beginMouseFrame(MouseState& mouse) {
    int rawX = 0, rawY = 0;
    const EngineWindowTable& windows = engineWindowTable();
    if (windows.count < 1 || !cursorClientPosition(windows.entries[0].window, &rawX, &rawY)) rawX = rawY = 0;
    Engine* record = engine();
    advanceMouseFrame(mouse, rawX, rawY, record ? record->width : 0, record ? record->height : 0);
}

void warpMouse(MouseState& mouse, int x, int y) {
    Engine* record = engine();
    int width = record ? record->width : 0, height = record ? record->height : 0;
    mouse.pixelX = mouse.previousX = x;
    mouse.pixelY = mouse.previousY = y;
    mouse.pixelDx = mouse.pixelDy = 0;
    mouse.dx = mouse.dy = 0.0f;
    mouse.x = fractionOf(x, width);
    mouse.y = fractionOf(y, height);
    if (record) setCursorPosition(x, y, record->windowIndex);
}

void forgetPresses(KeyboardState& keyboard, MouseState& mouse) {
    clearKeyPresses(keyboard);
    clearButtonPresses(mouse);
}

KeyboardState* keyboardState() { return g_keyboard; }
MouseState* mouseState() { return g_mouse; }
void setKeyboardState(KeyboardState* keyboard) { g_keyboard = keyboard; }
void setMouseState(MouseState* mouse) { g_mouse = mouse; }
