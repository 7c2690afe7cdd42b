// Writes 8-bit RGBA pictures as PNG through libpng.
#pragma once

#include <string>

// rgba holds height rows of width * 4 bytes, top row first. Returns false
// with a reason on failure.
bool writePng(const char* path, int width, int height, const unsigned char* rgba, std::string* error);
