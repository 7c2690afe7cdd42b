// What the Win32 implementation of the platform layer shares between its
// files. Included after the platform headers: <windows.h> then turns their
// WM_ and VK_ names into macros of the same values.
#pragma once

#include <windows.h>

struct PlatformWindow {
    HWND handle = nullptr;
    HDC deviceContext = nullptr;
    bool destroyed = false;
    char title[256] = {};  // what the title was last set to, read back without a message
    LONG windowedStyle = 0;  // the style and frame to go back to from full screen
    RECT windowedRect = {};
};

// The engine window with this handle, or null (windows of other classes,
// or one still being created).
PlatformWindow* platformWindowFromHandle(HWND handle);
// The module's instance handle, taken once.
HINSTANCE moduleInstance();
// The pixel format of the engine's windows on `deviceContext` (double
// buffered, 32 colour bits, `depthBits` depth bits), then a current WGL
// context with swap interval `swapInterval` where the driver offers it.
// Null when no context could be made.
HGLRC createWglContext(HDC deviceContext, int depthBits, int swapInterval);
