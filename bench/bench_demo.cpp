#include "bench/bench_demo.h"

#include <GL/glew.h>

#include "app/main_loop.h"
#include "platform/sound.h"
#include "platform/window.h"

bool startBenchDemo() {
    static const bool started = [] {
        useOffscreenVideo(64, 64);
        setSoundEnabled(false);
        int exitCode = 0;
        return startUp(&exitCode);
    }();
    return started;
}

// The link replaces every glDrawElements of the engine with this counter
// (-Wl,--wrap=glDrawElements), so draw calls are counted exactly.
static uint64_t g_drawCalls = 0;
static uint64_t g_drawnIndices = 0;
static bool g_drawsReachGl = true;

extern "C" void __real_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
extern "C" void __wrap_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++g_drawCalls;
    g_drawnIndices += (uint64_t)count;
    if (g_drawsReachGl) __real_glDrawElements(mode, count, type, indices);
}

uint64_t drawCallCount() { return g_drawCalls; }
uint64_t drawnIndexCount() { return g_drawnIndices; }

void setDrawsReachGl(bool enabled) { g_drawsReachGl = enabled; }
