#include "tests/support/gl_test_context.h"

#include "app/engine.h"
#include "render/renderer.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

namespace {
struct TestGl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    const char* error = nullptr;
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
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            gl.error = "SDL could not start the offscreen video driver";
        } else {
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            gl.window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
            if (gl.window) gl.context = SDL_GL_CreateContext(gl.window);
            if (!gl.context) {
                gl.error = "no OpenGL context on the offscreen driver";
            } else {
                glewInit();  // reports a missing GLX display under EGL; the entry points are loaded
                glViewport(0, 0, width, height);
            }
        }
    }
    if (gl.context) SDL_GL_MakeCurrent(gl.window, gl.context);
    if (error) *error = gl.error;
    return gl.context != nullptr;
}

void readPixel(int x, int y, unsigned char rgba[4]) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void GlTest::SetUp() {
    const char* error = nullptr;
    ASSERT_TRUE(ensureTestGlContext(64, 64, &error)) << error;
}

void ensureTestRenderer() {
    static Engine record;
    if (engine()) return;
    record.width = 64;
    record.height = 64;
    setEngine(&record);
    renderInit();
}
