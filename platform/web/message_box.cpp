#include "platform/message_box.h"

#include <emscripten/emscripten.h>

void showErrorBox(const char* text) {
    // No modal box: it would stop the page (and a headless browser with it).
    // The page shows the text where its shell offers a place for it.
    EM_ASM(
        {
            const text = UTF8ToString($0);
            console.error("Error! " + text);
            if (Module.onErrorBox) Module.onErrorBox(text);
        },
        text);
}
