#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <vector>

#include "platform/messages.h"
#include "platform/sdl2/sdl_layer.h"
#include "platform/window.h"

namespace {
std::vector<uint32_t> g_received;

intptr_t recordingProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_received.push_back(message);
    if (message == WM_DESTROY) postQuitMessage(0);
    return defaultWindowProcedure(window, message, wParam, lParam);
}

void startQueue() {
    static bool registered = registerWindowProcedure(recordingProcedure);
    ASSERT_TRUE(registered);
    PlatformMessage stale;
    while (peekMessage(&stale)) {
    }
    g_received.clear();
}

std::vector<PlatformMessage> takeAll() {
    std::vector<PlatformMessage> messages;
    PlatformMessage message;
    while (peekMessage(&message)) messages.push_back(message);
    return messages;
}

void pushKey(uint32_t type, SDL_Keycode key, bool repeat) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.repeat = repeat ? 1 : 0;
    SDL_PushEvent(&event);
}
}  // namespace

TEST(VirtualKeys, MapTheKeysTheEngineReads) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RETURN), 13u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_ENTER), 13u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE), 32u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LCTRL), 17u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RCTRL), 17u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LSHIFT), 16u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RSHIFT), 16u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT), 37u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UP), 38u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT), 39u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN), 40u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_0), 48u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_9), 57u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 65u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_z), 90u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F1), 0u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_TAB), 0u);
}

TEST(MessageQueue, TranslatesSdlEventsInOrder) {
    startQueue();
    pushKey(SDL_KEYDOWN, SDLK_q, false);
    pushKey(SDL_KEYDOWN, SDLK_q, true);  // OS repeat
    pushKey(SDL_KEYDOWN, SDLK_F5, false);  // unmapped: no message
    pushKey(SDL_KEYUP, SDLK_q, false);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    SDL_PushEvent(&wheel);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_MIDDLE;
    button.button.x = 7;
    button.button.y = 9;
    SDL_PushEvent(&button);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);

    std::vector<PlatformMessage> messages = takeAll();
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0].message, WM_KEYDOWN);
    EXPECT_EQ(messages[0].wParam, uintptr_t('Q'));
    EXPECT_EQ(messages[0].lParam & (1 << 30), 0);
    EXPECT_EQ(messages[1].message, WM_KEYDOWN);
    EXPECT_NE(messages[1].lParam & (1 << 30), 0);
    EXPECT_EQ(messages[2].message, WM_KEYUP);
    EXPECT_EQ(messages[3].message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<int16_t>(messages[3].wParam >> 16), -240);
    EXPECT_EQ(messages[4].message, WM_MBUTTONDOWN);
    EXPECT_EQ(messages[4].lParam, (9 << 16) | 7);
    EXPECT_EQ(messages[5].message, WM_CLOSE);
}

TEST(MessageQueue, PostedMessagesComeFirstAndInOrder) {
    startQueue();
    pushKey(SDL_KEYDOWN, SDLK_a, false);
    postKeyMessage(VK_ESCAPE, true);
    postKeyMessage(VK_ESCAPE, false);
    std::vector<PlatformMessage> messages = takeAll();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].message, WM_KEYDOWN);
    EXPECT_EQ(messages[0].wParam, uintptr_t(VK_ESCAPE));
    EXPECT_EQ(messages[1].message, WM_KEYUP);
    EXPECT_EQ(messages[2].wParam, uintptr_t('A'));
}

TEST(MessageQueue, MessagesWithoutAWindowAreNotDispatched) {
    startQueue();
    postQuitMessage(3);
    PlatformMessage quit;
    ASSERT_TRUE(peekMessage(&quit));
    EXPECT_EQ(quit.message, WM_QUIT);
    EXPECT_EQ(quit.wParam, 3u);
    dispatchMessage(quit);
    EXPECT_TRUE(g_received.empty());
}

// Runs last in this file: it destroys the offscreen window.
TEST(MessageQueue, CloseDestroysThenQuits) {
    useOffscreenVideo(32, 32);
    startQueue();
    PlatformRect area;
    ASSERT_TRUE(desktopWorkArea(&area));
    PlatformWindow* window = createPlatformWindow("close", area);
    ASSERT_NE(window, nullptr);
    PlatformMessage close;
    close.window = window;
    close.message = WM_CLOSE;
    postMessage(close);

    PlatformMessage message;
    while (peekMessage(&message)) {
        if (message.message == WM_QUIT) g_received.push_back(WM_QUIT);
        dispatchMessage(message);
    }
    EXPECT_EQ(g_received, (std::vector<uint32_t>{WM_CLOSE, WM_DESTROY, WM_QUIT}));
    EXPECT_TRUE(platformWindowDestroyed(window));
    sendMessage(window, WM_CLOSE, 0, 0);  // a second close destroys nothing more
    EXPECT_EQ(g_received.size(), 4u);
    swapPlatformBuffers(window);
}
