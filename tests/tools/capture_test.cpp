// demo-tool capture: its arguments, the files it writes, the key script and
// the fast-forward, on tiny frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/e2e/capture_run.h"
#include "tests/support/scratch_dir.h"

namespace {
bool exists(const std::string& path) { return std::filesystem::exists(path); }

class CaptureTool : public ::testing::Test {
protected:
    ToolRun capture(const std::string& arguments) {
        return runCapture("--out " + scratch.file("out") + " " + arguments, scratch.file("errors.txt"));
    }
    std::string out(const std::string& name) const { return scratch.file("out/" + name); }
    ScratchDir scratch;
};
}  // namespace

TEST_F(CaptureTool, RejectsBadArgumentsBeforeStarting) {
    // Numeric options exit with 2, the others with 1.
    const struct {
        const char* arguments;
        int exitCode;
    } bad[] = {
        {"--frames 0", 2},
        {"--frames 2 --at 3", 2},  // beyond the run
        {"--frames 2 --at 0", 2},  // frames count from 1
        {"--frames 2 --at 1,x", 2},
        {"--frames 4 --at 2 --every 2", 1},
        {"--frames 2 --size 10", 2},
        {"--frames 2 --size 99999999999x2", 2},
        {"--frames 2 --every 1e3", 2},
        {"--frames 2 --keys 1:F13:down", 1},
        {"--frames 2 --keys 1:Q:pressed", 1},
        {"--frames 2 --keys Q:down", 1},
        {"--frames 2 --keys 3:Q:down", 1},  // after the last frame
        {"--frames 2 --colour red", 1},
        {"--frames", 2},
    };
    for (const auto& item : bad) {
        ToolRun run = capture(item.arguments);
        EXPECT_EQ(run.exitCode, item.exitCode) << item.arguments;
        EXPECT_NE(run.errors.find("demo-tool capture: "), std::string::npos) << item.arguments;
        EXPECT_EQ(run.output, "") << item.arguments;
    }
    EXPECT_NE(capture("--size").errors.find("--size needs a size"), std::string::npos);
    ToolRun run = runCapture("--frames 2", scratch.file("errors.txt"));
    EXPECT_EQ(run.exitCode, 1) << "--out is required";
}

TEST_F(CaptureTool, WritesTheChosenFramesTheSheetAndOneJsonLine) {
    ToolRun run = capture("--frames 3 --every 2 --size 64x36 --sheet " + scratch.file("sheet.png"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_EQ(jsonNumber(run.output, "frames"), 3);
    EXPECT_EQ(jsonNumber(run.output, "width"), 64);
    EXPECT_EQ(jsonNumber(run.output, "height"), 36);
    for (const char* part : {"updateMs", "renderMs", "readbackMs"}) {
        const double median = jsonNumber(run.output, part, "median");
        EXPECT_GE(median, 0.0) << part << " in " << run.output;
        EXPECT_GE(jsonNumber(run.output, part, "p95"), median) << part;
    }

    EXPECT_FALSE(exists(out("frame-00001.png")));
    EXPECT_FALSE(exists(out("frame-00003.png")));
    Picture frame = readPicture(out("frame-00002.png"));
    EXPECT_EQ(frame.width, 64);
    EXPECT_EQ(frame.height, 36);
    // One frame: the sheet is that frame under its label strip.
    Picture sheet = readPicture(scratch.file("sheet.png"));
    EXPECT_EQ(sheet.width, 64);
    EXPECT_GT(sheet.height, 36);
    EXPECT_TRUE(std::equal(frame.rgb.begin(), frame.rgb.end(), sheet.rgb.end() - frame.rgb.size()))
        << "the sheet does not end with the frame";
}

TEST_F(CaptureTool, EscapeInTheScriptEndsTheRunBeforeThatFrame) {
    ToolRun run = capture("--frames 6 --at 2,4 --size 32x18 --keys 3:Escape:down,4:Escape:up");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(jsonNumber(run.output, "frames"), 2);
    EXPECT_TRUE(exists(out("frame-00002.png")));
    EXPECT_FALSE(exists(out("frame-00004.png")));
    EXPECT_NE(run.errors.find("not drawn"), std::string::npos) << run.errors;
}

TEST_F(CaptureTool, FastForwardDrawsTheSameFrame) {
    ToolRun drawn = capture("--frames 12 --at 12 --size 64x36");
    ASSERT_EQ(drawn.exitCode, 0) << drawn.errors;
    std::filesystem::rename(out("frame-00012.png"), scratch.file("drawn.png"));
    ToolRun skipped = capture("--frames 12 --at 12 --size 64x36 --fast-forward");
    ASSERT_EQ(skipped.exitCode, 0) << skipped.errors;

    Picture every = readPicture(scratch.file("drawn.png"));
    Picture fast = readPicture(out("frame-00012.png"));
    ASSERT_EQ(every.width, 64);
    EXPECT_TRUE(every.rgb == fast.rgb) << "skipping the drawing of frames 1 to 11 changed frame 12";
}
