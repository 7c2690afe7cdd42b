// The Win32 message queue: the real one on Windows, an emulation over SDL
// events elsewhere. The engine registers one window procedure; pumping takes
// each message off the queue and hands it to that procedure. Keys arrive as
// Windows virtual-key codes (OS key repeat as repeated key-downs), mouse
// buttons and the wheel as their WM_ messages, the close button as WM_CLOSE
// a lost keyboard focus as WM_KILLFOCUS and a new client size as WM_SIZE
// (the size the system really gave, 0 x 0 when minimised). Posted messages (synthetic
// keys, WM_QUIT) go through the same queue, ahead of new SDL events. A key
// pressed with Alt held arrives as WM_SYSKEYDOWN, as on Windows.
//
// On Windows, <windows.h> defines the same names as macros of the same
// values: the layer includes it after this header.
#pragma once

#include <cstdint>

struct PlatformWindow;

enum : uint32_t {
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_KILLFOCUS = 0x0008,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_SYSKEYDOWN = 0x0104,  // a key pressed while Alt is held (bit 29 of lParam set)
    WM_SYSCHAR = 0x0106,
    WM_SYSCOMMAND = 0x0112,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,
};

// Virtual-key codes the layer produces.
enum : uint32_t {
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_F11 = 122,
    VK_LSHIFT = 160,
    VK_RSHIFT = 161,
};
constexpr int kWheelDelta = 120;  // one notch

// WM_SYSCOMMAND command (the system uses the low four bits of wParam): the
// system menu asked for from the keyboard (Alt or F10 alone, Alt+Space).
enum : uint32_t { SC_KEYMENU = 0xF100 };

// WM_SIZE: wParam says why; lParam holds the client width in the low 16 bits
// and the height in the high 16 bits.
enum : uint32_t { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1 };

struct PlatformMessage {
    PlatformWindow* window = nullptr;  // null for WM_QUIT
    uint32_t message = 0;
    uintptr_t wParam = 0;  // key: virtual key; wheel: signed delta in the high 16 bits
    intptr_t lParam = 0;  // mouse: client x in the low 16 bits, y in the high 16 bits
    void* systemWindow = nullptr;  // Win32: the target window's handle, which may be none of the engine's
};

typedef intptr_t (*WindowProcedure)(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Installs the procedure that receives every dispatched message: registers
// the window class "myWindowClass" on Win32, starts the event queue on SDL.
// False when that fails.
bool registerWindowProcedure(WindowProcedure procedure);

// Removes the next message; false when the queue is empty.
bool peekMessage(PlatformMessage* message);
// Translates it (Win32: key messages also queue their characters) and calls
// the window procedure with it; messages without a window go nowhere.
intptr_t dispatchMessage(const PlatformMessage& message);
// Calls the window procedure at once (not queued).
intptr_t sendMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void postMessage(const PlatformMessage& message);
void postQuitMessage(int exitCode);
// Queues a key transition for the main window as if typed (a repeated
// key-down is OS key repeat).
void postKeyMessage(uint32_t virtualKey, bool down);

// What Windows does for messages the engine leaves alone: WM_CLOSE destroys
// the window; everything else returns 0.
intptr_t defaultWindowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
