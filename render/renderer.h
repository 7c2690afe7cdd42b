// The renderer's start-up and the frame counters of the main loop.
#pragma once

#include <cstdint>

// Loads the GL entry points, sets the fixed state, resets the frame counters,
// creates the off-screen targets, the model matrix stack, the shader
// catalogue (a failure ends the process with exit code -1) and the default camera.
void renderInit();

struct FrameCounters {
    int32_t updatesDone = 0;
    int32_t framesDrawn = 0;
};
FrameCounters& frameCounters();
