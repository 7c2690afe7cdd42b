#include "render/renderer.h"
#include "tests/support/gl_test_context.h"

void ensureTestRenderer() {
    static bool started = false;
    if (started) return;
    started = true;
    ScreenSize screen;
    screen.width = 64;
    screen.height = 64;
    renderInit(screen);
}
