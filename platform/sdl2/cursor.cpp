#include "platform/cursor.h"

#include <SDL2/SDL.h>

#include "platform/sdl2/sdl_layer.h"
#include "platform/window.h"

namespace {
int g_showCount = 0;
}

bool cursorClientPosition(PlatformWindow* window, int* x, int* y) {
    if (platformWindowDestroyed(window) || !SDL_WasInit(SDL_INIT_VIDEO)) return false;
    // The desktop position, so that a cursor outside the window still reads.
    int desktopX = 0, desktopY = 0, originX = 0, originY = 0;
    SDL_GetGlobalMouseState(&desktopX, &desktopY);
    SDL_GetWindowPosition(sdlWindowOf(window), &originX, &originY);
    *x = desktopX - originX;
    *y = desktopY - originY;
    return true;
}

bool warpCursor(PlatformWindow* window, int x, int y) {
    if (platformWindowDestroyed(window)) return false;
    SDL_WarpMouseInWindow(sdlWindowOf(window), x, y);
    return true;
}

int changeCursorShowCount(bool show) {
    g_showCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(g_showCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_showCount;
}

int cursorShowCount() { return g_showCount; }

void captureMouse(PlatformWindow*, bool capture) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
}
