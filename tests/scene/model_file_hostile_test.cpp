// Model paths that open but are no model: a folder (which reports an absurd
// size) and a huge file. Both fail cleanly instead of exhausting memory.
#include <gtest/gtest.h>

#include <filesystem>

#include "scene/model_file.h"
#include "tests/support/scratch_dir.h"

TEST(ModelFileHostile, FolderAndHugeFileFailWithoutReadingThem) {
    ScratchDir dir;
    std::filesystem::create_directories(dir.file("Pine.bin"));
    ModelFileData data;
    std::string error;
    EXPECT_FALSE(readModelFile(dir.file("Pine.bin").c_str(), data, &error));
    // Linux opens a folder and cannot read it; Windows does not open it.
    EXPECT_NE(error.find("cannot"), std::string::npos) << error;

    // 64 GiB of holes: nothing is written to disk.
    const std::string huge = dir.write("huge.bin", "\x01\x33\xC6\xB6");
    std::filesystem::resize_file(huge, 64ull << 30);
    error.clear();
    EXPECT_FALSE(readModelFile(huge.c_str(), data, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
    EXPECT_TRUE(data.nodes.empty());
}
