// PNG through libpng. libpng reports errors by calling our handler, which
// records the message and longjmps back into readPngFile; that function is
// written C-style (no object with a destructor lives across the jump), so a
// corrupt or truncated file frees what it allocated and yields no pixels.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "image/image_decoders.h"

struct PngError {
    char message[160];
};

struct PngPixels {
    unsigned char* pixels;  // width * height * 4, new[]
    int width;
    int height;
};

static void pngErrorHandler(png_structp png, png_const_charp message) {
    PngError* error = static_cast<PngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    png_longjmp(png, 1);
}

static void pngWarningHandler(png_structp, png_const_charp) {}

// The file is positioned after the 8 signature bytes.
static bool readPngFile(FILE* file, PngError* error, PngPixels* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, pngErrorHandler, pngWarningHandler);
    if (!png) {
        std::snprintf(error->message, sizeof error->message, "libpng could not start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(error->message, sizeof error->message, "libpng could not start");
        return false;
    }

    // Assigned after setjmp, read after a longjmp: volatile.
    unsigned char* volatile output = nullptr;
    unsigned char* volatile rowBuffer = nullptr;
    png_bytep* volatile rowPointers = nullptr;

    if (setjmp(png_jmpbuf(png))) {
        delete[] output;
        std::free(rowBuffer);
        std::free(rowPointers);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }

    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (!imageSizeAcceptable(width, height)) png_error(png, "image size out of range");

    // Every layout ends as 8 bits per sample, one sample per byte.
    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) {
        if (colourType == PNG_COLOR_TYPE_GRAY)
            png_set_expand_gray_1_2_4_to_8(png);
        else
            png_set_packing(png);
    }
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
    png_read_update_info(png, info);

    int channels = 0;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: channels = 1; break;
    case PNG_COLOR_TYPE_PALETTE: channels = 1; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: channels = 2; break;
    case PNG_COLOR_TYPE_RGB: channels = 3; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: channels = 4; break;
    default: png_error(png, "unknown colour type");
    }
    const size_t rowBytes = png_get_rowbytes(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != channels ||
        rowBytes != size_t(width) * size_t(channels))
        png_error(png, "unsupported sample layout");

    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE && !png_get_PLTE(png, info, &palette, &paletteSize))
        png_error(png, "palette image without a palette");

    output = new (std::nothrow) unsigned char[size_t(width) * height * 4];
    rowBuffer = static_cast<unsigned char*>(std::malloc(rowBytes * height));
    rowPointers = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!output || !rowBuffer || !rowPointers) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y) rowPointers[y] = rowBuffer + y * rowBytes;
    png_read_image(png, rowPointers);

    // First file row to first output row, 4 bytes per pixel.
    for (png_uint_32 y = 0; y < height; ++y) {
        const unsigned char* in = rowPointers[y];
        unsigned char* o = output + size_t(y) * width * 4;
        for (png_uint_32 x = 0; x < width; ++x, o += 4) {
            switch (colourType) {
            case PNG_COLOR_TYPE_GRAY:
                o[0] = o[1] = o[2] = in[x];
                o[3] = 255;
                break;
            case PNG_COLOR_TYPE_GRAY_ALPHA:
                o[0] = o[1] = o[2] = in[2 * x];
                o[3] = in[2 * x + 1];
                break;
            case PNG_COLOR_TYPE_RGB:
                o[0] = in[3 * x];
                o[1] = in[3 * x + 1];
                o[2] = in[3 * x + 2];
                o[3] = 255;
                break;
            case PNG_COLOR_TYPE_PALETTE: {
                // Transparency chunks are ignored: palette images are opaque.
                // An index past the palette reads as black.
                const int index = in[x];
                if (index < paletteSize) {
                    o[0] = palette[index].red;
                    o[1] = palette[index].green;
                    o[2] = palette[index].blue;
                } else {
                    o[0] = o[1] = o[2] = 0;
                }
                o[3] = 255;
                break;
            }
            default:  // RGBA
                o[0] = in[4 * x];
                o[1] = in[4 * x + 1];
                o[2] = in[4 * x + 2];
                o[3] = in[4 * x + 3];
                break;
            }
        }
    }

    std::free(rowBuffer);
    std::free(rowPointers);
    png_destroy_read_struct(&png, &info, nullptr);
    out->pixels = output;
    out->width = int(width);
    out->height = int(height);
    return true;
}

bool decodePng(const char* path, Image& image, std::string& reason) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = "cannot open file";
        return false;
    }
    png_byte signature[8];
    if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        std::fclose(file);
        reason = "not a PNG file (bad signature)";
        return false;
    }
    PngError error{};
    PngPixels result{};
    const bool ok = readPngFile(file, &error, &result);
    std::fclose(file);
    if (!ok) {
        reason = std::string("corrupt PNG: ") + error.message;
        return false;
    }
    image.width = result.width;
    image.height = result.height;
    image.stride = result.width * 4;
    image.bitsPerPixel = 32;
    image.pixels = result.pixels;
    image.byteSize = image.height * image.stride;
    return true;
}
