#include "platform/message_box.h"
#include "platform/window.h"

#include <windows.h>

#include <cstdio>

void showErrorBox(const char* text) {
    // A headless run must never block on a modal box.
    if (!offscreenVideo() && MessageBoxA(nullptr, text, "Error!", MB_OK | MB_ICONWARNING) != 0) return;
    std::fprintf(stderr, "Error! %s\n", text);
}
