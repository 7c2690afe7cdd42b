#include "platform/counter.h"

#include <windows.h>

uint64_t systemCounter() {
    LARGE_INTEGER count;
    return QueryPerformanceCounter(&count) ? static_cast<uint64_t>(count.QuadPart) : 0;
}

uint64_t systemFrequency() {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? static_cast<uint64_t>(frequency.QuadPart) : 0;
}
