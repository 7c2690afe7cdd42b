#include "app/main_loop.h"

#include "app/clock.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/messages.h"
#include "app/window.h"
#include "demo/demo.h"
#include "render/gl_state_cache.h"
#include "render/render_queue.h"
#include "render/renderer.h"
#include "render/shader_catalogue.h"

bool engineStartup() {
    registerWindowClass();
    restartEngineStopwatch();

    Engine* record = new Engine();
    record->windowIndex = createMainWindow();
    record->width = workAreaSize().width;
    record->height = workAreaSize().height;
    clearWindowTitle(record->windowIndex);
    setEngine(record);

    setKeyboardState(new KeyboardState());
    setMouseState(new MouseState());
    restartClock();
    return windowUsable(record->windowIndex);
}

void inputStartup() {
    setQuitRequested(false);
    setInputStopwatch(new Stopwatch(startStopwatch()));
    setCursorVisibleFlag(true);
}

bool startUp(int* exitCode) {
    *exitCode = 0;
    if (!engineStartup()) {
        // Nothing can be drawn without a window and context.
        *exitCode = 1;
        return false;
    }
    inputStartup();
    if (!demoStartup()) return false;
    showWindow(engine()->windowIndex);
    restartClock();
    return !quitRequested();
}

bool runMainLoopIteration() {
    Engine& record = *engine();
    shaderCatalogue().current = nullptr;
    beginKeyboardFrame(*keyboardState());
    beginMouseFrame(*mouseState());
    pumpMessages();
    if (keyboardState()->pressed[KEY_ESCAPE]) {
        setQuitRequested(true);
        return false;
    }

    demoUpdate();
    tickUpdateCounter();
    ++frameCounters().updatesDone;

    clearFrame(record.clearRed, record.clearGreen, record.clearBlue);
    renderFrame();
    if (record.swapEnabled) swapBuffers(record.windowIndex);

    ++record.frameCount;
    ++frameCounters().framesDrawn;
    tickFrameCounter();
    return !quitRequested();
}

int runDemo() {
    int exitCode = 0;
    if (!startUp(&exitCode)) return exitCode;
    while (runMainLoopIteration()) {
    }
    return 0;
}
