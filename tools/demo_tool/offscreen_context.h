// An OpenGL context for the tools, without a window on screen: SDL's
// "offscreen" video driver (EGL), compatibility profile, entry points loaded.
#pragma once

#include <string>

// Makes a context with a width x height default framebuffer current. False,
// with the reason in *error, when none can be made.
bool createOffscreenContext(int width, int height, std::string* error);
void destroyOffscreenContext();
