// An OpenGL context for tests, made by the platform layer without a window
// on screen (Mesa llvmpipe).
#pragma once

#include <gtest/gtest.h>

// Creates the context once per test process and keeps it current. Returns
// false (with the reason in *error) when no context can be made.
bool ensureTestGlContext(int width = 64, int height = 64, const char** error = nullptr);

// exit(-1) as the parent process sees it.
#ifdef _WIN32
constexpr int kExitStatusOfMinusOne = -1;
#else
constexpr int kExitStatusOfMinusOne = 255;
#endif

// Reads one RGBA pixel of the current framebuffer (origin bottom-left).
void readPixel(int x, int y, unsigned char rgba[4]);

// Once per process: the renderer's start-up (shader catalogue, model stack,
// default camera) on the test context, for a 64 x 64 screen. Render tests
// only (test_renderer.cpp).
void ensureTestRenderer();

// Base fixture for tests that need OpenGL: makes the context current, fails
// the test clearly when none can be made.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
