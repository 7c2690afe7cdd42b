// Decoded pictures: PNG (libpng), TGA and BMP, chosen by the lower-case
// extension. Pixels are 32-bit, first file row first.
#pragma once

#include <string>

struct Image {
    int width = 0;
    int height = 0;
    int stride = 0;  // width * 4 (0 after a BMP decode)
    int bitsPerPixel = 0;
    unsigned char* pixels = nullptr;  // owned
    int byteSize = 0;
    int pixelOrder = 0;  // 0: R, G, B, A; 1: B, G, R, A

    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    void clear();  // frees the pixels, every field zero
};

// Fills image from path, or leaves it cleared with no pixels on any failure
// (missing, unknown extension, corrupt, truncated). When error is given it
// receives a one-line reason on failure.
void loadImage(Image& image, const char* path, std::string* error = nullptr);
