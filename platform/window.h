// The window and OpenGL context layer: the desktop work area, one
// fixed-size window, its double-buffered GL context and the buffer swap.
// An offscreen mode runs the same calls without showing anything (SDL's
// "offscreen" video driver, or a hidden Win32 window) at a chosen size, for
// headless capture and tests.
#pragma once

#include <cstdint>

struct PlatformWindow;  // opaque; one per created window
typedef void* PlatformGlContext;  // the SDL or WGL context

struct PlatformRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Selects the offscreen driver with a work area of width x height and no
// vertical synchronisation. Call before anything else of the platform layer.
void useOffscreenVideo(int width, int height);
bool offscreenVideo();

// Starts the video driver (once). False when no display can be opened, or,
// outside offscreen mode, when the only driver left shows nothing.
bool startVideo();

// The usable desktop area of the first display (screen minus panels).
bool desktopWorkArea(PlatformRect* area);

// A window whose client area is exactly `client`: no sizing border, no
// maximise button, shown at once. Null when it cannot be created.
PlatformWindow* createPlatformWindow(const char* title, const PlatformRect& client);
void showPlatformWindow(PlatformWindow* window);
void setPlatformWindowTitle(PlatformWindow* window, const char* title);
const char* platformWindowTitle(PlatformWindow* window);
// Top-left of the client area and its size, in desktop pixels.
bool platformWindowClientRect(PlatformWindow* window, PlatformRect* client);

// Full screen: the window without its frame covering the whole monitor it is
// on (the display mode stays as it is), or back to the window it was. The new
// client size arrives as WM_SIZE. False when the system refuses.
bool setPlatformWindowFullScreen(PlatformWindow* window, bool fullScreen);

// Destroys the window: it disappears and sends WM_DESTROY to the window
// procedure. The handle stays valid (as a dead window) so that a frame still
// in flight may draw and swap against it harmlessly.
void destroyPlatformWindow(PlatformWindow* window);
bool platformWindowDestroyed(PlatformWindow* window);

// Double-buffered, 16 depth bits, compatibility profile, made current, swap
// interval 1 where the driver offers it (0 in offscreen mode). Null on failure.
PlatformGlContext createPlatformGlContext(PlatformWindow* window);
// Presents the back buffer; nothing for a destroyed window.
void swapPlatformBuffers(PlatformWindow* window);

// The first window created (the main window), or null.
PlatformWindow* firstPlatformWindow();
