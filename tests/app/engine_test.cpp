#include <gtest/gtest.h>
#ifndef _WIN32
#include <SDL2/SDL.h>  // real key and window events through the SDL layer
#endif

#include "app/clock.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/main_loop.h"
#include "app/messages.h"
#include "app/window.h"
#include "platform/cursor.h"
#include "platform/sound.h"
#include "render/renderer.h"
#include "scene/camera.h"
#ifdef _WIN32
#include "platform/win32/win32_layer.h"  // the window handle, for the system's default handling
#endif

namespace {
constexpr int kWidth = 96, kHeight = 64;

// The engine started once per process on the offscreen driver.
bool startOffscreenEngine() {
    static bool started = [] {
        useOffscreenVideo(kWidth, kHeight);
        setSoundEnabled(false);
        if (!engineStartup()) return false;
        inputStartup();
        return true;
    }();
    return started;
}

void pumpFrame() {
    beginKeyboardFrame(*keyboardState());
    pumpMessages();
}

#ifdef _WIN32
WNDPROC g_windowProcedure = nullptr;
int g_menuLoopsEntered = 0, g_menuLoopsLeft = 0;

// Counts the menu loops the system enters and leaves for the window, around
// its own procedure; a menu loop waiting for input is typed an Escape.
LRESULT CALLBACK countMenuLoops(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERMENULOOP) ++g_menuLoopsEntered;
    if (message == WM_EXITMENULOOP) ++g_menuLoopsLeft;
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) postKeyMessage(VK_ESCAPE, true);
    return CallWindowProcA(g_windowProcedure, window, message, wParam, lParam);
}
#endif
}  // namespace

TEST(Cursor, ShowAndHideChangeTheSystemCountOncePerChange) {
    setCursorVisibleFlag(false);
    int before = cursorShowCount();
    showCursor();
    showCursor();
    EXPECT_EQ(cursorShowCount(), before + 1);
    EXPECT_TRUE(cursorVisible());
    hideCursor();
    hideCursor();
    EXPECT_EQ(cursorShowCount(), before);
    EXPECT_FALSE(cursorVisible());
}

