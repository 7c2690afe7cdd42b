// The engine's window procedure and message pump: key and button messages
// become KeyboardState and MouseState transitions, a lost focus releases
// every key and button, a close request destroys the window and asks the
// main loop to end, a new client size becomes the Engine's width and height,
// F11 and Alt+Enter switch the window between full screen and the work area.
// The keyboard never opens the system menu.
#pragma once

#include <cstdint>

#include "platform/messages.h"

intptr_t windowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Takes and dispatches every pending message.
void pumpMessages();

// Set by Escape or by closing the window; the main loop ends when it is true.
bool quitRequested();
void setQuitRequested(bool requested);
// True from a WM_SIZE that says minimised until the next WM_SIZE.
bool windowMinimised();
