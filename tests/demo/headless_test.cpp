// The headless harness draws every frame without presenting it: after a swap
// the back buffer's contents are undefined, so a tool that read it back would
// save whatever the driver left there.
#include <gtest/gtest.h>

#include <vector>

#include "app/engine.h"
#include "app/headless.h"
#include "demo/demo.h"
#include "platform/window.h"

namespace {
int g_swaps = 0;
}  // namespace

// The test program links with --wrap on swapPlatformBuffers(PlatformWindow*),
// named as the linker sees it.
extern "C" void __real__Z19swapPlatformBuffersP14PlatformWindow(PlatformWindow* window);
extern "C" void __wrap__Z19swapPlatformBuffersP14PlatformWindow(PlatformWindow* window) {
    ++g_swaps;
    __real__Z19swapPlatformBuffersP14PlatformWindow(window);
}

TEST(Headless, FramesAreDrawnAndReadBackWithoutBeingPresented) {
    ASSERT_TRUE(startHeadless(64, 64, demoCallbacks()));
    g_swaps = 0;
    std::vector<unsigned char> rgba;
    for (int i = 0; i < 3; ++i) {
        const HeadlessIteration iteration = runHeadlessIteration(true);
        ASSERT_TRUE(iteration.ran);
        readHeadlessFrame(rgba);
    }
    EXPECT_EQ(g_swaps, 0);
    ASSERT_EQ(rgba.size(), 64u * 64u * 4u);
    int lit = 0;  // sky and land: far from a black or cleared frame
    for (size_t i = 0; i < rgba.size(); i += 4) lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 60;
    EXPECT_GT(lit, 64 * 64 / 2);
}
