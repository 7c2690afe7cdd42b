// The file readers behind loadImage. Each one fills an Image that the caller
// has cleared, or leaves it cleared and returns false with a one-line reason.
#pragma once

#include <cstdio>
#include <string>

#include "image/image.h"

bool decodePng(const char* path, Image& image, std::string& reason);
bool decodeTga(const char* path, Image& image, std::string& reason);
bool decodeBmp(const char* path, Image& image, std::string& reason);

// Helpers shared by the readers.

// True when width x height pixels of 4 bytes fit the 32-bit byteSize.
bool imageSizeAcceptable(long long width, long long height);
// Size of an open file in bytes, or -1.
long long fileSizeOf(FILE* file);
