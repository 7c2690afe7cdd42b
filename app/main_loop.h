// Start-up and the main loop. The demo executable runs runDemo(); a headless
// tool runs the same start-up and iterations itself:
//
//     useOffscreenVideo(width, height);  // platform/window.h
//     setSoundEnabled(false);            // platform/sound.h
//     int exitCode = 0;
//     if (!startUp(&exitCode)) return exitCode;
//     while (runMainLoopIteration()) { ... }
#pragma once

// Engine start-up: window class and priority, engine stopwatch, the Engine
// record with the main window and its GL context, the input records and the
// start time. False when no usable window could be made (already reported).
bool engineStartup();
// quitRequested false, the input stopwatch started, cursor flag visible.
void inputStartup();
// Engine and input start-up, the demo's start-up, then shows the window.
// True when the loop should run; otherwise *exitCode is what the process
// returns (0 when the demo declined or a quit came first, 1 without a window).
bool startUp(int* exitCode);
// One frame: input, messages, update, clear, render, swap, counters. False
// when the loop must end: Escape went down in this frame (nothing was updated
// or drawn) or a close request arrived (the frame was completed).
bool runMainLoopIteration();
// Wall-clock milliseconds of the parts of the last iteration that got past
// the Escape test, for tools that report frame times: update covers input,
// messages and the demo update; render covers the clear, the scene and the
// swap (GL work still queued after it is not included).
struct IterationTimes {
    double updateMs = 0.0;
    double renderMs = 0.0;
};
const IterationTimes& lastIterationTimes();
// On by default. Off, an iteration updates as usual but neither clears,
// draws nor swaps: it only leaves what a drawn frame leaves behind (the
// scene's camera and lights current, both render queues empty). Lets a tool
// run the timeline quickly up to the frames it looks at.
void setMainLoopDrawing(bool drawing);
// startUp and the loop; the process's exit code.
int runDemo();
