#include "app/main_loop.h"

#include <chrono>

#include "app/clock.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/messages.h"
#include "app/step_pacer.h"
#include "app/window.h"
#include "platform/counter.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "render/renderer.h"
#include "gpu/shader_catalogue.h"

bool engineStartup() {
    registerWindowClass();
    restartEngineStopwatch();

    Engine* record = new Engine();
    record->windowIndex = createMainWindow();
    // The client area the window really got: Windows keeps a window within
    // the screen, so a caption above the work area can cost rows of it.
    if (!windowClientSize(record->windowIndex, &record->width, &record->height)) {
        record->width = workAreaSize().width;
        record->height = workAreaSize().height;
    }
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

namespace {
MainLoopCallbacks g_callbacks;
}  // namespace

bool startUp(const MainLoopCallbacks& callbacks, int* exitCode) {
    g_callbacks = callbacks;
    *exitCode = 0;
    if (!engineStartup()) {
        // Nothing can be drawn without a window and context.
        *exitCode = 1;
        return false;
    }
    inputStartup();
    if (!g_callbacks.startup()) return false;
    showWindow(engine()->windowIndex);
    restartClock();
    startPacing();
    return !quitRequested();
}

namespace {
IterationTimes g_iterationTimes;
bool g_drawing = true;
StepPacer g_pacer;

double millisecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}
}  // namespace

const IterationTimes& lastIterationTimes() { return g_iterationTimes; }
void setMainLoopDrawing(bool drawing) { g_drawing = drawing; }

void startPacing() { startPacingAt(readCounter()); }
void startPacingAt(uint64_t at) { startStepPacer(g_pacer, at, readFrequency()); }
void delayPacing(uint64_t counts) { g_pacer.start += counts; }

bool runMainLoopSteps(int steps) {
    const auto frameStart = std::chrono::steady_clock::now();
    Engine& record = *engine();
    shaderCatalogue().current = nullptr;
    beginKeyboardFrame(*keyboardState());
    beginMouseFrame(*mouseState());
    pumpMessages();
    if (keyboardState()->pressed[KEY_ESCAPE]) {
        setQuitRequested(true);
        return false;
    }

    resizeScreen(record.width, record.height);  // a size the window procedure was told of

    // A minimised window shows nothing: every step is a catch-up step and no
    // frame is drawn, presented or counted, while the steps keep to the clock.
    const bool hidden = windowMinimised();
    for (int step = 1; step <= steps; ++step) {
        if (step == 2) forgetPresses(*keyboardState(), *mouseState());
        const bool catchUp = step < steps || hidden;
        g_callbacks.update(catchUp);
        tickUpdateCounter();
        ++frameCounters().updatesDone;
        if (catchUp) skipFrameDrawing();  // what the frame between two steps would leave behind
    }
    const auto renderStart = std::chrono::steady_clock::now();
    if (hidden) {
        g_iterationTimes.updateMs = millisecondsBetween(frameStart, renderStart);
        g_iterationTimes.renderMs = 0.0;
        return !quitRequested();
    }

    if (g_drawing) {
        clearFrame(record.clearRed, record.clearGreen, record.clearBlue);
        renderFrame();
        if (record.swapEnabled) swapBuffers(record.windowIndex);
    } else {
        skipFrameDrawing();
    }

    ++record.frameCount;
    ++frameCounters().framesDrawn;
    tickFrameCounter();
    g_iterationTimes.updateMs = millisecondsBetween(frameStart, renderStart);
    g_iterationTimes.renderMs = millisecondsBetween(renderStart, std::chrono::steady_clock::now());
    return !quitRequested();
}

bool runMainLoopIteration() { return runMainLoopSteps(1); }

int takeStepsDueNow() { return takeDueSteps(g_pacer, readCounter()); }
int takeStepsForFrameAt(uint64_t presentedAt) { return takeStepsForFrame(g_pacer, presentedAt); }

bool runPacedIteration() {
    // A minimised window shows nothing: rest for a tenth of a second and take
    // the steps due then, rather than wake for each step.
    if (windowMinimised()) sleepMicroseconds(1000000 / kMinimisedWakesPerSecond);
    // Nothing due (a display faster than 60 Hz, or none that waits): sleep
    // until the next step rather than draw the same picture again.
    int steps;
    while ((steps = takeStepsDueNow()) == 0) sleepMicroseconds(microsecondsToNextStep(g_pacer, readCounter()));
    return runMainLoopSteps(steps);
}

int runDemo(const MainLoopCallbacks& callbacks) {
    int exitCode = 0;
    if (!startUp(callbacks, &exitCode)) return exitCode;
    while (runPacedIteration()) {
    }
    return 0;
}
