// The real demo binary under a private X server.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/x_session.h"
#include "tests/support/scratch_dir.h"

namespace {
constexpr int kScreenWidth = 800, kScreenHeight = 600;
// Start-up loads the demo's assets on a software renderer: allow for it.
constexpr double kStartSeconds = 30.0;

class DemoUnderX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveCommand("Xvfb") || !haveCommand("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
        server_.reset(new XvfbServer(kScreenWidth, kScreenHeight));
        ASSERT_TRUE(server_->running()) << "Xvfb did not start";
    }

    // Starts the demo and waits for its window.
    unsigned long startDemo() {
        demo_.reset(new DemoProcess(server_->display(), scratch_.file("stderr.txt")));
        unsigned long window = findDemoWindow(*server_, *demo_, kStartSeconds);
        EXPECT_NE(window, 0u) << "no demo window; stderr: " << readFile(scratch_.file("stderr.txt"));
        return window;
    }

    void expectCleanExit() {
        ASSERT_TRUE(demo_->waitForExit(kStartSeconds)) << "the demo did not end";
        EXPECT_TRUE(demo_->exitedNormally()) << readFile(scratch_.file("stderr.txt"));
        EXPECT_EQ(demo_->exitCode(), 0) << readFile(scratch_.file("stderr.txt"));
    }

    ScratchDir scratch_;
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<DemoProcess> demo_;
};

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// xdotool getwindowgeometry --shell: X=, Y=, WIDTH=, HEIGHT= lines.
bool readGeometry(const XvfbServer& server, unsigned long window, int rect[4]) {
    std::istringstream lines(server.run("xdotool getwindowgeometry --shell " + std::to_string(window)));
    std::string line;
    int found = 0;
    while (std::getline(lines, line)) {
        const char* keys[4] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
        for (int i = 0; i < 4; ++i) {
            if (line.rfind(keys[i], 0) == 0) {
                rect[i] = std::stoi(line.substr(std::string(keys[i]).size()));
                ++found;
            }
        }
    }
    return found == 4;
}
}  // namespace

TEST_F(DemoUnderX, ClientAreaIsTheWorkAreaAndTheTitleIsEmpty) {
    // A panel along the top and left edges, as a desktop would announce it.
    int expected[4] = {0, 0, kScreenWidth, kScreenHeight};
    if (haveCommand("xprop")) {
        server_->run("xprop -root -format _NET_WORKAREA 32c -set _NET_WORKAREA 30,20,700,540");
        expected[0] = 30, expected[1] = 20, expected[2] = 700, expected[3] = 540;
    }
    unsigned long window = startDemo();
    ASSERT_NE(window, 0u);

    std::string title = ":-)";
    for (int attempt = 0; attempt < 200 && !title.empty(); ++attempt) {
        title = trimmed(server_->run("xdotool getwindowname " + std::to_string(window)));
        if (!title.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(title, "");

    int rect[4] = {};
    ASSERT_TRUE(readGeometry(*server_, window, rect));
    EXPECT_EQ(rect[0], expected[0]);
    EXPECT_EQ(rect[1], expected[1]);
    EXPECT_EQ(rect[2], expected[2]);
    EXPECT_EQ(rect[3], expected[3]);

    server_->run("xdotool mousemove 410 310 key Escape");
    expectCleanExit();
}

TEST_F(DemoUnderX, EscapeEndsTheProcessWithExitCodeZero) {
    ASSERT_NE(startDemo(), 0u);
    // Keys go to the window under the pointer (no window manager).
    server_->run("xdotool mousemove 410 310 key Escape");
    expectCleanExit();
}

TEST_F(DemoUnderX, ClosingTheWindowEndsTheProcessWithExitCodeZero) {
    unsigned long window = startDemo();
    ASSERT_NE(window, 0u);
    if (!sendCloseRequest(*server_, window)) GTEST_SKIP() << "libX11 is not available to send the close request";
    expectCleanExit();
}

TEST(DemoWithoutDisplay, EndsNonZeroWithTheMessage) {
    ScratchDir scratch;
    DemoProcess demo("", scratch.file("stderr.txt"));
    ASSERT_TRUE(demo.waitForExit(10.0)) << "the demo did not end without a display";
    EXPECT_TRUE(demo.exitedNormally());
    EXPECT_NE(demo.exitCode(), 0);
    EXPECT_NE(readFile(scratch.file("stderr.txt")).find("Window Creation Failed!"), std::string::npos)
        << readFile(scratch.file("stderr.txt"));
}
