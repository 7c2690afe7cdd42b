// The system cursor: position in client coordinates, warping, and
// visibility with a show count (shown while the count is 0 or more).
#pragma once

struct PlatformWindow;

// The cursor position relative to the client area's top-left; may lie
// outside it. False (and nothing written) when it cannot be read.
bool cursorClientPosition(PlatformWindow* window, int* x, int* y);
// Moves the cursor to a client point; false when the window is gone.
bool warpCursor(PlatformWindow* window, int x, int y);
// Adds +1 (show) or -1 (hide) to the show count and returns the new count.
int changeCursorShowCount(bool show);
int cursorShowCount();

// While captured, the window gets the mouse's messages wherever the cursor
// is, so that a button released outside it is still released.
void captureMouse(PlatformWindow* window, bool capture);
