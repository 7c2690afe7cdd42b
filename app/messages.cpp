#include "app/messages.h"

#include "app/clock.h"
#include "app/engine.h"
#include "app/input.h"
#include "platform/cursor.h"
#include "platform/window.h"

namespace {
bool g_quitRequested = false;
bool g_minimised = false;
bool g_fullScreen = false;

void toggleFullScreen(PlatformWindow* window) {
    if (setPlatformWindowFullScreen(window, !g_fullScreen)) g_fullScreen = !g_fullScreen;
}

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

// The mouse stays captured while any button is held: its release reaches the
// window even when the cursor has left it.
void pressButton(PlatformWindow* window, int button) {
    MouseState* mouse = mouseState();
    Stopwatch* clock = inputStopwatch();
    if (!mouse || !clock) return;
    buttonDown(*mouse, *clock, button);
    captureMouse(window, true);
}

void releaseButton(int button) {
    MouseState* mouse = mouseState();
    if (!mouse) return;
    buttonUp(*mouse, button);
    for (int held = 0; held < kMouseButtonCount; ++held)
        if (mouse->held[held]) return;
    captureMouse(nullptr, false);
}

// Keys and buttons let go after the focus left send their key-ups and
// button-ups to another window: none may stay held.
void releaseEverything() {
    if (KeyboardState* keyboard = keyboardState())
        for (int code = 0; code < kKeyCodeCount; ++code) keyUp(*keyboard, code);
    if (MouseState* mouse = mouseState())
        for (int button = 0; button < kMouseButtonCount; ++button) buttonUp(*mouse, button);
    captureMouse(nullptr, false);
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
        const bool repeat = (lParam & (1 << 30)) != 0;
        if (message == WM_KEYDOWN && (wParam & 0xFFFF) == VK_F11 && !repeat) toggleFullScreen(window);
        int code = keyCodeFromVirtualKey(static_cast<uint32_t>(wParam & 0xFFFF));
        if (code == kNoKey || !keyboard) break;
        if (message == WM_KEYDOWN)
            keyDown(*keyboard, code);
        else
            keyUp(*keyboard, code);
        break;
    }
    case WM_LBUTTONDOWN: pressButton(window, 1); break;
    case WM_MBUTTONDOWN: pressButton(window, 2); break;
    case WM_RBUTTONDOWN: pressButton(window, 3); break;
    case WM_LBUTTONUP: releaseButton(1); break;
    case WM_MBUTTONUP: releaseButton(2); break;
    case WM_RBUTTONUP: releaseButton(3); break;
    case WM_MOUSEWHEEL:
        if (MouseState* mouse = mouseState()) mouseWheel(*mouse, static_cast<int16_t>((wParam >> 16) & 0xFFFF));
        break;
    case WM_SYSKEYDOWN:
        if ((wParam & 0xFFFF) == VK_RETURN && (lParam & (1 << 29)) && !(lParam & (1 << 30))) {
            toggleFullScreen(window);
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == '\r') return 0;  // Alt+Enter: no beep for a missing menu key
        break;
    case WM_KILLFOCUS: releaseEverything(); break;
    case WM_SIZE: clientResized(wParam, lParam); break;
    case WM_SYSCOMMAND:
        // Alt or F10 alone (or Alt with a letter, as for a menu bar) would
        // open the system menu, whose modal loop stops the frames until it is
        // left and takes the next Escape. Alt+Space asks for that menu on
        // purpose (to move or close a window out of the mouse's reach);
        // Alt+F4 and the mouse still reach their commands.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam != ' ') return 0;
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
