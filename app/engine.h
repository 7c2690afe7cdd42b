// The engine record: clear colour, frame count, the client size of the main
// window and the fixed design size of the 2D overlay.
#pragma once

#include <cstdint>

struct Engine {
    float clearRed = 0.0f, clearGreen = 0.0f, clearBlue = 0.0f;
    int32_t frameCount = 0;
    int32_t width = 0, height = 0;
    int32_t designWidth = 1920, designHeight = 1080;
    int32_t windowIndex = 0;
    bool reservedFlag = false;
    bool swapEnabled = true;
};

// The one Engine record (created at start-up, never freed); null before.
Engine* engine();
void setEngine(Engine* record);
