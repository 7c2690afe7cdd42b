#include "platform/counter.h"

#include <emscripten/emscripten.h>

// The page's high-resolution clock (performance.now), in microseconds.
uint64_t systemCounter() { return static_cast<uint64_t>(emscripten_get_now() * 1000.0); }
uint64_t systemFrequency() { return 1000000; }
