// Reading back the frame drawn into the back buffer, for the tools, the
// benchmarks and the tests, which draw without presenting: a back buffer's
// contents are undefined after a swap.
#pragma once

#include <vector>

// Waits until every queued draw has reached the pixels.
void finishFrame();
// The back buffer's width x height pixels as RGBA, top row first.
void readFrame(int width, int height, std::vector<unsigned char>& rgba);
