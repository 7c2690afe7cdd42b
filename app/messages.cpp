#include "app/messages.h"

#include "app/clock.h"
#include "app/engine.h"
#include "app/input.h"
#include "platform/window.h"

namespace {
bool g_quitRequested = false;
bool g_minimised = false;

// The client size the system gave the window; the main loop hands it to the
// renderer before the next frame. A minimised window keeps its last size.
void clientResized(uintptr_t reason, intptr_t size) {
    g_minimised = reason == SIZE_MINIMIZED;
    const int32_t width = static_cast<int32_t>(size & 0xFFFF), height = static_cast<int32_t>((size >> 16) & 0xFFFF);
    Engine* record = engine();
    if (g_minimised || !record || width <= 0 || height <= 0) return;
    record->width = width;
    record->height = height;
}

void pressButton(int button) {
    MouseState* mouse = mouseState();
    Stopwatch* clock = inputStopwatch();
    if (mouse && clock) buttonDown(*mouse, *clock, button);
}

void releaseButton(int button) {
    if (MouseState* mouse = mouseState()) buttonUp(*mouse, button);
}

// Keys and buttons let go after the focus left send their key-ups and
// button-ups to another window: none may stay held.
void releaseEverything() {
    if (KeyboardState* keyboard = keyboardState())
        for (int code = 0; code < kKeyCodeCount; ++code) keyUp(*keyboard, code);
    if (MouseState* mouse = mouseState())
        for (int button = 0; button < kMouseButtonCount; ++button) buttonUp(*mouse, button);
}
}  // namespace

intptr_t windowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    KeyboardState* keyboard = keyboardState();
    switch (message) {
    case WM_DESTROY: postQuitMessage(0); break;
    case WM_CLOSE:
        destroyPlatformWindow(window);
        g_quitRequested = true;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        int code = keyCodeFromVirtualKey(static_cast<uint32_t>(wParam & 0xFFFF));
        if (code == kNoKey || !keyboard) break;
        if (message == WM_KEYDOWN)
            keyDown(*keyboard, code);
        else
            keyUp(*keyboard, code);
        break;
    }
    case WM_LBUTTONDOWN: pressButton(1); break;
    case WM_MBUTTONDOWN: pressButton(2); break;
    case WM_RBUTTONDOWN: pressButton(3); break;
    case WM_LBUTTONUP: releaseButton(1); break;
    case WM_MBUTTONUP: releaseButton(2); break;
    case WM_RBUTTONUP: releaseButton(3); break;
    case WM_MOUSEWHEEL:
        if (MouseState* mouse = mouseState()) mouseWheel(*mouse, static_cast<int16_t>((wParam >> 16) & 0xFFFF));
        break;
    case WM_KILLFOCUS: releaseEverything(); break;
    case WM_SIZE: clientResized(wParam, lParam); break;
    case WM_SYSCOMMAND:
        // Alt or F10 alone would open the system menu, whose modal loop stops
        // the frames until it is left and takes the next Escape. Alt+F4 and
        // the mouse still reach their commands.
        if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
        break;
    default: break;
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

void pumpMessages() {
    PlatformMessage message;
    while (peekMessage(&message)) dispatchMessage(message);
}

bool quitRequested() { return g_quitRequested; }
void setQuitRequested(bool requested) { g_quitRequested = requested; }
bool windowMinimised() { return g_minimised; }
