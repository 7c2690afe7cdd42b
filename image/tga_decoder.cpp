// Uncompressed TGA: true colour with 32 bits per pixel (type 2) and 8-bit
// greyscale (type 3). Rows stay in file order. Every size is checked against
// the bytes the file holds before anything is read.
#include <cstdio>
#include <new>

#include "image/image_decoders.h"
#include "platform/file_size.h"

bool decodeTga(const char* path, Image& image, std::string& reason) {
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        reason = "cannot open file";
        return false;
    }
    const long long fileSize = fileSizeOf(file);
    unsigned char header[18];
    if (fileSize < 18 || std::fread(header, 1, 18, file) != 18) {
        std::fclose(file);
        reason = "truncated TGA header";
        return false;
    }
    const int idLength = header[0];
    const int colourMapType = header[1];
    const int type = header[2];
    const int colourMapLength = header[5] | (header[6] << 8);
    const int colourMapEntryBits = header[7];
    const int width = header[12] | (header[13] << 8);
    const int height = header[14] | (header[15] << 8);
    const int bitsPerPixel = header[16];

    const bool trueColour = type == 2 && bitsPerPixel == 32;
    const bool grey = type == 3 && bitsPerPixel == 8;
    if (!trueColour && !grey) {
        std::fclose(file);
        reason = "unsupported TGA type " + std::to_string(type) + " with " + std::to_string(bitsPerPixel) +
                 " bits per pixel";
        return false;
    }
    if (!imageSizeAcceptable(width, height)) {
        std::fclose(file);
        reason = "TGA size out of range";
        return false;
    }

    // The image id and any colour map sit between the header and the pixels.
    long long dataOffset = 18 + idLength;
    if (colourMapType != 0) dataOffset += (long long)colourMapLength * ((colourMapEntryBits + 7) / 8);
    const long long pixelCount = (long long)width * height;
    const long long dataBytes = grey ? pixelCount : pixelCount * 4;
    if (fileSize < dataOffset + dataBytes) {
        std::fclose(file);
        reason = "truncated TGA pixel data";
        return false;
    }

    unsigned char* pixels = new (std::nothrow) unsigned char[pixelCount * 4];
    if (!pixels) {
        std::fclose(file);
        reason = "out of memory";
        return false;
    }
    // Greyscale is read into the front of the buffer and expanded in place
    // from the back, where each pixel's 4 bytes never overtake unread input.
    const bool read =
        seekFileTo(file, dataOffset) && std::fread(pixels, 1, size_t(dataBytes), file) == size_t(dataBytes);
    std::fclose(file);
    if (!read) {
        delete[] pixels;
        reason = "TGA read error";
        return false;
    }
    if (grey) {
        for (long long i = pixelCount - 1; i >= 0; --i) {
            const unsigned char g = pixels[i];
            unsigned char* o = pixels + i * 4;
            o[0] = o[1] = o[2] = g;
            o[3] = 255;
        }
    } else {
        // B, G, R, A in the file.
        for (long long i = 0; i < pixelCount; ++i) {
            unsigned char* p = pixels + i * 4;
            const unsigned char blue = p[0];
            p[0] = p[2];
            p[2] = blue;
        }
    }

    image.width = width;
    image.height = height;
    image.stride = width * 4;
    image.bitsPerPixel = 32;
    image.pixels = pixels;
    image.byteSize = height * image.stride;
    return true;
}
