// What the web implementation of the platform layer shares between its files.
#pragma once

#include <cstdint>

// The page's canvas, which the main window draws into.
constexpr const char* kCanvasSelector = "#canvas";

// False outside a browser (node), where there is no page, canvas or event.
bool pageAvailable();

// The last pointer position seen, relative to the canvas's top-left; false
// before the pointer has moved over the page.
bool lastPointerPosition(int* x, int* y);

// The virtual key of a browser keydown or keyup's keyCode; 0 for keys the
// layer does not map.
uint32_t virtualKeyFromBrowser(uint32_t keyCode);
