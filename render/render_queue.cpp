// Placeholder until the render queue lands.
#include "render/render_queue.h"

void renderFrame() {}
