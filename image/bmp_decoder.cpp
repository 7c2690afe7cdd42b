// Uncompressed BMP, 24 bits per pixel or 8 bits through a palette. Rows are
// stored bottom-up (or top-down when the height is negative) and padded to a
// multiple of 4 bytes; the output is top row first, each pixel the file's
// B, G, R followed by 255, so the Image is marked pixel order 1. Like the
// original reader, stride is left 0. Sizes are checked against the file.
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "image/image_decoders.h"
#include "platform/file_size.h"

static unsigned readU16(const unsigned char* p) { return unsigned(p[0]) | (unsigned(p[1]) << 8); }
static unsigned readU32(const unsigned char* p) { return readU16(p) | (unsigned(readU16(p + 2)) << 16); }

static bool fail(FILE* file, std::string& reason, const char* why) {
    std::fclose(file);
    reason = why;
    return false;
}

bool decodeBmp(const char* path, Image& image, std::string& reason) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = "cannot open file";
        return false;
    }
    const long long fileSize = fileSizeOf(file);
    // 14-byte file header, then the 40-byte information header.
    unsigned char header[54];
    if (fileSize < 54 || std::fread(header, 1, 54, file) != 54) return fail(file, reason, "truncated BMP header");
    if (header[0] != 'B' || header[1] != 'M') return fail(file, reason, "not a BMP file");

    const long long dataOffset = readU32(header + 10);
    const long long infoSize = readU32(header + 14);
    const long long width = int(readU32(header + 18));
    const long long signedHeight = int(readU32(header + 22));
    const unsigned bitsPerPixel = readU16(header + 28);
    const unsigned compression = readU32(header + 30);
    const unsigned coloursUsed = readU32(header + 46);

    if (infoSize < 40) return fail(file, reason, "unsupported BMP information header");
    if (compression != 0) return fail(file, reason, "compressed BMP not supported");
    if (bitsPerPixel != 24 && bitsPerPixel != 8) return fail(file, reason, "unsupported BMP bit depth");
    const bool topDown = signedHeight < 0;
    const long long height = topDown ? -signedHeight : signedHeight;
    if (!imageSizeAcceptable(width, height)) return fail(file, reason, "BMP size out of range");

    // Palette entries are B, G, R, reserved, right after the information
    // header; indices past the stored entries read as black.
    unsigned char palette[256 * 4] = {};
    long long paletteSize = 0;
    if (bitsPerPixel == 8) {
        paletteSize = coloursUsed ? coloursUsed : 256;
        if (paletteSize > 256) return fail(file, reason, "BMP palette too large");
        const long long paletteOffset = 14 + infoSize;
        if (fileSize < paletteOffset + paletteSize * 4 || !seekFileTo(file, paletteOffset) ||
            std::fread(palette, 4, size_t(paletteSize), file) != size_t(paletteSize))
            return fail(file, reason, "truncated BMP palette");
    }

    const long long rowBytes = ((width * bitsPerPixel + 31) / 32) * 4;
    if (fileSize < dataOffset + rowBytes * height) return fail(file, reason, "truncated BMP pixel data");
    if (!seekFileTo(file, dataOffset)) return fail(file, reason, "BMP read error");

    unsigned char* pixels = new (std::nothrow) unsigned char[width * height * 4];
    if (!pixels) return fail(file, reason, "out of memory");
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
    for (long long fileRow = 0; fileRow < height; ++fileRow) {
        if (std::fread(row.data(), 1, row.size(), file) != row.size()) {
            delete[] pixels;
            return fail(file, reason, "BMP read error");
        }
        const long long outRow = topDown ? fileRow : height - 1 - fileRow;
        unsigned char* o = pixels + outRow * width * 4;
        for (long long x = 0; x < width; ++x, o += 4) {
            const unsigned char* in = bitsPerPixel == 24 ? &row[size_t(x * 3)] : palette + row[size_t(x)] * 4;
            o[0] = in[0];
            o[1] = in[1];
            o[2] = in[2];
            o[3] = 255;
        }
    }
    std::fclose(file);

    image.width = int(width);
    image.height = int(height);
    image.bitsPerPixel = 32;
    image.pixels = pixels;
    image.byteSize = int(width * height * 4);
    image.pixelOrder = 1;
    return true;
}
