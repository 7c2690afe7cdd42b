#include "tests/support/gl_test_context.h"

#include <GL/glew.h>

#include <string>

#include "platform/offscreen_gl.h"

namespace {
struct TestGl {
    bool made = false;
    std::string error;
    bool tried = false;
};
TestGl& testGl() {
    static TestGl state;
    return state;
}
}  // namespace

bool ensureTestGlContext(int width, int height, const char** error) {
    TestGl& gl = testGl();
    if (!gl.tried) {
        gl.tried = true;
        gl.made = createOffscreenContext(width, height, &gl.error, 16);
        if (gl.made) glViewport(0, 0, width, height);
    }
    if (gl.made) makeOffscreenContextCurrent();
    if (error) *error = gl.error.c_str();
    return gl.made;
}

void readPixel(int x, int y, unsigned char rgba[4]) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void GlTest::SetUp() {
    const char* error = nullptr;
    ASSERT_TRUE(ensureTestGlContext(64, 64, &error)) << error;
}
