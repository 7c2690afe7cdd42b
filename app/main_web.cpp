// The demo in a browser. The page (platform/web/shell.html) calls main once
// the data has loaded and the viewer has started the demo; main runs the
// start-up and hands the loop to the browser, which runs one iteration per
// animation frame. Escape ends the loop and the sound, and tells the page.
#include <emscripten/emscripten.h>

#include "app/main_loop.h"
#include "demo/demo.h"
#include "platform/sound.h"
#include "render/renderer.h"

static void endDemo() {
    emscripten_cancel_main_loop();
    setSoundEnabled(false);
    EM_ASM({
        Module.demoEnded = true;
        if (Module.onDemoEnded) Module.onDemoEnded();
    });
}

static void runFrame() {
    if (!runMainLoopIteration()) endDemo();
}

// The timeline's step: the number of demo updates so far.
extern "C" EMSCRIPTEN_KEEPALIVE int demoStep() { return frameCounters().updatesDone; }

int main() {
    int exitCode = 0;
    if (!startUp(demoCallbacks(), &exitCode)) {
        endDemo();
        return exitCode;
    }
    // 0: at the browser's display rate; false: main returns and the page lives on.
    emscripten_set_main_loop(runFrame, 0, false);
    return 0;
}
