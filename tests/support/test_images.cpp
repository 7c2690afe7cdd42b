#include "tests/support/test_images.h"

#include <png.h>

#include <cstring>

static void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

static void flushNothing(png_structp) {}

std::string pngBytes(const PngSpec& spec) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < spec.palette.size(); i += 3)
        palette.push_back(png_color{spec.palette[i], spec.palette[i + 1], spec.palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    std::vector<unsigned char> trns = spec.trns;
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), int(trns.size()), nullptr);
    png_write_info(png, info);

    const int channels = png_get_channels(png, info);
    const size_t rowBytes = (size_t(spec.width) * channels * spec.bitDepth + 7) / 8;
    std::vector<unsigned char> rows = spec.rows;
    rows.resize(rowBytes * spec.height);
    std::vector<png_bytep> pointers;
    for (int y = 0; y < spec.height; ++y) pointers.push_back(rows.data() + y * rowBytes);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string rgbaPng(int width, int height, const std::vector<unsigned char>& rgba) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.rows = rgba;
    return pngBytes(spec);
}

static void put16(std::string& s, size_t at, unsigned v) {
    s[at] = char(v & 255);
    s[at + 1] = char((v >> 8) & 255);
}

static void put32(std::string& s, size_t at, unsigned v) {
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

std::string tgaBytes(int type, int width, int height, int bitsPerPixel, const std::string& data, int idLength) {
    std::string s(18, '\0');
    s[0] = char(idLength);
    s[2] = char(type);
    put16(s, 12, unsigned(width));
    put16(s, 14, unsigned(height));
    s[16] = char(bitsPerPixel);
    return s + std::string(size_t(idLength), 'i') + data;
}

std::string bmpBytes(int width, int height, int bitsPerPixel, int compression, const std::string& palette,
                     const std::string& data, int coloursUsed) {
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    const size_t offset = 54 + palette.size();
    put32(s, 2, unsigned(offset + data.size()));
    put32(s, 10, unsigned(offset));
    put32(s, 14, 40);
    put32(s, 18, unsigned(width));
    put32(s, 22, unsigned(height));
    put16(s, 26, 1);
    put16(s, 28, unsigned(bitsPerPixel));
    put32(s, 30, unsigned(compression));
    put32(s, 46, unsigned(coloursUsed));
    return s + palette + data;
}
