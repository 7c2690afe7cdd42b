#include "platform/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>

#include "platform/window.h"

void showErrorBox(const char* text) {
    // A headless run must never block on a modal box.
    if (!offscreenVideo() && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Error!", text, nullptr) == 0) return;
    std::fprintf(stderr, "Error! %s\n", text);
}
