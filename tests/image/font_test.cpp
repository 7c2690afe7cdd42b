#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "image/font.h"
#include "tests/support/scratch_dir.h"

namespace {

// Runs in a scratch folder, since the font path is relative.
class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        initFontLibrary();
    }
    void TearDown() override { std::filesystem::current_path(home); }

    ScratchDir dir;
    std::filesystem::path home;
};

TEST_F(FontTest, OpensTheDefaultFaceIntoTheList) {
    const char* source = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    if (!std::filesystem::exists(source)) GTEST_SKIP() << "no TrueType font on this machine";
    std::filesystem::create_directories("data");
    std::filesystem::copy_file(source, "data/arial.ttf");

    ASSERT_NE(fontLibrary(), nullptr);
    FontList list;
    FontNode* node = openDefaultFont(list);
    EXPECT_EQ(list.head, node);
    EXPECT_EQ(list.count, 1);
    ASSERT_NE(node->face, nullptr);
    EXPECT_EQ(node->face->face_index, 0);
    EXPECT_EQ(node->previous, nullptr);
    // The engine never closes its face; the test does, so that Windows lets
    // the scratch folder with the font go.
    FT_Done_Face(node->face);
    deleteFontNodes(list);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.count, 0);
}

TEST_F(FontTest, MissingOrBrokenFontFileStillAddsANode) {
    FontList list;
    FontNode* first = openDefaultFont(list);
    EXPECT_EQ(first->face, nullptr);

    std::filesystem::create_directories("data");
    std::ofstream("data/arial.ttf") << "not a font";
    FontNode* second = openDefaultFont(list);
    EXPECT_EQ(second->face, nullptr);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(second->previous, first);
    EXPECT_EQ(list.tail, second);
    deleteFontNodes(list);
}

}  // namespace
