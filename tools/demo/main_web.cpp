// The demo in a browser. The page (platform/web/shell.html) calls main once
// the data has loaded and the viewer has started the demo; main runs the
// start-up and hands the loop to the browser, which calls back once per
// animation frame with the time the frame will be presented. Each callback
// runs the 1/60-second steps due at that time (takeStepsForFrameAt); a
// browser frame cannot sleep, so with none due it returns at once and the
// last picture stays on the page. Escape ends the loop and the sound,
// removes the demo's event handlers and tells the page.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <emscripten/html5.h>

#include "app/main_loop.h"
#include "app/step_pacer.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "platform/sound.h"
#include "render/renderer.h"

namespace {
// The furthest ?step=N or ?from=N goes: the timeline and one loop more.
constexpr int kLastReachableStep = 2 * kActCount * kActSeconds * kStepsPerSecond;
// Catch-up steps run in one animation frame, at most, on the way there: the
// page stays responsive and shows its progress.
constexpr int kCatchUpStepsPerFrame = 240;

struct WebLoop {
    int targetStep = 0;  // ?step=N or ?from=N: the step reached through catch-up steps first
    bool holdAtTarget = false;  // ?step=N: then the picture stays
    bool pacingStarted = false;  // false: the next frame starts the pacing
    bool stopped = false;  // ended: Escape, a close or a start-up that failed
};

WebLoop g_loop;

void endDemo() {
    g_loop.stopped = true;
    setSoundEnabled(false);
    emscripten_html5_remove_all_event_listeners();
    EM_ASM({
        Module.demoEnded = true;
        if (Module.onDemoEnded) Module.onDemoEnded();
    });
}

int stepsDone() { return frameCounters().updatesDone; }

// Towards the target: catch-up steps, undrawn, then the target step drawn
// as `demo-tool capture --fast-forward --at N` draws it. False when the loop
// must end.
bool catchUp() {
    int budget = kCatchUpStepsPerFrame;
    bool running = true;
    setMainLoopDrawing(false);
    while (running && budget > 0 && stepsDone() + 1 < g_loop.targetStep) {
        const int steps = std::min({budget, kMaxStepsPerIteration, g_loop.targetStep - 1 - stepsDone()});
        running = runMainLoopSteps(steps);
        budget -= steps;
    }
    setMainLoopDrawing(true);
    if (running && stepsDone() + 1 == g_loop.targetStep) running = runMainLoopIteration();
    return running;
}

EM_BOOL onAnimationFrame(double timeMs, void*) {
    if (g_loop.stopped) return false;
    // A hidden page pauses the timeline and the sound (the page suspends it
    // and counts the time hidden): the steps fall due that much later, so
    // that picture and sound stay together.
    const double hiddenMs = EM_ASM_DOUBLE({
        if (document.hidden || Module.contextLost) return -1;
        const ms = Module.hiddenMs;
        Module.hiddenMs = 0;
        return ms;
    });
    if (hiddenMs < 0.0) return true;
    if (stepsDone() < g_loop.targetStep) {
        if (!catchUp()) endDemo();
        return !g_loop.stopped && !(g_loop.holdAtTarget && stepsDone() == g_loop.targetStep);
    }
    const uint64_t presentedAt = static_cast<uint64_t>(timeMs * 1000.0);  // the counter's microseconds
    if (!g_loop.pacingStarted) {
        // The step after the last one shown is due at this frame.
        startPacingAt(presentedAt);
        g_loop.pacingStarted = true;
    } else if (hiddenMs > 0.0) {
        delayPacing(static_cast<uint64_t>(hiddenMs * 1000.0));
    }
    const int steps = takeStepsForFrameAt(presentedAt);
    if (steps > 0 && !runMainLoopSteps(steps)) endDemo();
    return !g_loop.stopped;
}

EM_BOOL onContextLost(int, const void*, void*) {
    EM_ASM({
        Module.contextLost = true;
        if (Module.onContextLost) Module.onContextLost();
    });
    return true;  // lets the browser restore it
}

EM_BOOL onContextRestored(int, const void*, void*) {
    EM_ASM({
        if (Module.onContextRestored) Module.onContextRestored();
    });
    return true;
}
}  // namespace

// For tests: the timeline's step (the number of demo updates so far), the
// frames drawn, the water plane's height and the size the renderer draws at.
extern "C" EMSCRIPTEN_KEEPALIVE int demoStep() { return frameCounters().updatesDone; }
extern "C" EMSCRIPTEN_KEEPALIVE int demoFramesDrawn() { return frameCounters().framesDrawn; }
extern "C" EMSCRIPTEN_KEEPALIVE float demoWaterLevel() { return demoWorld().waterLevel; }
extern "C" EMSCRIPTEN_KEEPALIVE int demoScreenWidth() { return screenSize().width; }
extern "C" EMSCRIPTEN_KEEPALIVE int demoScreenHeight() { return screenSize().height; }
// For the page, when the start-up exits before the loop could end it.
extern "C" EMSCRIPTEN_KEEPALIVE void demoRemoveHandlers() { emscripten_html5_remove_all_event_listeners(); }

int main() {
    int exitCode = 0;
    if (!startUp(demoCallbacks(), &exitCode)) {
        endDemo();
        return exitCode;
    }
    const int heldStep = EM_ASM_INT({ return Module.heldStep || 0; });
    const int fromStep = EM_ASM_INT({ return Module.fromStep || 0; });
    g_loop.holdAtTarget = heldStep > 0;
    g_loop.targetStep = std::min(heldStep > 0 ? heldStep : fromStep, kLastReachableStep);
    // The GL resources are not rebuilt after a lost context: the page reloads
    // at the step it was at (see the shell page).
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, true, onContextLost);
    emscripten_set_webglcontextrestored_callback("#canvas", nullptr, true, onContextRestored);
    emscripten_request_animation_frame_loop(onAnimationFrame, nullptr);
    return 0;
}
