#include "app/step_pacer.h"

#include <cmath>

namespace {
bool counterUsable(const StepPacer& pacer) { return pacer.frequency != ~uint64_t(0); }

// Steps due `elapsed` counts after the start: the first at once, then one
// each 1/60 s. Whole seconds apart: elapsed * 60 would overflow a 1 GHz
// counter after about ten years.
uint64_t stepsDueAfter(uint64_t elapsed, uint64_t frequency) {
    return elapsed / frequency * kStepsPerSecond + elapsed % frequency * kStepsPerSecond / frequency + 1;
}

// Counts from the start until step `index` (0 the first) falls due, rounded up.
uint64_t countsUntilStep(uint64_t index, uint64_t frequency) {
    return index / kStepsPerSecond * frequency +
           (index % kStepsPerSecond * frequency + kStepsPerSecond - 1) / kStepsPerSecond;
}
}  // namespace

void startStepPacer(StepPacer& pacer, uint64_t now, uint64_t frequency) {
    pacer.start = now;
    pacer.frequency = frequency;
    pacer.stepsCounted = 0;
}

int takeDueSteps(StepPacer& pacer, uint64_t now) {
    if (!counterUsable(pacer)) {
        ++pacer.stepsCounted;
        return 1;
    }
    const uint64_t due = stepsDueAfter(now > pacer.start ? now - pacer.start : 0, pacer.frequency);
    if (due <= pacer.stepsCounted) return 0;
    const uint64_t backlog = due - pacer.stepsCounted;
    pacer.stepsCounted = due;
    return backlog < kMaxStepsPerIteration ? static_cast<int>(backlog) : kMaxStepsPerIteration;
}

int takeStepsForFrame(StepPacer& pacer, uint64_t presentedAt) {
    if (!counterUsable(pacer)) {
        ++pacer.stepsCounted;
        return 1;
    }
    // Steps real time is ahead of the picture, fractional; the first step is due at the start.
    const double sinceStart =
        presentedAt >= pacer.start ? double(presentedAt - pacer.start) : -double(pacer.start - presentedAt);
    const double lead = sinceStart * kStepsPerSecond / double(pacer.frequency) + 1.0 - double(pacer.stepsCounted);
    double steps = std::floor(lead + 0.5);
    const double left = lead - steps;  // > 0: the picture would lag its presentation time
    if (pacer.pictureBehind && left < 0.0 && left + 1.0 <= 0.5 + kStickyLead) steps -= 1.0;
    if (!pacer.pictureBehind && left > 0.0 && left - 1.0 >= -0.5 - kStickyLead) steps += 1.0;
    if (steps < 0.0) steps = 0.0;  // a timestamp before the last frame's
    pacer.pictureBehind = lead - steps > 0.0;
    pacer.stepsCounted += static_cast<uint64_t>(steps);
    return steps <= kMaxStepsPerFrame ? static_cast<int>(steps) : kMaxStepsPerIteration;
}

uint32_t microsecondsToNextStep(const StepPacer& pacer, uint64_t now) {
    if (!counterUsable(pacer)) return 0;
    const uint64_t dueAt = pacer.start + countsUntilStep(pacer.stepsCounted, pacer.frequency);
    if (dueAt <= now) return 0;
    uint64_t counts = dueAt - now;
    const uint64_t oneStep = countsUntilStep(1, pacer.frequency);
    if (counts > oneStep) counts = oneStep;  // a counter that went back: look again a step later
    return static_cast<uint32_t>((counts * 1000000 + pacer.frequency - 1) / pacer.frequency);
}
