#include "platform/window.h"
#include "platform/messages.h"

#include "platform/win32/win32_layer.h"

#include <cstring>

namespace {
constexpr int kMaxWindows = 4;
// Caption with system menu and minimise box: no sizing border, no maximise box.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct VideoState {
    bool offscreen = false;
    int offscreenWidth = 0, offscreenHeight = 0;
    PlatformWindow windows[kMaxWindows];
    int windowCount = 0;
};

VideoState& video() {
    static VideoState state;
    return state;
}

typedef BOOL(WINAPI* SwapIntervalFunction)(int interval);
}  // namespace

HINSTANCE moduleInstance() {
    static HINSTANCE instance = GetModuleHandleA(nullptr);
    return instance;
}

PlatformWindow* platformWindowFromHandle(HWND handle) {
    VideoState& state = video();
    if (!handle) return nullptr;
    for (int i = 0; i < state.windowCount; ++i)
        if (state.windows[i].handle == handle) return &state.windows[i];
    return nullptr;
}

HGLRC createWglContext(HDC deviceContext, int depthBits, int swapInterval) {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = static_cast<BYTE>(depthBits);
    format.iLayerType = PFD_MAIN_PLANE;
    // The closest format; when none can be set the context creation below fails.
    SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &format), &format);

    HGLRC context = wglCreateContext(deviceContext);
    if (!context) return nullptr;
    wglMakeCurrent(deviceContext, context);
    // Missing extension: frames are presented without vertical synchronisation.
    if (auto swapIntervalExt =
            reinterpret_cast<SwapIntervalFunction>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT"))))
        swapIntervalExt(swapInterval);
    return context;
}

void useOffscreenVideo(int width, int height) {
    VideoState& state = video();
    state.offscreen = true;
    state.offscreenWidth = width;
    state.offscreenHeight = height;
}

bool offscreenVideo() { return video().offscreen; }

bool startVideo() { return true; }  // user32 is always there

bool desktopWorkArea(PlatformRect* area) {
    VideoState& state = video();
    if (state.offscreen) {
        *area = {0, 0, state.offscreenWidth, state.offscreenHeight};
        return true;
    }
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return false;
    *area = {work.left, work.top, work.right, work.bottom};
    return true;
}

PlatformWindow* createPlatformWindow(const char* title, const PlatformRect& client) {
    VideoState& state = video();
    if (state.windowCount == kMaxWindows) return nullptr;
    int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return nullptr;

    // The window rectangle is the client rectangle grown by the frame, so
    // that the client area lands exactly on `client`. The offscreen window
    // has no frame and is never shown.
    DWORD style = state.offscreen ? WS_POPUP : kWindowStyle;
    RECT frame = {client.left, client.top, client.right, client.bottom};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND handle = CreateWindowExA(WS_EX_ACCEPTFILES, "myWindowClass", title, style, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  moduleInstance(), nullptr);
    if (!handle) return nullptr;
    PlatformWindow* window = &state.windows[state.windowCount++];
    window->handle = handle;
    std::strncpy(window->title, title, sizeof(window->title) - 1);
    return window;
}

void showPlatformWindow(PlatformWindow* window) {
    if (!window || window->destroyed || video().offscreen) return;
    ShowWindow(window->handle, SW_SHOW);
    UpdateWindow(window->handle);
}

void setPlatformWindowTitle(PlatformWindow* window, const char* title) {
    if (!window || window->destroyed) return;
    SetWindowTextA(window->handle, title);
    std::strncpy(window->title, title, sizeof(window->title) - 1);
    window->title[sizeof(window->title) - 1] = '\0';
}

const char* platformWindowTitle(PlatformWindow* window) { return window ? window->title : ""; }

bool platformWindowClientRect(PlatformWindow* window, PlatformRect* client) {
    if (!window || window->destroyed) return false;
    RECT area;
    POINT origin = {0, 0};
    if (!GetClientRect(window->handle, &area) || !ClientToScreen(window->handle, &origin)) return false;
    *client = {origin.x, origin.y, origin.x + area.right, origin.y + area.bottom};
    return true;
}

bool setPlatformWindowFullScreen(PlatformWindow* window, bool fullScreen) {
    if (!window || window->destroyed) return false;
    HWND handle = window->handle;
    if (fullScreen) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoA(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor) ||
            !GetWindowRect(handle, &window->windowedRect))
            return false;
        window->windowedStyle = GetWindowLongA(handle, GWL_STYLE);
        SetWindowLongA(handle, GWL_STYLE,
                       (window->windowedStyle & ~(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)) | WS_POPUP);
        const RECT& screen = monitor.rcMonitor;
        return SetWindowPos(handle, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                            screen.bottom - screen.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    }
    if (window->windowedStyle == 0) return false;  // never full screen
    SetWindowLongA(handle, GWL_STYLE, window->windowedStyle);
    const RECT& frame = window->windowedRect;
    return SetWindowPos(handle, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                        SWP_FRAMECHANGED | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void destroyPlatformWindow(PlatformWindow* window) {
    if (!window || window->destroyed) return;
    // Sends WM_DESTROY to the window procedure while the handle still maps
    // to this window. The record stays as a dead window: the rest of the
    // frame in flight skips its swap.
    DestroyWindow(window->handle);
    window->destroyed = true;
}

bool platformWindowDestroyed(PlatformWindow* window) { return !window || window->destroyed; }

PlatformGlContext createPlatformGlContext(PlatformWindow* window) {
    if (!window || window->destroyed) return nullptr;
    // The class has no own device context: this one is kept for the window's life.
    window->deviceContext = GetDC(window->handle);
    if (!window->deviceContext) return nullptr;
    return createWglContext(window->deviceContext, 16, video().offscreen ? 0 : 1);
}

void swapPlatformBuffers(PlatformWindow* window) {
    if (window && !window->destroyed) SwapBuffers(window->deviceContext);
}

PlatformWindow* firstPlatformWindow() {
    VideoState& state = video();
    return state.windowCount > 0 ? &state.windows[0] : nullptr;
}