// The system may give the window another client size than the one asked
// for (Windows keeps a window within the screen) or change it later: the
// size it reports becomes the Engine's, and the next frame draws at it with
// the cameras that follow the screen. A minimised window keeps its size.
TEST(EngineWindow, ClientSizeTheSystemReportsIsTheSizeDrawnAt) {
    ASSERT_TRUE(startOffscreenEngine());
    Engine& record = *engine();
#ifdef _WIN32
    PlatformWindow* window = engineWindowTable().entries[record.windowIndex].window;
#endif
    auto resizeTo = [&](int width, int height) {
#ifdef _WIN32
        SetWindowPos(window->handle, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
#else
        SDL_Event resized{};
        resized.type = SDL_WINDOWEVENT;
        resized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        resized.window.data1 = width;
        resized.window.data2 = height;
        SDL_PushEvent(&resized);
#endif
        pumpFrame();
    };
    ScreenSize screen;
    screen.width = kWidth;
    screen.height = kHeight;
    setScreenSize(screen);
    CAMERA3D follower, fixed;
    fixed.ownViewport = Viewport{0, 0, 10, 10};

    resizeTo(80, 50);
    EXPECT_EQ(record.width, 80);
    EXPECT_EQ(record.height, 50);
    ASSERT_TRUE(runMainLoopSteps(0));
    EXPECT_EQ(screenSize().width, 80);
    EXPECT_EQ(screenSize().height, 50);
    EXPECT_EQ(follower.ownViewport.width, 80);
    EXPECT_EQ(follower.ownViewport.height, 50);
    EXPECT_DOUBLE_EQ(follower.aspect, 1.6);
    EXPECT_EQ(fixed.ownViewport.width, 10);
    EXPECT_DOUBLE_EQ(fixed.aspect, 1.5);

#ifdef _WIN32
    sendMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
#else
    SDL_Event minimised{};
    minimised.type = SDL_WINDOWEVENT;
    minimised.window.event = SDL_WINDOWEVENT_MINIMIZED;
    SDL_PushEvent(&minimised);
    pumpFrame();
#endif
    EXPECT_TRUE(windowMinimised());
    EXPECT_EQ(record.width, 80);
    ASSERT_TRUE(runMainLoopSteps(0));
    EXPECT_EQ(follower.ownViewport.width, 80);

    resizeTo(kWidth, kHeight);
    EXPECT_FALSE(windowMinimised());
    ASSERT_TRUE(runMainLoopSteps(0));
    EXPECT_EQ(follower.ownViewport.width, kWidth);
    record.frameCount = 0;  // as the start-up left it, for the test below
}

// Start-up, the loop's Escape exit and the close request, in order: the close
// destroys the one window.
TEST(EngineLifecycle, StartUpEscapeAndClose) {
    ASSERT_TRUE(startOffscreenEngine());
    Engine& record = *engine();
    EXPECT_EQ(record.width, kWidth);
    EXPECT_EQ(record.height, kHeight);
    EXPECT_EQ(record.designWidth, 1920);
    EXPECT_EQ(record.designHeight, 1080);
    EXPECT_TRUE(record.swapEnabled);
    EXPECT_EQ(record.frameCount, 0);
    const EngineWindowTable& table = engineWindowTable();
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(record.windowIndex, 0);
    const EngineWindow& main = table.entries[0];
    EXPECT_NE(main.glContext, nullptr);
    EXPECT_EQ(main.clientX, 0);
    EXPECT_EQ(main.clientY, 0);
    EXPECT_STREQ(platformWindowTitle(main.window), "");
    EXPECT_TRUE(cursorVisible());
    EXPECT_FALSE(quitRequested());
    ASSERT_NE(keyboardState(), nullptr);
    EXPECT_EQ(keyboardState()->lastKey, kNoKey);
    EXPECT_EQ(keyboardState()->repeatDelay, 15);
    ASSERT_NE(mouseState(), nullptr);

    // Keys typed through the queue reach the keyboard state in that frame.
    postKeyMessage('Q', true);
    postKeyMessage('Q', true);  // OS repeat
    pumpFrame();
    EXPECT_TRUE(keyboardState()->pressed[KEY_Q]);
    postKeyMessage('Q', false);
    pumpFrame();
    EXPECT_FALSE(keyboardState()->held[KEY_Q]);
    EXPECT_FALSE(keyboardState()->pressed[KEY_Q]);

#ifndef _WIN32
    // Right Shift from the keyboard holds Shift, as either Shift key does.
    SDL_Event shift{};
    shift.type = SDL_KEYDOWN;
    shift.key.keysym.sym = SDLK_RSHIFT;
    SDL_PushEvent(&shift);
    pumpFrame();
    EXPECT_TRUE(keyboardState()->held[KEY_SHIFT]);
    EXPECT_FALSE(keyboardState()->held[KEY_RIGHT_SHIFT]);
    shift.type = SDL_KEYUP;
    SDL_PushEvent(&shift);
    pumpFrame();
    EXPECT_FALSE(keyboardState()->held[KEY_SHIFT]);
#endif

    // Losing the focus (Alt+Tab) lets go of every key and button held: their
    // key-ups go to the window that takes the focus.
    postKeyMessage('Q', true);
    postKeyMessage(VK_SHIFT, true);
    pumpFrame();
    Stopwatch secondOld = startStopwatch();
    secondOld.offset = secondOld.frequency;  // past the 100 ms guard on presses
    buttonDown(*mouseState(), secondOld, 1);
    buttonDown(*mouseState(), secondOld, 3);
    ASSERT_TRUE(mouseState()->held[1]);
#ifdef _WIN32
    sendMessage(main.window, WM_KILLFOCUS, 0, 0);
#else
    SDL_Event focusLost{};
    focusLost.type = SDL_WINDOWEVENT;
    focusLost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focusLost);
#endif
    pumpFrame();
    EXPECT_FALSE(keyboardState()->held[KEY_Q]);
    EXPECT_FALSE(keyboardState()->held[KEY_SHIFT]);
    EXPECT_FALSE(mouseState()->held[1]);
    EXPECT_FALSE(mouseState()->held[3]);

#ifdef _WIN32
    // The mouse stays captured while any button is held, so that a release
    // outside the window still reaches it.
    inputStopwatch()->offset = inputStopwatch()->frequency;  // past the guard on presses
    sendMessage(main.window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    sendMessage(main.window, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
    EXPECT_EQ(GetCapture(), main.window->handle);
    sendMessage(main.window, WM_LBUTTONUP, MK_RBUTTON, 0);
    EXPECT_EQ(GetCapture(), main.window->handle);
    sendMessage(main.window, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
#endif

#ifdef _WIN32
    // The offscreen window gets the real window's style and system menu, so
    // that the system's default handling would open that menu.
    HWND handle = main.window->handle;
    SetWindowLongA(handle, GWL_STYLE, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    GetSystemMenu(handle, FALSE);
    g_windowProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countMenuLoops)));
#endif
    // Escape ends the iteration before the update: nothing counted or drawn.
    // Alt or F10 alone just before asks for the system menu, whose modal loop
    // would stop the frames and take that Escape: the menu never opens.
    int updates = frameCounters().updatesDone, frames = frameCounters().framesDrawn;
    postKeyMessage(VK_ESCAPE, true);
    sendMessage(main.window, WM_SYSCOMMAND, SC_KEYMENU | 2, 0);  // the system's own low bits set
#ifdef _WIN32
    EXPECT_EQ(g_menuLoopsEntered, 0);
#endif
    EXPECT_FALSE(runMainLoopIteration());
    EXPECT_TRUE(quitRequested());
    EXPECT_EQ(frameCounters().updatesDone, updates);
    EXPECT_EQ(frameCounters().framesDrawn, frames);
    EXPECT_EQ(record.frameCount, 0);
    postKeyMessage(VK_ESCAPE, false);
    setQuitRequested(false);
#ifdef _WIN32
    // Alt+Space opens the system menu, the keyboard's way to move or close a
    // window out of the mouse's reach; Escape leaves it and ends nothing.
    sendMessage(main.window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_EQ(g_menuLoopsEntered, 1);
    EXPECT_EQ(g_menuLoopsLeft, 1);
    pumpFrame();
    EXPECT_FALSE(quitRequested()) << "an Escape typed in the menu reached the engine";
#endif

    // A close request destroys the window and asks the loop to end. On
    // Windows it comes from Alt+F4 through the system's default handling.
#ifdef _WIN32
    sendMessage(main.window, WM_SYSKEYDOWN, VK_F4, 1 << 29);  // bit 29: Alt is down
#else
    PlatformMessage close;
    close.window = main.window;
    close.message = WM_CLOSE;
    postMessage(close);
#endif
    pumpFrame();
    EXPECT_TRUE(quitRequested());
    EXPECT_TRUE(platformWindowDestroyed(main.window));
    PlatformMessage next;
    EXPECT_FALSE(peekMessage(&next));  // the quit message was pumped too
    EXPECT_FALSE(setCursorPosition(5, 5, 0));
    beginMouseFrame(*mouseState());  // no cursor over a dead window: (0, 0)
    EXPECT_EQ(mouseState()->pixelX, 0);
    swapBuffers(0);  // harmless on the destroyed window
}
