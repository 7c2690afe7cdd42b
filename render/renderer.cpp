// Placeholder until the renderer start-up lands.
#include "render/renderer.h"

void renderInit() {}
FrameCounters& frameCounters() {
    static FrameCounters counters;
    return counters;
}
