#include "platform/messages.h"

#include <SDL2/SDL.h>

#include "platform/sdl2/sdl_layer.h"
#include "platform/posted/posted_messages.h"
#include "platform/window.h"

namespace {
PlatformWindow* targetWindow(uint32_t sdlWindowId) {
    // Key events carry no window while none has keyboard focus (X without a
    // window manager); the engine has one window, so they belong to it.
    PlatformWindow* window = platformWindowFromSdlId(sdlWindowId);
    return window ? window : firstPlatformWindow();
}

intptr_t packPoint(int x, int y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}

// Turns an SDL event into the message Windows would deliver; false for
// events that have none.
bool translateEvent(const SDL_Event& event, PlatformMessage* message) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint32_t virtualKey = virtualKeyFromSdl(event.key.keysym.sym);
        if (virtualKey == 0) return false;
        message->window = targetWindow(event.key.windowID);
        // A key pressed with Alt held is a system key, as on Windows.
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        message->message = event.type == SDL_KEYUP ? WM_KEYUP : alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        message->wParam = virtualKey;
        // Repeat count 1; bit 29 set with Alt, bit 30 when the key was already down (OS repeat).
        message->lParam = 1 | (alt ? (1 << 29) : 0) | (event.key.repeat ? (1 << 30) : 0);
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT: message->message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: message->message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        case SDL_BUTTON_RIGHT: message->message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        default: return false;
        }
        message->window = targetWindow(event.button.windowID);
        message->wParam = 0;
        message->lParam = packPoint(event.button.x, event.button.y);
        return true;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (notches == 0) return false;  // horizontal scrolling
        int delta = notches * kWheelDelta;
        if (delta > 32767) delta = 32767;
        if (delta < -32768) delta = -32768;
        message->window = targetWindow(event.wheel.windowID);
        message->message = WM_MOUSEWHEEL;
        message->wParam = static_cast<uintptr_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16;
        message->lParam = 0;
        return true;
    }
    case SDL_WINDOWEVENT:
        message->window = targetWindow(event.window.windowID);
        message->wParam = 0;
        message->lParam = 0;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: message->message = WM_CLOSE; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: message->message = WM_KILLFOCUS; return true;
        // The size the window manager really gave (which may differ from the
        // one asked for), as Windows reports it.
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            message->message = WM_SIZE;
            message->lParam = packPoint(event.window.data1, event.window.data2);
            return true;
        // Minimised or unmapped: nothing of it can be seen until it is back.
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            message->message = WM_SIZE;
            message->wParam = SIZE_MINIMIZED;
            return true;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN: {
            int width = 0, height = 0;
            SDL_GetWindowSize(sdlWindowOf(message->window), &width, &height);
            message->message = WM_SIZE;
            message->lParam = packPoint(width, height);
            return true;
        }
        default: return false;
        }
    default: return false;
    }
}
}  // namespace

bool registerWindowProcedure(WindowProcedure procedure) {
    // Ctrl+C and SIGTERM end the process as they would any console program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
    postedMessages().procedure = procedure;
    return true;
}

bool peekMessage(PlatformMessage* message) {
    if (takePostedMessage(message)) return true;
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (translateEvent(event, message)) return true;
    return false;
}

uint32_t virtualKeyFromSdl(int32_t sdlKeycode) {
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return 'A' + static_cast<uint32_t>(sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return '0' + static_cast<uint32_t>(sdlKeycode - SDLK_0);
    switch (sdlKeycode) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    // Windows reports either key of a pair by the shared code in WM_KEYDOWN.
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F11: return VK_F11;
    default: return 0;
    }
}
