#include "platform/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>

#include "platform/window.h"

void showErrorBox(const char* text) {
    // Standard error first: a terminal or log keeps the message after the
    // box is gone. A headless run must never block on a modal box.
    std::fprintf(stderr, "Error! %s\n", text);
    if (!offscreenVideo()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Error!", text, nullptr);
}
