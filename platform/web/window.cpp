#include "platform/window.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "platform/messages.h"
#include "platform/web/web_layer.h"

// The one window is the page's canvas; the page sizes its drawing buffer
// (the whole page at device pixels, or the size its address asks for) before
// the engine starts and again when the page is resized (messages.cpp reports
// it as WM_SIZE).
struct PlatformWindow {
    std::string title;
    bool destroyed = false;
};

namespace {
struct VideoState {
    bool offscreen = false;
    int offscreenWidth = 0, offscreenHeight = 0;
    PlatformWindow window;
    bool created = false;
};

VideoState& video() {
    static VideoState state;
    return state;
}
}  // namespace

void useOffscreenVideo(int width, int height) {
    VideoState& state = video();
    state.offscreen = true;
    state.offscreenWidth = width;
    state.offscreenHeight = height;
}

bool offscreenVideo() { return video().offscreen; }

bool pageAvailable() {
    return EM_ASM_INT({ return typeof document != "undefined"; }) != 0;
}

bool startVideo() { return pageAvailable(); }

bool desktopWorkArea(PlatformRect* area) {
    VideoState& state = video();
    int width = state.offscreenWidth, height = state.offscreenHeight;
    if (!state.offscreen &&
        emscripten_get_canvas_element_size(kCanvasSelector, &width, &height) != EMSCRIPTEN_RESULT_SUCCESS)
        return false;
    *area = {0, 0, width, height};
    return true;
}

PlatformWindow* createPlatformWindow(const char* title, const PlatformRect& client) {
    VideoState& state = video();
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (state.created || width <= 0 || height <= 0 || !startVideo()) return nullptr;
    // The drawing buffer takes the work area's size (offscreen mode may ask
    // for another size than the page gave).
    if (emscripten_set_canvas_element_size(kCanvasSelector, width, height) != EMSCRIPTEN_RESULT_SUCCESS) return nullptr;
    state.created = true;
    state.window.title = title ? title : "";
    return &state.window;
}

// The canvas is on the page from the start.
void showPlatformWindow(PlatformWindow*) {}

// The page keeps its own title: the window's is kept for the engine only.
void setPlatformWindowTitle(PlatformWindow* window, const char* title) {
    if (window && !window->destroyed) window->title = title ? title : "";
}

const char* platformWindowTitle(PlatformWindow* window) { return window ? window->title.c_str() : ""; }

bool platformWindowClientRect(PlatformWindow* window, PlatformRect* client) {
    if (!window || window->destroyed) return false;
    int width = 0, height = 0;
    emscripten_get_canvas_element_size(kCanvasSelector, &width, &height);
    *client = {0, 0, width, height};
    return true;
}

// The page's full screen goes through the browser's own controls.
bool setPlatformWindowFullScreen(PlatformWindow*, bool) { return false; }

void destroyPlatformWindow(PlatformWindow* window) {
    if (!window || window->destroyed) return;
    window->destroyed = true;
    sendMessage(window, WM_DESTROY, 0, 0);
}

bool platformWindowDestroyed(PlatformWindow* window) { return !window || window->destroyed; }

PlatformGlContext createPlatformGlContext(PlatformWindow* window) {
    if (!window || window->destroyed) return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(kCanvasSelector, &attributes);
    if (context <= 0) return nullptr;
    emscripten_webgl_make_context_current(context);
    return reinterpret_cast<PlatformGlContext>(static_cast<intptr_t>(context));
}

// The browser presents the canvas when the frame's callback returns, once
// per display refresh.
void swapPlatformBuffers(PlatformWindow*) {}

PlatformWindow* firstPlatformWindow() { return video().created ? &video().window : nullptr; }
