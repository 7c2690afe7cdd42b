// demo-tool image FILE
// Decodes FILE as the engine does and prints one JSON object: the Image
// fields and the FNV-1a 64 hash of its pixel bytes. Exit 1, with the reason
// on stderr, when the file yields no pixels.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "image/image.h"

static std::string jsonString(const char* text) {
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += char(*p);
        } else if (*p < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
            out += escaped;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

static uint64_t fnv1a64(const unsigned char* bytes, size_t count) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

int imageCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: demo-tool image FILE\n", stderr);
        return 1;
    }
    Image image;
    std::string error;
    loadImage(image, argv[0], &error);
    if (!image.pixels) {
        std::fprintf(stderr, "demo-tool image: %s\n", error.c_str());
        return 1;
    }
    std::printf(
        "{\"path\": %s, \"width\": %d, \"height\": %d, \"stride\": %d, \"bitsPerPixel\": %d, \"byteSize\": %d, "
        "\"pixelOrder\": %d, \"fnv1a64\": \"%016" PRIx64 "\"}\n",
        jsonString(argv[0]).c_str(), image.width, image.height, image.stride, image.bitsPerPixel, image.byteSize,
        image.pixelOrder, fnv1a64(image.pixels, size_t(image.byteSize)));
    return 0;
}
