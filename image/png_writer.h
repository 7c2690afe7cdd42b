// Writes 8-bit RGBA pixels (top row first) as a PNG file: the captures,
// thumbnails and generated textures all go through here.
#pragma once

#include <string>

// keepAlpha false writes RGB, dropping the fourth byte of every pixel. False,
// with a one-line reason in *error, when the file cannot be written.
bool writePng(const char* path, int width, int height, const unsigned char* rgba, bool keepAlpha, std::string* error);
