// One image decoder on arbitrary bytes, chosen by the file extension that the
// build gives as IMAGE_EXTENSION ("png", "tga" or "bmp"). A decoded image must
// be consistent: pixels exactly when it has a size, every byte of it readable.
#include <cstring>

#include "image/image.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = writeFuzzFile("input." IMAGE_EXTENSION, data, size);
    Image image;
    std::string error;
    loadImage(image, path.c_str(), &error);
    if (!image.pixels) {
        if (image.width != 0 || image.height != 0 || image.byteSize != 0) fuzzFailure("a failed decode kept a size");
        if (error.empty()) fuzzFailure("a failed decode gave no reason");
        return 0;
    }
    if (image.width < 1 || image.height < 1 || image.bitsPerPixel != 32 ||
        image.byteSize != image.width * image.height * 4)
        fuzzFailure("decoded image fields disagree");
    // Touch every byte, as the texture upload would: out-of-bounds or
    // uninitialised-size buffers show up under the sanitizers here.
    unsigned sum = 0;
    for (int i = 0; i < image.byteSize; ++i) sum += image.pixels[i];
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
