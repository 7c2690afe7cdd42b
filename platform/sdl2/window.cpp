#include "platform/window.h"

#include "platform/sdl2/sdl_layer.h"

#include <SDL2/SDL.h>
#include <malloc.h>

#include <cstdio>

#include "platform/messages.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    bool destroyed = false;
};

namespace {
constexpr int kMaxWindows = 4;

struct VideoState {
    bool offscreen = false;
    int offscreenWidth = 0, offscreenHeight = 0;
    bool started = false;
    PlatformWindow windows[kMaxWindows];
    int windowCount = 0;
};

VideoState& video() {
    static VideoState state;
    return state;
}

// SDL's "offscreen" and "dummy" video drivers put nothing in front of a person.
bool driverShowsWindows(const char* driver) {
    return driver && SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0;
}
}  // namespace

void useOffscreenVideo(int width, int height) {
    VideoState& state = video();
    state.offscreen = true;
    state.offscreenWidth = width;
    state.offscreenHeight = height;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
}

bool offscreenVideo() { return video().offscreen; }

bool startVideo() {
    VideoState& state = video();
    if (state.started) return true;
    // Mesa's software rasteriser allocates and frees megabytes of vertex
    // buffers on every draw. By default glibc hands the freed top of the heap
    // back to the kernel each time and the next draw faults every page in
    // again, which cost more than a third of a small frame. Keep it instead.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // see registerWindowProcedure
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without X or Wayland SDL falls back to drivers that show nothing; the
    // demo's window would then run unseen, beyond the reach of Escape.
    if (!state.offscreen && !driverShowsWindows(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    state.started = true;
    return true;
}

bool desktopWorkArea(PlatformRect* area) {
    VideoState& state = video();
    if (state.offscreen) {
        *area = {0, 0, state.offscreenWidth, state.offscreenHeight};
        return true;
    }
    SDL_Rect usable;
    if (!startVideo() || SDL_GetDisplayUsableBounds(0, &usable) != 0) return false;
    *area = {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    return true;
}

PlatformWindow* createPlatformWindow(const char* title, const PlatformRect& client) {
    VideoState& state = video();
    if (!startVideo() || state.windowCount == kMaxWindows) return nullptr;
    int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return nullptr;

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    // SDL places the client area, not the frame, at (x, y). Not resizable
    // means no sizing border and no maximise button.
    SDL_Window* sdl =
        SDL_CreateWindow(title, client.left, client.top, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!sdl) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return nullptr;
    }
    PlatformWindow* window = &state.windows[state.windowCount++];
    window->sdl = sdl;
    return window;
}

void showPlatformWindow(PlatformWindow* window) {
    if (window && !window->destroyed) {
        SDL_ShowWindow(window->sdl);
        SDL_RaiseWindow(window->sdl);
    }
}

void setPlatformWindowTitle(PlatformWindow* window, const char* title) {
    if (window && !window->destroyed) SDL_SetWindowTitle(window->sdl, title);
}

const char* platformWindowTitle(PlatformWindow* window) { return window ? SDL_GetWindowTitle(window->sdl) : ""; }

bool platformWindowClientRect(PlatformWindow* window, PlatformRect* client) {
    if (!window || window->destroyed) return false;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    *client = {x, y, x + width, y + height};
    return true;
}

bool setPlatformWindowFullScreen(PlatformWindow* window, bool fullScreen) {
    if (!window || window->destroyed) return false;
    return SDL_SetWindowFullscreen(window->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void destroyPlatformWindow(PlatformWindow* window) {
    if (!window || window->destroyed) return;
    // The SDL window is only hidden: the GL context keeps a valid drawable, so
    // the rest of the current frame cannot fault. The OS reclaims it at exit.
    window->destroyed = true;
    SDL_HideWindow(window->sdl);
    sendMessage(window, WM_DESTROY, 0, 0);
}

bool platformWindowDestroyed(PlatformWindow* window) { return !window || window->destroyed; }

PlatformGlContext createPlatformGlContext(PlatformWindow* window) {
    if (!window || window->destroyed) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (!context) {
        std::fprintf(stderr, "SDL_GL_CreateContext: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_GL_MakeCurrent(window->sdl, context);
    SDL_GL_SetSwapInterval(video().offscreen ? 0 : 1);  // failure: frames run unsynchronised
    return context;
}

void swapPlatformBuffers(PlatformWindow* window) {
    if (window && !window->destroyed) SDL_GL_SwapWindow(window->sdl);
}

PlatformWindow* firstPlatformWindow() {
    VideoState& state = video();
    return state.windowCount > 0 ? &state.windows[0] : nullptr;
}

PlatformWindow* platformWindowFromSdlId(uint32_t sdlWindowId) {
    VideoState& state = video();
    for (int i = 0; i < state.windowCount; ++i)
        if (SDL_GetWindowID(state.windows[i].sdl) == sdlWindowId) return &state.windows[i];
    return nullptr;
}

SDL_Window* sdlWindowOf(PlatformWindow* window) { return window ? window->sdl : nullptr; }
