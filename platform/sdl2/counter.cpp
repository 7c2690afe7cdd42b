#include "platform/counter.h"

#include <SDL2/SDL.h>

#include <chrono>
#include <thread>

uint64_t systemCounter() { return SDL_GetPerformanceCounter(); }
uint64_t systemFrequency() { return SDL_GetPerformanceFrequency(); }
void systemSleepMicroseconds(uint32_t microseconds) {
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}
