#include "platform/message_box.h"
#include "platform/window.h"

#include <windows.h>

#include <cstdio>

void showErrorBox(const char* text) {
    // A headless run must never block on a modal box. A box that cannot
    // show (no display) gives 0, or -1 under Wine.
    if (!offscreenVideo() && MessageBoxA(nullptr, text, "Error!", MB_OK | MB_ICONWARNING) > 0) return;
    std::fprintf(stderr, "Error! %s\n", text);
}
