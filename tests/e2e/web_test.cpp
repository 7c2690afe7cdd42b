// The web build (tools/build-web.sh): demo-tool.js under node against the
// Linux demo-tool, and the page in headless Chromium (tests/web/page_test.py).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

// Start screen, key to start, ?autostart, the step growing, Escape ending
// it: the runner's checks, with its report in the log.
TEST(WebBuild, PageRunsInHeadlessChromium) {
    if (!std::filesystem::exists(kWebBin + "demo.html")) GTEST_SKIP() << "no web build: run tools/build-web.sh";
    ScratchDir scratch;
    int exitCode = -1;
    const std::string report = commandOutput("python3 '" SOURCE_DIR "/tests/web/page_test.py' --out '" +
                                                 scratch.path() + "'",
                                             &exitCode);
    if (exitCode == 77) GTEST_SKIP() << "no headless Chromium";
    std::printf("%s", report.c_str());
    EXPECT_EQ(exitCode, 0) << report;
}
