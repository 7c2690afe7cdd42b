#include "platform/posted/posted_messages.h"

#include "platform/window.h"

PostedMessages& postedMessages() {
    static PostedMessages state;
    return state;
}

bool takePostedMessage(PlatformMessage* message) {
    PostedMessages& state = postedMessages();
    if (state.posted.empty()) return false;
    *message = state.posted.front();
    state.posted.pop_front();
    return true;
}

// A message queued for a window destroyed since reaches nobody, as on Windows
// (SDL's own events for a window can still be queued behind its destruction).
intptr_t dispatchMessage(const PlatformMessage& message) {
    if (!message.window || platformWindowDestroyed(message.window)) return 0;
    return sendMessage(message.window, message.message, message.wParam, message.lParam);
}

intptr_t sendMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    WindowProcedure procedure = postedMessages().procedure;
    if (procedure) return procedure(window, message, wParam, lParam);
    return defaultWindowProcedure(window, message, wParam, lParam);
}

void postMessage(const PlatformMessage& message) { postedMessages().posted.push_back(message); }

void postQuitMessage(int exitCode) {
    PlatformMessage message;
    message.message = WM_QUIT;
    message.wParam = static_cast<uintptr_t>(exitCode);
    postMessage(message);
}

void postKeyMessage(uint32_t virtualKey, bool down) {
    PlatformMessage message;
    message.window = firstPlatformWindow();
    message.message = down ? WM_KEYDOWN : WM_KEYUP;
    message.wParam = virtualKey;
    message.lParam = 1;
    postMessage(message);
}

intptr_t defaultWindowProcedure(PlatformWindow* window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE) destroyPlatformWindow(window);
    return 0;
}
