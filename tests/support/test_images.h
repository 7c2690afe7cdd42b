// Tiny image files made in memory for the image and sprite tests: PNG
// through libpng's writer, TGA and BMP byte by byte.
#pragma once

#include <string>
#include <vector>

struct PngSpec {
    int width = 1;
    int height = 1;
    int colourType = 6;  // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<unsigned char> palette;  // r, g, b triples
    std::vector<unsigned char> trns;  // palette alpha values
    std::vector<unsigned char> rows;  // packed rows exactly as the PNG stores them
};

// The bytes of a PNG file.
std::string pngBytes(const PngSpec& spec);
// An 8-bit RGBA PNG from width * height * 4 bytes.
std::string rgbaPng(int width, int height, const std::vector<unsigned char>& rgba);

// A TGA header followed by the given data bytes.
std::string tgaBytes(int type, int width, int height, int bitsPerPixel, const std::string& data, int idLength = 0);
// A BMP with a 40-byte information header; data holds the padded rows.
std::string bmpBytes(int width, int height, int bitsPerPixel, int compression, const std::string& palette,
                     const std::string& data, int coloursUsed = 0);
