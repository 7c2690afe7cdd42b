// The model file reader on arbitrary bytes. A file it accepts must also
// survive the writer: writing what was read and reading that back gives the
// same bytes when written again.
#include <cstdio>
#include <cstring>
#include <vector>

#include "scene/model_file.h"
#include "tests/fuzz/fuzz_support.h"

static std::vector<unsigned char> fileBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) fuzzFailure("cannot read back a written model");
    unsigned char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
    std::fclose(file);
    return bytes;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = writeFuzzFile("input.bin", data, size);
    ModelFileData model;
    std::string error;
    if (!readModelFile(input.c_str(), model, &error)) {
        if (error.empty()) fuzzFailure("a rejected model file gave no reason");
        if (!model.nodes.empty() || model.hasSkeleton) fuzzFailure("a rejected model file left data behind");
        return 0;
    }

    const std::string first = fuzzScratchFolder() + "/first.bin";
    const std::string second = fuzzScratchFolder() + "/second.bin";
    if (!writeModelFile(first.c_str(), model, &error)) fuzzFailure("the writer refused what the reader accepted");
    ModelFileData again;
    if (!readModelFile(first.c_str(), again, &error)) fuzzFailure("the reader refused what the writer wrote");
    if (!writeModelFile(second.c_str(), again, &error)) fuzzFailure("the writer refused a round trip");
    if (fileBytes(first) != fileBytes(second)) fuzzFailure("writing, reading and writing again changed the file");
    return 0;
}
