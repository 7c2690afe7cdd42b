#include "platform/messages.h"

#include <emscripten/html5.h>

#include "platform/web/web_layer.h"
#include "platform/posted/posted_messages.h"
#include "platform/window.h"

namespace {
// The pointer's last position in the page, once it has moved, and the
// canvas's drawing-buffer size last reported.
struct Pointer {
    bool seen = false;
    int x = 0, y = 0;
    int canvasWidth = 0, canvasHeight = 0;
};

Pointer& pointer() {
    static Pointer state;
    return state;
}

intptr_t packPoint(long x, long y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}

// A point in CSS pixels of the page as a point of the canvas's drawing
// buffer, which has device pixels (the device pixel ratio, capped).
void canvasPoint(double cssX, double cssY, int* x, int* y) {
    double cssWidth = 0.0, cssHeight = 0.0;
    int width = 0, height = 0;
    emscripten_get_element_css_size(kCanvasSelector, &cssWidth, &cssHeight);
    emscripten_get_canvas_element_size(kCanvasSelector, &width, &height);
    *x = static_cast<int>(cssWidth > 0.0 ? cssX * width / cssWidth : cssX);
    *y = static_cast<int>(cssHeight > 0.0 ? cssY * height / cssHeight : cssY);
}

void queueMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PlatformWindow* window = firstPlatformWindow();
    if (!window) return;  // nothing to receive it before the window exists
    PlatformMessage m;
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    postMessage(m);
}

// Browser events arrive between frames; they wait in the queue for the
// next pump, as Windows messages do. Keys the engine knows are kept from
// the page (no scrolling on Space or the arrows), unless Ctrl, Alt or Meta
// is held: the browser's shortcuts (reload, find, print...) keep working.
// Others, F5, F11 and F12 among them, keep their browser meaning.
EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*) {
    const uint32_t virtualKey = virtualKeyFromBrowser(static_cast<uint32_t>(event->keyCode));
    if (virtualKey == 0) return false;
    const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
    // Repeat count 1; bit 30 set when the key was already down (OS repeat).
    queueMessage(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 1 | (event->repeat ? (1 << 30) : 0));
    return !event->ctrlKey && !event->altKey && !event->metaKey;
}

// A page that loses the focus or is hidden gets no key-up for the keys let
// go meanwhile: it lets go of everything, as a window losing the focus does.
EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
    queueMessage(WM_KILLFOCUS, 0, 0);
    return false;
}

EM_BOOL onVisibilityChange(int, const EmscriptenVisibilityChangeEvent* event, void*) {
    if (event->hidden) queueMessage(WM_KILLFOCUS, 0, 0);
    return false;
}

EM_BOOL onMouseButton(int eventType, const EmscriptenMouseEvent* event, void*) {
    const bool down = eventType == EMSCRIPTEN_EVENT_MOUSEDOWN;
    uint32_t message = 0;
    switch (event->button) {
    case 0: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case 1: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case 2: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    default: return false;
    }
    int x = 0, y = 0;
    canvasPoint(event->targetX, event->targetY, &x, &y);
    queueMessage(message, 0, packPoint(x, y));
    return false;
}

// The canvas lies at the page's top-left, so page coordinates are canvas
// coordinates in CSS pixels; the pointer reads outside the canvas too.
EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    Pointer& state = pointer();
    state.seen = true;
    canvasPoint(event->clientX, event->clientY, &state.x, &state.y);
    return false;
}

EM_BOOL onWheel(int, const EmscriptenWheelEvent* event, void*) {
    if (event->deltaY == 0.0) return false;  // horizontal scrolling
    // The page scrolls up (negative deltaY) when the wheel turns forward.
    const int delta = event->deltaY < 0.0 ? kWheelDelta : -kWheelDelta;
    queueMessage(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16, 0);
    return true;
}
}  // namespace

bool registerWindowProcedure(WindowProcedure procedure) {
    if (!pageAvailable()) return false;
    const char* page = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    bool ok = emscripten_set_keydown_callback(page, nullptr, true, onKey) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_keyup_callback(page, nullptr, true, onKey) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_mousemove_callback(page, nullptr, true, onMouseMove) == EMSCRIPTEN_RESULT_SUCCESS;
    // Buttons as on Windows: pressed on the canvas, released anywhere.
    ok = ok &&
         emscripten_set_mousedown_callback(kCanvasSelector, nullptr, true, onMouseButton) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_mouseup_callback(page, nullptr, true, onMouseButton) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_wheel_callback(kCanvasSelector, nullptr, true, onWheel) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_blur_callback(page, nullptr, true, onBlur) == EMSCRIPTEN_RESULT_SUCCESS;
    ok = ok && emscripten_set_visibilitychange_callback(nullptr, true, onVisibilityChange) == EMSCRIPTEN_RESULT_SUCCESS;
    if (!ok) return false;
    postedMessages().procedure = procedure;
    return true;
}

// Browser events are queued as they arrive, so the posted queue is all there
// is. The page resizes the canvas's drawing buffer (a resized window, full
// screen, another device pixel ratio): the engine hears of it as of a window
// resized, with the frame's messages.
bool peekMessage(PlatformMessage* message) {
    Pointer& state = pointer();
    int width = 0, height = 0;
    if (firstPlatformWindow() &&
        emscripten_get_canvas_element_size(kCanvasSelector, &width, &height) == EMSCRIPTEN_RESULT_SUCCESS &&
        (width != state.canvasWidth || height != state.canvasHeight)) {
        state.canvasWidth = width;
        state.canvasHeight = height;
        queueMessage(WM_SIZE, 0, packPoint(width, height));
    }
    return takePostedMessage(message);
}

bool lastPointerPosition(int* x, int* y) {
    const Pointer& state = pointer();
    if (!state.seen) return false;
    *x = state.x;
    *y = state.y;
    return true;
}

uint32_t virtualKeyFromBrowser(uint32_t keyCode) {
    // A browser's keyCode is the Windows virtual key for every key the
    // engine maps, and like WM_KEYDOWN it reports either Shift or Control
    // by the shared code.
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z')) return keyCode;
    switch (keyCode) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_CONTROL:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_SHIFT: return keyCode;
    default: return 0;
    }
}
