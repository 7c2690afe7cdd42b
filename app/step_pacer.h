// Fixed 1/60-second update steps on the high-resolution counter: how many
// steps real time has made due since the start, and how long until the next.
#pragma once

#include <cstdint>

constexpr int kStepsPerSecond = 60;
// The most steps one iteration runs: half a second. The timeline keeps real
// time down to 2 drawn frames a second; a longer gap (a dragged window, a
// debugger, a suspended machine) pauses it instead of racing through it.
constexpr int kMaxStepsPerIteration = 30;

struct StepPacer {
    uint64_t start = 0;  // counter reading at which the first step fell due
    uint64_t frequency = 0;  // counts per second; all ones without a usable counter
    uint64_t stepsCounted = 0;  // steps taken, or dropped after a gap, since the start
    bool pictureBehind = false;  // takeStepsForFrame: the last frame's picture lags its presentation time
};

// The first step falls due at `now`.
void startStepPacer(StepPacer& pacer, uint64_t now, uint64_t frequency);
// The steps due at `now` and not yet taken, at most kMaxStepsPerIteration;
// they count as taken and a longer backlog is dropped. Without a usable
// counter one step each call, which leaves the pace to the buffer swap.
int takeDueSteps(StepPacer& pacer, uint64_t now);
// A browser's frame: the steps due at `presentedAt`, the time the frame will
// be presented (an animation frame's timestamp), not the time its callback
// runs. Rounded to the nearest step, so that a 60 Hz display takes one step a
// frame at any phase; near a half step it keeps to the side of the previous
// frame while the picture stays within kStickyLead of half a step of real
// time, so that jitter of a few milliseconds does not alternate repeated and
// double steps. A frame runs up to kMaxStepsPerFrame steps; more is a stall,
// which runs kMaxStepsPerIteration and drops the rest, as on the desktop.
// Without a usable counter one step each call.
int takeStepsForFrame(StepPacer& pacer, uint64_t presentedAt);
// A quarter step (4.2 ms), above the jitter of a browser's frame timestamps.
constexpr double kStickyLead = 0.25;
// A second: a software renderer's frame intervals are uneven (at 2 to 3
// frames a second a tenth of them are over half a second), and the steps
// before a frame's last are cheap catch-up steps.
constexpr int kMaxStepsPerFrame = kStepsPerSecond;
// Microseconds from `now` until the next step falls due, rounded up; 0 when
// one is due, and never more than one step's length.
uint32_t microsecondsToNextStep(const StepPacer& pacer, uint64_t now);
