#include "tests/support/scratch_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

ScratchDir::ScratchDir() {
    // A random name that no one else has created: create_directory reports
    // whether it made the folder, so a clash just tries the next name.
    std::random_device seed;
    std::mt19937_64 names(seed());
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = temp / ("engine-test-" + std::to_string(names() % 1000000000));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

void removeFolderTree(const std::string& path) {
    // Entry by entry, skipping what cannot go: Windows keeps files that are
    // still open (the engine never closes its font), and remove_all of
    // MinGW's library does not return when it meets one. A link is removed
    // itself, never followed: a linked folder belongs to someone else.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error)) {
        if (!entry->is_symlink(error) && entry->is_directory(error))
            removeFolderTree(entry->path().string());
        else
            std::filesystem::remove(entry->path(), error);
        error.clear();
    }
    std::filesystem::remove(path, error);
}

ScratchDir::~ScratchDir() { removeFolderTree(path_); }

std::string ScratchDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string ScratchDir::write(const std::string& name, const std::string& bytes) const {
    std::string full = file(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}
