#include "bench/bench_demo.h"

#include <GL/glew.h>

#include "app/headless.h"
#include "demo/demo.h"

// The link replaces every glDrawElements of the engine with this counter
// (-Wl,--wrap=glDrawElements), and glMultiDrawElements, reached through
// GLEW's pointer, is swapped for one after start-up, so draw calls are
// counted exactly (a multi-draw counts as one call).
static uint64_t g_drawCalls = 0;
static uint64_t g_drawnIndices = 0;
static bool g_drawsReachGl = true;
static PFNGLMULTIDRAWELEMENTSPROC g_realMultiDrawElements = nullptr;

static void GLAPIENTRY countMultiDrawElements(GLenum mode, const GLsizei* counts, GLenum type,
                                              const void* const* offsets, GLsizei drawCount) {
    ++g_drawCalls;
    for (GLsizei i = 0; i < drawCount; ++i) g_drawnIndices += (uint64_t)counts[i];
    if (g_drawsReachGl) g_realMultiDrawElements(mode, counts, type, offsets, drawCount);
}

bool startBenchDemo() {
    static const bool started = [] {
        if (!startHeadless(64, 64, demoCallbacks())) return false;
        g_realMultiDrawElements = __glewMultiDrawElements;
        __glewMultiDrawElements = countMultiDrawElements;
        return true;
    }();
    return started;
}

extern "C" void __real_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
extern "C" void __wrap_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++g_drawCalls;
    g_drawnIndices += (uint64_t)count;
    if (g_drawsReachGl) __real_glDrawElements(mode, count, type, indices);
}

uint64_t drawCallCount() { return g_drawCalls; }
uint64_t drawnIndexCount() { return g_drawnIndices; }

void setDrawsReachGl(bool enabled) { g_drawsReachGl = enabled; }
