// The demo in a browser. The page (platform/web/shell.html) calls main once
// the data has loaded and the viewer has started the demo; main runs the
// start-up and hands the loop to the browser, which calls back once per
// animation frame. Each callback runs the 1/60-second steps that real time
// has made due, as the desktop loop does; a browser frame cannot sleep, so
// with none due it returns at once and the last picture stays on the page.
// Escape ends the loop and the sound, and tells the page.
#include <emscripten/emscripten.h>

#include "app/main_loop.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "platform/sound.h"
#include "render/renderer.h"

namespace {
void endDemo() {
    emscripten_cancel_main_loop();
    setSoundEnabled(false);
    EM_ASM({
        Module.demoEnded = true;
        if (Module.onDemoEnded) Module.onDemoEnded();
    });
}

void runFrame() {
    const int steps = takeStepsDueNow();
    if (steps > 0 && !runMainLoopSteps(steps)) endDemo();
}

// ?step=N: step N drawn as `demo-tool capture --fast-forward --at N` draws
// it (the steps before it updated, not drawn), then the page holds that
// picture: one frame to compare with another build's.
int g_heldStep = 0;

void runHeldFrame() {
    emscripten_cancel_main_loop();
    setMainLoopDrawing(false);
    for (int step = 1; step < g_heldStep; ++step) {
        if (!runMainLoopIteration()) {
            endDemo();
            return;
        }
    }
    setMainLoopDrawing(true);
    if (!runMainLoopIteration()) endDemo();
}
}  // namespace

// For tests: the timeline's step (the number of demo updates so far), the
// frames drawn and the water plane's height.
extern "C" EMSCRIPTEN_KEEPALIVE int demoStep() { return frameCounters().updatesDone; }
extern "C" EMSCRIPTEN_KEEPALIVE int demoFramesDrawn() { return frameCounters().framesDrawn; }
extern "C" EMSCRIPTEN_KEEPALIVE float demoWaterLevel() { return demoWorld().waterLevel; }

int main() {
    int exitCode = 0;
    if (!startUp(demoCallbacks(), &exitCode)) {
        endDemo();
        return exitCode;
    }
    g_heldStep = EM_ASM_INT({ return Module.heldStep || 0; });
    // 0: at the browser's display rate; false: main returns and the page lives on.
    emscripten_set_main_loop(g_heldStep > 0 ? runHeldFrame : runFrame, 0, false);
    return 0;
}
