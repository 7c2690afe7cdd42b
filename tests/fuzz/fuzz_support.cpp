#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

static std::string g_folder;

static void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

const std::string& fuzzScratchFolder() {
    if (g_folder.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "engine-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) fuzzFailure("cannot create a scratch folder");
        g_folder = pattern;
        std::atexit(removeScratchFolder);
    }
    return g_folder;
}

std::string writeFuzzFile(const char* name, const uint8_t* data, size_t size) {
    std::string path = fuzzScratchFolder() + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) fuzzFailure("cannot write a scratch file");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) fuzzFailure("cannot write a scratch file");
    return path;
}

void fuzzFailure(const char* what) {
    std::fprintf(stderr, "fuzz harness: %s\n", what);
    std::abort();
}
