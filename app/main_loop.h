// Start-up and the main loop. The loop knows the program it runs only
// through two callbacks, its start-up and its update of one step (as
// sokol_app's init_cb and frame_cb). The demo executable runs
// runDemo(demoCallbacks()), paced by real time; a headless tool starts through
// app/headless.h and runs one step per frame.
#pragma once

#include <cstdint>

// What the main loop runs.
struct MainLoopCallbacks {
    // After the engine's start-up; false declines to run (the process ends with 0).
    bool (*startup)() = nullptr;
    // One 1/60-second step. catchUp: another step follows before the next
    // drawn frame, so work that only a drawn frame shows may be skipped.
    void (*update)(bool catchUp) = nullptr;
};

// Engine start-up: window class and priority, engine stopwatch, the Engine
// record with the main window and its GL context, the input records and the
// start time. False when no usable window could be made (already reported).
bool engineStartup();
// quitRequested false, the input stopwatch started, cursor flag visible.
void inputStartup();
// Engine and input start-up, the program's start-up, then shows the window and
// starts the pacing. True when the loop should run; otherwise *exitCode is
// what the process returns (0 when the demo declined or a quit came first, 1
// without a window).
bool startUp(const MainLoopCallbacks& callbacks, int* exitCode);
// One frame: input, messages, `steps` update steps, clear, render, swap,
// counters. Every step but the last is a catch-up step, which skips the work
// only a drawn frame shows; a key pressed in this frame reaches the first
// step only. False when the loop must end: Escape went down in this frame
// (nothing was updated or drawn) or a close request arrived (the frame was
// completed). While the window is minimised the steps are all catch-up
// steps and no frame is drawn or counted.
bool runMainLoopSteps(int steps);
// One frame of one step, whatever the time: the tools' deterministic frame.
bool runMainLoopIteration();
// The 1/60-second steps that real time has made due since the pacing started
// (step_pacer.h) and no frame has run yet, at most kMaxStepsPerIteration;
// they count as run. 0 when none is due.
int takeStepsDueNow();
// How often the demo's loop wakes while the window is minimised.
constexpr int kMinimisedWakesPerSecond = 10;
// The demo's frame: the steps due, sleeping first until one is due (and a
// tenth of a second first while minimised), then the frame as above.
bool runPacedIteration();
// A browser's frame, which cannot sleep: the steps due at the counter
// reading `presentedAt` when the frame will be presented (step_pacer.h's
// takeStepsForFrame); it runs runMainLoopSteps with them when not 0.
int takeStepsForFrameAt(uint64_t presentedAt);
// The first step falls due now. startUp calls it.
void startPacing();
// The first step falls due at the counter reading `at`: a browser's loop
// starts at a frame's presentation.
void startPacingAt(uint64_t at);
// The steps not yet due fall due `counts` later: time a browser page spent
// hidden, while the timeline and the sound stood still.
void delayPacing(uint64_t counts);
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
// startUp and the paced loop; the process's exit code.
int runDemo(const MainLoopCallbacks& callbacks);
