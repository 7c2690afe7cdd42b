#include "platform/cursor.h"

#include <emscripten/emscripten.h>

#include "platform/web/web_layer.h"
#include "platform/window.h"

namespace {
int g_showCount = 0;
}

bool cursorClientPosition(PlatformWindow* window, int* x, int* y) {
    if (platformWindowDestroyed(window)) return false;
    return lastPointerPosition(x, y);
}

// A page cannot move the pointer.
bool warpCursor(PlatformWindow*, int, int) { return false; }

int changeCursorShowCount(bool show) {
    g_showCount += show ? 1 : -1;
    EM_ASM(
        {
            const canvas = document.querySelector(UTF8ToString($0));
            if (canvas) canvas.style.cursor = $1 ? "" : "none";
        },
        kCanvasSelector, g_showCount >= 0);
    return g_showCount;
}

int cursorShowCount() { return g_showCount; }

// The page listens for button releases on the whole document.
void captureMouse(PlatformWindow*, bool) {}
