// What the SDL implementation of the platform layer shares between its files.
#pragma once

#include <cstdint>

struct PlatformWindow;
struct SDL_Window;

// The window that SDL knows by `sdlWindowId`, or null.
PlatformWindow* platformWindowFromSdlId(uint32_t sdlWindowId);
SDL_Window* sdlWindowOf(PlatformWindow* window);

// The virtual key of an SDL key code; 0 for keys the layer does not map.
uint32_t virtualKeyFromSdl(int32_t sdlKeycode);
