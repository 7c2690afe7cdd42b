#include "platform/counter.h"

#include <windows.h>
#include <mmsystem.h>

uint64_t systemCounter() {
    LARGE_INTEGER count;
    return QueryPerformanceCounter(&count) ? static_cast<uint64_t>(count.QuadPart) : 0;
}

uint64_t systemFrequency() {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? static_cast<uint64_t>(frequency.QuadPart) : 0;
}

// Sleep() wakes on the system timer's tick, 15.6 ms by default: far too
// coarse for 1/60-second steps. A 1 ms tick, asked for once, lasts until the
// process ends.
void systemSleepMicroseconds(uint32_t microseconds) {
    static bool fineTimer = false;
    if (!fineTimer) {
        timeBeginPeriod(1);
        fineTimer = true;
    }
    Sleep((microseconds + 999) / 1000);
}
