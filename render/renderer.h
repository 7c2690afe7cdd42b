// The renderer's start-up, the screen sizes it draws at and the frame
// counters of the main loop.
#pragma once

#include <cstdint>

// What the renderer knows of the screen: the client size of the window
// (new cameras' viewports, the off-screen targets; 0 x 0 without a window)
// and the fixed design size the 2D overlay is laid out in.
struct ScreenSize {
    int32_t width = 0, height = 0;
    int32_t designWidth = 1920, designHeight = 1080;
};
const ScreenSize& screenSize();
void setScreenSize(const ScreenSize& screen);
// The window's client area became width x height: records it, gives the
// off-screen targets that size and sets the viewport and aspect ratio of
// the cameras that follow the screen (scene/camera.h). 0 x 0 (a minimised
// window) or an unchanged size does nothing.
void resizeScreen(int32_t width, int32_t height);

// Records the screen size, loads the GL entry points, sets the fixed state,
// resets the frame counters, creates the off-screen targets, the model matrix
// stack, the shader catalogue (a failure ends the process with exit code -1)
// and the default camera.
void renderInit(const ScreenSize& screen);

struct FrameCounters {
    int32_t updatesDone = 0;
    int32_t framesDrawn = 0;
};
FrameCounters& frameCounters();
