// The web build (tools/build-web.sh): demo-tool.js under node against the
// Linux demo-tool, and the page in headless Chromium (tests/web/page_test.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/e2e/capture_run.h"
#include "tests/e2e/world_compare.h"
#include "tests/e2e/x_session.h"
#include "tests/support/scratch_dir.h"

namespace {
const std::string kWebBin = SOURCE_DIR "/build-web/bin/";
}

TEST(WebBuild, WorldUnderNodeMatchesLinux) {
    if (!std::filesystem::exists(kWebBin + "demo-tool.js") || !haveCommand("node"))
        GTEST_SKIP() << "no web build or no node: run tools/build-web.sh";
    // Node 20's fetch breaks emscripten 3.1.6's start-up.
    expectWorldMatchesLinux("node --no-experimental-fetch '" + kWebBin + "demo-tool.js'");
}

// The runner's checks (start screen, key to start, the soundtrack, a hidden
// page pausing timeline and sound together, real-time pacing, Q released by
// a blur or a hide, the browser's shortcuts left alone, Escape leaving a plain
// page, the messages for no data, no shaders, no WebGL 2 and a lost context,
// the reload after its restore, device pixels and a resize, the draw without
// WEBGL_multi_draw), with its report in the log; then its picture of step 600 against the Linux capture of that
// step. Chromium's SwiftShader and Mesa's llvmpipe rasterise a little
// differently: 0.24 to 1.14 of 255 on average per channel at steps 240, 600
// and 1200, while one step later the picture moves by 8.5.
TEST(WebBuild, PageRunsInHeadlessChromium) {
    if (!std::filesystem::exists(kWebBin + "demo.html")) GTEST_SKIP() << "no web build: run tools/build-web.sh";
    ScratchDir scratch;
    int exitCode = -1;
    const std::string report = commandOutput(
        "python3 '" SOURCE_DIR "/tests/web/page_test.py' --step 600 --out '" + scratch.path() + "'", &exitCode);
    if (exitCode == 77) GTEST_SKIP() << "no headless Chromium";
    std::printf("%s", report.c_str());
    EXPECT_EQ(exitCode, 0) << report;

    const ToolRun capture = runCapture("--out '" + scratch.path() + "' --frames 600 --size 480x270 --fast-forward",
                                       scratch.file("capture.err"));
    ASSERT_EQ(capture.exitCode, 0) << capture.errors;
    const Picture web = readPicture(scratch.file("web-step-00600.png"));
    const Picture expected = readPicture(scratch.file("frame-00600.png"));
    ASSERT_EQ(web.width, 480);
    ASSERT_EQ(web.height, 270);
    ASSERT_EQ(expected.rgb.size(), web.rgb.size());
    double difference = 0.0;
    for (size_t i = 0; i < web.rgb.size(); ++i) difference += std::abs(web.rgb[i] - expected.rgb[i]);
    difference /= web.rgb.size();
    std::printf("step 600 against the Linux capture: %.3f of 255 on average per channel\n", difference);
    EXPECT_LT(difference, 2.0);
}
