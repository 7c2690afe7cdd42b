// The raw height file: "a.raw" in the working folder, any length, any bytes.
// Every byte the file holds sets its grid point to byte / 255 before the range
// pass; points past a short file are 0. The queries then stay inside the grid
// wherever they are asked, here at coordinates taken from the input.
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

#include "landscape/heightfield.h"
#include "tests/fuzz/fuzz_support.h"

static float floatAt(const uint8_t* data, size_t size, size_t offset) {
    float value = 0.0f;
    if (offset + 4 <= size) std::memcpy(&value, data + offset, 4);
    return value;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Heightfield* field = new Heightfield();
    static std::string home;
    if (home.empty()) {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) fuzzFailure("no working folder");
        home = cwd;
    }

    writeFuzzFile("a.raw", data, size);
    if (chdir(fuzzScratchFolder().c_str()) != 0) fuzzFailure("cannot enter the scratch folder");
    field->extentX = field->extentZ = 20000.0f;
    field->heightScale = 40.0f;
    field->generate(0.0f, true);  // no noise: the heights are the file's alone
    if (chdir(home.c_str()) != 0) fuzzFailure("cannot return to the working folder");

    const float shift = field->range * 0.5f;
    for (int i = 0; i < kGridPoints; ++i) {
        const float expected = (size_t(i) < size ? float(data[i]) * 0.003921569f : 0.0f) - shift;
        if (field->heights[i] != expected) fuzzFailure("a height differs from its byte");
    }
    const float x = floatAt(data, size, 0), z = floatAt(data, size, 4);
    if (!std::isfinite(field->heightAt(x, z)) || !std::isfinite(field->averageHeightAt(x, z)))
        fuzzFailure("a height query left the grid");
    return 0;
}
