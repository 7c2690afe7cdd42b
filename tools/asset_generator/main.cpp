// generate-data OUTDIR: writes every file the demo reads (models, textures,
// soundtrack, font) into OUTDIR, and the raw height file a.raw beside it (the
// demo reads both from the folder it runs in). The output is a pure function of this code:
// the same bytes on every run. OUTDIR/.complete is written last, only when
// everything succeeded, so an interrupted run is redone by the build.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/asset_generator/asset_generator.h"

static const char* const kFontSource = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

void reportFile(const std::string& path, const std::string& details) {
    std::error_code error;
    uintmax_t bytes = std::filesystem::file_size(path, error);
    std::printf("%s: %ju bytes%s\n", path.c_str(), error ? uintmax_t(0) : bytes, details.c_str());
}

// The demo opens "arial.ttf" but runs without it; Liberation Sans has the same metrics.
static bool copyFont(const std::string& outDir) {
    std::string target = outDir + "/arial.ttf";
    if (!std::filesystem::exists(kFontSource)) {
        std::printf("%s: skipped, %s is not installed (package fonts-liberation)\n", target.c_str(), kFontSource);
        return true;
    }
    std::error_code error;
    std::filesystem::copy_file(kFontSource, target, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", target.c_str(), error.message().c_str());
        return false;
    }
    reportFile(target, "");
    return true;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate-data OUTDIR\n");
        return 2;
    }
    auto started = std::chrono::steady_clock::now();
    std::string outDir = argv[1];
    std::string marker = outDir + "/.complete";
    std::error_code error;
    std::filesystem::remove(marker, error);
    std::filesystem::create_directories(outDir + "/Ultimate Models", error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", outDir.c_str(), error.message().c_str());
        return 1;
    }
    std::filesystem::path besideData = std::filesystem::absolute(outDir).lexically_normal();
    if (!besideData.has_filename()) besideData = besideData.parent_path();  // "data/"
    const std::string rawPath = (besideData.parent_path() / "a.raw").string();
    if (!generateModels(outDir) || !generateTextures(outDir) || !generateSoundtrack(outDir) || !copyFont(outDir) ||
        !generateRawHeights(rawPath))
        return 1;

    FILE* file = std::fopen(marker.c_str(), "wb");
    if (!file || std::fclose(file) != 0) {
        std::fprintf(stderr, "%s: cannot write the marker\n", marker.c_str());
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("generated %s in %.2f s\n", outDir.c_str(), seconds);
    return 0;
}
