#include "platform/cursor.h"
#include "platform/window.h"

#include "platform/win32/win32_layer.h"

bool cursorClientPosition(PlatformWindow* window, int* x, int* y) {
    if (platformWindowDestroyed(window)) return false;
    POINT point;
    if (!GetCursorPos(&point) || !ScreenToClient(window->handle, &point)) return false;
    *x = point.x;
    *y = point.y;
    return true;
}

bool warpCursor(PlatformWindow* window, int x, int y) {
    if (platformWindowDestroyed(window)) return false;
    POINT point = {x, y};
    if (!ClientToScreen(window->handle, &point)) return false;
    SetCursorPos(point.x, point.y);
    return true;
}

int changeCursorShowCount(bool show) { return ShowCursor(show ? TRUE : FALSE); }

int cursorShowCount() {
    // The system keeps the count; a show and a hide read it and leave it as it was.
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

void captureMouse(PlatformWindow* window, bool capture) {
    if (!capture)
        ReleaseCapture();
    else if (!platformWindowDestroyed(window))
        SetCapture(window->handle);
}
