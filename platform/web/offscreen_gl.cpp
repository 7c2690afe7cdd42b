#include "platform/offscreen_gl.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "platform/web/web_layer.h"

// A WebGL 2 context on a canvas of its own that is never put on the page.
// Outside a browser (node) there is no WebGL.
namespace {
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_context = 0;
constexpr const char* kOffscreenCanvas = "#offscreen-canvas";
}  // namespace

// JavaScript: clang-format would split its === apart.
// clang-format off
EM_JS(bool, makeOffscreenCanvas, (int width, int height), {
    if (typeof document === "undefined") return false;
    let canvas = document.getElementById("offscreen-canvas");
    if (!canvas) {
        canvas = document.createElement("canvas");
        canvas.id = "offscreen-canvas";
        canvas.style.display = "none";
        document.body.appendChild(canvas);
    }
    canvas.width = width;
    canvas.height = height;
    return true;
});
// clang-format on

bool createOffscreenContext(int width, int height, std::string* error, int depthBits) {
    if (!makeOffscreenCanvas(width, height)) {
        if (error) *error = "no WebGL outside a browser";
        return false;
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.depth = depthBits > 0;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = true;  // read back after the frame
    g_context = emscripten_webgl_create_context(kOffscreenCanvas, &attributes);
    if (g_context <= 0) {
        g_context = 0;
        if (error) *error = "the browser offers no WebGL 2 context";
        return false;
    }
    emscripten_webgl_make_context_current(g_context);
    return true;
}

void makeOffscreenContextCurrent() {
    if (g_context) emscripten_webgl_make_context_current(g_context);
}

void destroyOffscreenContext() {
    if (g_context) emscripten_webgl_destroy_context(g_context);
    g_context = 0;
}
