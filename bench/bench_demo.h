// The demo started once per benchmark process on SDL's offscreen driver, at a
// 64 x 64 work area so that rasterisation stays small next to the engine's
// own work, with the sound off.
#pragma once

#include <cstdint>

// Engine start-up and the demo's start-up, once. False when no GL context
// can be made (the caller skips with a message).
bool startBenchDemo();

// glDrawElements and glMultiDrawElements calls made so far (counted by
// wrappers the benchmark puts in their place).
uint64_t drawCallCount();
// Indices those calls asked for (three per triangle).
uint64_t drawnIndexCount();
// False: draw calls are counted but not passed on, which leaves the engine's
// own share of a frame (traversal, sorts, state and uniform calls).
void setDrawsReachGl(bool enabled);
