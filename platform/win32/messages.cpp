#include "platform/messages.h"
#include "platform/window.h"

#include "platform/win32/win32_layer.h"

namespace {
WindowProcedure g_procedure = nullptr;

// The class's window procedure: engine windows go to the engine's
// procedure, which passes every message on to DefWindowProc itself.
LRESULT CALLBACK classWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    // Moved to a display of another scale, the window keeps the rectangle it
    // was given (the first display's work area) rather than the one the
    // system proposes; a frame of another thickness arrives as WM_SIZE.
    if (message == WM_DPICHANGED) return 0;
    PlatformWindow* window = platformWindowFromHandle(handle);
    if (window && g_procedure) return g_procedure(window, message, wParam, lParam);
    return DefWindowProcA(handle, message, wParam, lParam);
}
}  // namespace

bool registerWindowProcedure(WindowProcedure procedure) {
    g_procedure = procedure;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = 0;
    windowClass.lpfnWndProc = classWindowProcedure;
    windowClass.hInstance = moduleInstance();
    // The program's own icon (resource 1) in the caption and the taskbar;
    // Windows picks the small size from it. Programs without one keep the
    // system's.
    windowClass.hIcon = LoadIconA(moduleInstance(), MAKEINTRESOURCEA(1));
    if (!windowClass.hIcon) windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "myWindowClass";
    // Registered once per process: a second start-up (tests) finds it there.
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool peekMessage(PlatformMessage* message) {
    MSG system;
    if (!PeekMessageA(&system, nullptr, 0, 0, PM_REMOVE)) return false;
    message->window = platformWindowFromHandle(system.hwnd);
    message->systemWindow = system.hwnd;
    message->message = system.message;
    message->wParam = system.wParam;
    message->lParam = system.lParam;
    return true;
}

intptr_t dispatchMessage(const PlatformMessage& message) {
    MSG system = {};
    system.hwnd = static_cast<HWND>(message.systemWindow);
    if (!system.hwnd && message.window) system.hwnd = message.window->handle;
    system.message = message.message;
    system.wParam = message.wParam;
    system.lParam = message.lParam;
    system.time = GetMessageTime();
    GetCursorPos(&system.pt);
    TranslateMessage(&system);
    return DispatchMessageA(&system);
}

intptr_t sendMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (platformWindowDestroyed(window)) return 0;
    return SendMessageA(window->handle, message, wParam, lParam);
}

void postMessage(const PlatformMessage& message) {
    if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
    }
    HWND handle = static_cast<HWND>(message.systemWindow);
    if (!handle && message.window) handle = message.window->handle;
    PostMessageA(handle, message.message, message.wParam, message.lParam);
}

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

void postKeyMessage(uint32_t virtualKey, bool down) {
    PlatformWindow* window = firstPlatformWindow();
    if (platformWindowDestroyed(window)) return;
    // Repeat count 1 and the scan code; a key-up has its previous-state and
    // transition bits set, as the keyboard driver sends it.
    LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16);
    if (!down) lParam |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    PostMessageA(window->handle, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, lParam);
}

intptr_t defaultWindowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // A window destroyed inside this very message (WM_CLOSE) has nothing left to default.
    if (!window || !IsWindow(window->handle)) return 0;
    return DefWindowProcA(window->handle, message, wParam, lParam);
}
