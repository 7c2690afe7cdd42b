// The demo on broken data: the real start-up and frames through the acts that
// read files later (act 5 reads "a.raw", act 8 a new night-sky picture) in a
// scratch working folder laid out like the repository with one thing broken.
// The engine's state lives for the whole process, so each case runs in a
// child process; the child reports what it loaded on stderr.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/headless.h"
#include "demo/demo.h"
#include "app/main_loop.h"
#include "demo/demo_world.h"
#include "image/image.h"
#include "scene/sprite.h"
#include "image/texture.h"
#include "scene/model.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// Links (or copies) every file of the repository's shaders/ and data/ into
// dir, one per file, so that a case can remove or replace single files.
void layOutRepositoryData(const ScratchDir& dir) {
    for (const char* folder : {"shaders", "data"}) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            const fs::path target = fs::path(dir.path()) / entry.path();
            if (entry.is_directory()) continue;
            fs::create_directories(target.parent_path());
            std::error_code noLinks;  // Windows without the privilege to make links: copies
            fs::create_symlink(fs::absolute(entry.path()), target, noLinks);
            if (noLinks) fs::copy_file(entry.path(), target);
        }
    }
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces a linked file by the given bytes.
void replaceFile(const ScratchDir& dir, const std::string& name, const std::string& bytes) {
    fs::remove(dir.file(name));
    dir.write(name, bytes);
}

void runFrames(int count) {
    for (int i = 0; i < count; ++i)
        if (!runMainLoopIteration()) {
            std::fprintf(stderr, "the main loop ended early\n");
            std::_Exit(4);
        }
}

int templatesWithMeshes() {
    const DemoWorld& w = demoWorld();
    int count = w.plantTemplate && w.plantTemplate->meshes ? 1 : 0;
    for (MODEL3D* model : w.treeTemplates) count += model && model->meshes ? 1 : 0;
    for (MODEL3D* model : w.rockTemplates) count += model && model->meshes ? 1 : 0;
    return count;
}

const char* spriteImagePath(SPRITE3D* sprite) {
    const Texture* texture = sprite ? sprite->spriteTexture() : nullptr;
    return texture && !texture->path.empty() ? texture->path.c_str() : "none";
}

int spriteImageWidth(SPRITE3D* sprite) {
    const Texture* texture = sprite ? sprite->spriteTexture() : nullptr;
    return texture && texture->image ? texture->image->width : -1;
}

// In the child: start the demo in dir offscreen without sound, run frames into
// act 5 and act 8, report, and exit normally (the leak checker runs at exit
// in sanitizer builds).
[[noreturn]] void runDemoIn(const std::string& dir) {
    // The child's own copy of the folder goes with the child, however it ends.
    static std::string childFolder = dir;
    std::atexit([] { removeFolderTree(childFolder); });
    if (chdir(dir.c_str()) != 0) std::_Exit(2);
    if (!startHeadless(64, 48, demoCallbacks())) {
        std::fprintf(stderr, "start-up failed\n");
        std::_Exit(3);
    }
    DemoWorld& w = demoWorld();
    runFrames(3);
    const int daySkyWidth = spriteImageWidth(w.daySky[0]);
    w.scriptClock = 39.99f;  // the next frame enters act 5
    runFrames(3);
    const float act5Range = w.terrain.range;
    const std::string nightSkyBefore = spriteImagePath(w.nightSky[0]);
    w.scriptClock = 63.99f;  // the next frame enters act 8
    runFrames(3);
    std::fprintf(stderr,
                 "templates with meshes %d, day sky width %d, night sky width %d, act 5 terrain range %g, "
                 "night sky %s then %s\n",
                 templatesWithMeshes(), daySkyWidth, spriteImageWidth(w.nightSky[0]), act5Range, nightSkyBefore.c_str(),
                 spriteImagePath(w.nightSky[0]));
    std::exit(0);
}

class DemoWithBadData : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!fs::exists("data/.complete")) GTEST_SKIP() << "data/ has not been generated";
        layOutRepositoryData(dir_);
    }
    ScratchDir dir_;
};

// With intact data every template loads, both sky pictures decode and act 5,
// finding no "a.raw", shapes the terrain with noise and basins. (The patterns
// keep to what GoogleTest's regular expressions share on Linux and Windows:
// a width of two or more digits is not 0, a range with a point is not 0.)
TEST_F(DemoWithBadData, IntactDataLoadsEverything) {
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0),
                "templates with meshes 15, day sky width ..+, night sky width ..+, act 5 terrain range .+\\..*, "
                "night sky data/noche2.png then data/icono1.png");
}

TEST_F(DemoWithBadData, NoDataFolderRunsWithEmptyModelsAndPictures) {
    fs::remove_all(dir_.file("data"));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0),
                "templates with meshes 0, day sky width 0, night sky width 0");
}

TEST_F(DemoWithBadData, MissingAndTruncatedModelsLeaveTheirTemplatesEmpty) {
    fs::remove(dir_.file("data/Ultimate Models/Pine.bin"));
    const std::string rock = fileBytes("data/Ultimate Models/RockA.bin");
    replaceFile(dir_, "data/Ultimate Models/RockA.bin", rock.substr(0, rock.size() / 2));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0), "templates with meshes 13,");
}

TEST_F(DemoWithBadData, CorruptPicturesDecodeToNothing) {
    // dia.png cut inside its pixel data; icono1.png (act 8) a valid signature
    // followed by noise; a model texture cut after its header.
    const std::string day = fileBytes("data/dia.png");
    replaceFile(dir_, "data/dia.png", day.substr(0, day.size() / 2));
    std::string noise = "\x89PNG\r\n\x1a\n";
    for (int i = 0; i < 4000; ++i) noise += static_cast<char>((i * 7919) >> 3);
    replaceFile(dir_, "data/icono1.png", noise);
    replaceFile(dir_, "data/bark.png", fileBytes("data/bark.png").substr(0, 40));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0),
                "templates with meshes 15, day sky width 0, night sky width 0");
}

// Folders where files should be: they open like files but hold no bytes.
TEST_F(DemoWithBadData, FoldersInPlaceOfFilesReadAsMissing) {
    for (const char* name :
         {"data/Ultimate Models/Pine.bin", "data/dia.png", "data/bark.png", "data/arial.ttf", "data/fiesta2018.wav"}) {
        fs::remove(dir_.file(name));
        fs::create_directories(dir_.file(name));
    }
    fs::create_directories(dir_.file("a.raw"));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0),
                "templates with meshes 14, day sky width 0, night sky width ..+,");
}

// An empty "a.raw" gives a flat terrain in act 5: every point past the end of
// the file is 0.
TEST_F(DemoWithBadData, EmptyRawHeightFileGivesAFlatTerrain) {
    dir_.write("a.raw", "");
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(0),
                "templates with meshes 15, .* act 5 terrain range 0,");
}

// A shader program that cannot be built ends the process at start-up with
// exit code -1, whether its own file or a file it includes is missing.
TEST_F(DemoWithBadData, MissingShaderFileEndsTheProcessWithMinusOne) {
    fs::remove(dir_.file("shaders/static_meshes_vs.glsl"));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(kExitStatusOfMinusOne), "");
}

TEST_F(DemoWithBadData, MissingIncludedShaderFileEndsTheProcessWithMinusOne) {
    fs::remove(dir_.file("shaders/material.glsl"));
    EXPECT_EXIT(runDemoIn(dir_.path()), ::testing::ExitedWithCode(kExitStatusOfMinusOne), "");
}

}  // namespace
