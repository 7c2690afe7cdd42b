#include "image/image.h"

#include <climits>
#include <cstring>

#include "image/image_decoders.h"
#include "platform/file_size.h"

Image::~Image() { delete[] pixels; }

void Image::clear() {
    delete[] pixels;
    pixels = nullptr;
    width = height = stride = bitsPerPixel = byteSize = pixelOrder = 0;
}

bool imageSizeAcceptable(long long width, long long height) {
    if (width < 1 || height < 1) return false;
    return width * height <= INT_MAX / 4;
}

long long fileSizeOf(FILE* file) { return openFileSize(file); }

void loadImage(Image& image, const char* path, std::string* error) {
    image.clear();
    if (!path) path = "";

    // The extension is what follows the last dot; compared exactly, lower case only.
    const char* dot = std::strrchr(path, '.');
    const char* extension = dot ? dot + 1 : "";

    std::string reason;
    bool decoded = false;
    if (std::strcmp(extension, "png") == 0) {
        decoded = decodePng(path, image, reason);
    } else if (std::strcmp(extension, "tga") == 0) {
        decoded = decodeTga(path, image, reason);
    } else if (std::strcmp(extension, "bmp") == 0) {
        decoded = decodeBmp(path, image, reason);
    } else {
        reason = std::string("unknown image extension \"") + extension + "\"";
    }

    if (!decoded) {
        image.clear();
        if (error) *error = std::string(path) + ": " + reason;
    }
}
