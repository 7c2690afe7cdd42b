#include "image/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

bool writePng(const char* path, int width, int height, const unsigned char* rgba, bool keepAlpha, std::string* error) {
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba) + static_cast<size_t>(y) * width * 4;

    FILE* file = std::fopen(path, "wb");
    if (!file) {
        if (error) *error = "cannot create the file";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        // libpng jumps back here on any write error.
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        if (error) *error = "libpng could not write the picture";
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 keepAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);  // the pixels are sRGB, as libpng's simplified writer says
    png_write_info(png, info);
    if (!keepAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // on writing: strips the fourth byte
    png_write_rows(png, rows.data(), static_cast<png_uint_32>(height));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        if (error) *error = "cannot finish the file";
        return false;
    }
    return true;
}
