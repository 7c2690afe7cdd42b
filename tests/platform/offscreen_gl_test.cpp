#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/window.h"

// The offscreen mode runs the real window and context creation headless.
TEST(OffscreenWindow, ClearsToAColourAndReadsItBack) {
    useOffscreenVideo(48, 40);
    PlatformRect area;
    ASSERT_TRUE(desktopWorkArea(&area));
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 0);
    EXPECT_EQ(area.right, 48);
    EXPECT_EQ(area.bottom, 40);

    PlatformWindow* window = createPlatformWindow(":-)", area);
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(platformWindowTitle(window), ":-)");
    setPlatformWindowTitle(window, "");
    EXPECT_STREQ(platformWindowTitle(window), "");
    PlatformRect client;
    ASSERT_TRUE(platformWindowClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 48);
    EXPECT_EQ(client.bottom - client.top, 40);

    ASSERT_NE(createPlatformGlContext(window), nullptr);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);

    glViewport(0, 0, 48, 40);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    swapPlatformBuffers(window);  // an offscreen surface keeps what was drawn
    unsigned char rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(47, 39, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_NEAR(rgba[0], 51, 1);
    EXPECT_NEAR(rgba[1], 102, 1);
    EXPECT_NEAR(rgba[2], 153, 1);
}

TEST(OffscreenWindow, RejectsAnEmptyArea) {
    useOffscreenVideo(48, 40);
    PlatformRect empty{10, 10, 10, 20};
    EXPECT_EQ(createPlatformWindow("empty", empty), nullptr);
}
