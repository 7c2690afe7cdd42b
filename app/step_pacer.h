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
};

// The first step falls due at `now`.
void startStepPacer(StepPacer& pacer, uint64_t now, uint64_t frequency);
// The steps due at `now` and not yet taken, at most kMaxStepsPerIteration;
// they count as taken and a longer backlog is dropped. Without a usable
// counter one step each call, which leaves the pace to the buffer swap.
int takeDueSteps(StepPacer& pacer, uint64_t now);
// Microseconds from `now` until the next step falls due, rounded up; 0 when
// one is due, and never more than one step's length.
uint32_t microsecondsToNextStep(const StepPacer& pacer, uint64_t now);
