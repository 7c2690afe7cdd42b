// An OpenGL context for tools and tests without a window on screen:
// compatibility profile, double-buffered, entry points loaded. On SDL it runs
// on the "offscreen" video driver (EGL), on Win32 in a hidden window.
#pragma once

#include <string>

// Makes a context with a width x height default framebuffer and at least
// depthBits depth bits current. False, with the reason in *error, when none
// can be made.
bool createOffscreenContext(int width, int height, std::string* error, int depthBits = 24);
// Makes the context current again (after another one was).
void makeOffscreenContextCurrent();
void destroyOffscreenContext();
