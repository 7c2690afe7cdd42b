#include "app/headless.h"

#include <chrono>

#include "app/engine.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "gpu/frame_readback.h"

bool startHeadless(int width, int height, const MainLoopCallbacks& callbacks) {
    useOffscreenVideo(width, height);
    setSoundEnabled(false);
    int exitCode = 0;
    if (!startUp(callbacks, &exitCode)) return false;
    // Nothing is presented: the frame stays in the back buffer, where it can
    // be read back.
    engine()->swapEnabled = false;
    return true;
}

HeadlessIteration runHeadlessIteration(bool draw) {
    HeadlessIteration result;
    setMainLoopDrawing(draw);
    const int framesBefore = engine()->frameCount;
    result.goOn = runMainLoopIteration();
    result.ran = engine()->frameCount != framesBefore;
    if (!result.ran) return result;
    result.updateMs = lastIterationTimes().updateMs;
    result.renderMs = lastIterationTimes().renderMs;
    if (draw) {
        // Rasterising may still be queued after the swap: it belongs to the render.
        const auto finishStart = std::chrono::steady_clock::now();
        finishFrame();
        result.renderMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - finishStart).count();
    }
    return result;
}

void readHeadlessFrame(std::vector<unsigned char>& rgba) { readFrame(engine()->width, engine()->height, rgba); }
