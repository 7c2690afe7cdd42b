#include "platform/offscreen_gl.h"

#include <GL/glew.h>

#include "platform/win32/win32_layer.h"

namespace {
HWND g_window = nullptr;
HDC g_deviceContext = nullptr;
HGLRC g_context = nullptr;

const char* const kClassName = "offscreenGlClass";
}  // namespace

bool createOffscreenContext(int width, int height, std::string* error, int depthBits) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = moduleInstance();
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);  // or already registered by an earlier context
    // A popup window that is never shown: its client area is the framebuffer.
    g_window = CreateWindowExA(0, kClassName, "demo-tool", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                               moduleInstance(), nullptr);
    if (g_window) g_deviceContext = GetDC(g_window);
    if (g_deviceContext) g_context = createWglContext(g_deviceContext, depthBits, 0);
    if (!g_context) {
        if (error)
            *error = g_window ? "no OpenGL context on a hidden window" : "no window can be created (no display?)";
        destroyOffscreenContext();
        return false;
    }
    glewInit();
    return true;
}

void makeOffscreenContextCurrent() {
    if (g_context) wglMakeCurrent(g_deviceContext, g_context);
}

void destroyOffscreenContext() {
    if (g_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(g_context);
    }
    if (g_window) DestroyWindow(g_window);
    g_context = nullptr;
    g_deviceContext = nullptr;
    g_window = nullptr;
}
