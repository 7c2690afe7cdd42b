// The demo without a window on screen, for the tools, the benchmarks and the
// tests: offscreen video at a chosen size, sound off, the demo's start-up,
// then the main loop one iteration at a time. Frames are drawn but never
// presented: after a swap the back buffer's contents are undefined, and a
// hidden window's may fail the pixel ownership test on real drivers.
#pragma once

#include <vector>

#include "app/main_loop.h"

// False when start-up failed or a quit came first; the tools then report it.
bool startHeadless(int width, int height, const MainLoopCallbacks& callbacks);

struct HeadlessIteration {
    bool ran = false;  // false: Escape went down and nothing was updated or drawn
    bool goOn = false;  // the loop may run another iteration
    double updateMs = 0.0;
    double renderMs = 0.0;  // the clear and the scene, with the GL work they queued
};
// One main-loop iteration; `draw` false runs the update only.
HeadlessIteration runHeadlessIteration(bool draw);
// The last drawn frame, top row first, RGBA.
void readHeadlessFrame(std::vector<unsigned char>& rgba);
