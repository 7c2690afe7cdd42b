// The engine's window: the window table, the main window over the desktop
// work area with its OpenGL context, and the small window and cursor
// operations the engine needs.
#pragma once

#include <cstdint>

#include "platform/window.h"

struct EngineWindow {
    PlatformWindow* window = nullptr;
    PlatformWindow* deviceContext = nullptr;  // presents through the window (which holds the Win32 DC)
    PlatformGlContext glContext = nullptr;
    int32_t clientX = 0, clientY = 0;  // the work area's left and top
};

constexpr int kMaxEngineWindows = 4;
struct EngineWindowTable {
    EngineWindow entries[kMaxEngineWindows];
    int32_t count = 0;
};
EngineWindowTable& engineWindowTable();

// The desktop work-area size, set by createMainWindow.
struct WorkAreaSize {
    int32_t width = 0, height = 0;
};
WorkAreaSize& workAreaSize();

// Installs the engine's window procedure; on success raises the process
// priority, on failure shows "Window Registration Failed!".
void registerWindowClass();
// Creates the window over the work area (titled ":-)", shown) and its
// current GL context. On failure shows "Window Creation Failed!" and the
// entry keeps no window or no context. Returns the entry's index.
int createMainWindow();
// True when entry `index` has both a window and a GL context.
bool windowUsable(int index);
// The size of entry `index`'s client area as the system made it, which may be
// smaller than the work area asked for; false without a window.
bool windowClientSize(int index, int32_t* width, int32_t* height);
void showWindow(int index);
void swapBuffers(int index);
void clearWindowTitle(int index);

// Cursor visibility, changing the system show count at most once per change.
void showCursor();
void hideCursor();
bool cursorVisible();
void setCursorVisibleFlag(bool visible);
// Moves the cursor to client point (x, y) of entry `index`; false when it cannot.
bool setCursorPosition(int x, int y, int index);
