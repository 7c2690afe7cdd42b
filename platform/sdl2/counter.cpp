#include "platform/counter.h"

#include <SDL2/SDL.h>

uint64_t systemCounter() { return SDL_GetPerformanceCounter(); }
uint64_t systemFrequency() { return SDL_GetPerformanceFrequency(); }
