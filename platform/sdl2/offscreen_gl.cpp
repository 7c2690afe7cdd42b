#include "platform/offscreen_gl.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

static SDL_Window* g_window = nullptr;
static SDL_GLContext g_context = nullptr;

bool createOffscreenContext(int width, int height, std::string* error, int depthBits) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (error) *error = std::string("SDL could not start the offscreen video driver: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    g_window = SDL_CreateWindow("demo-tool", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (g_window) g_context = SDL_GL_CreateContext(g_window);
    if (!g_context) {
        if (error) *error = std::string("no OpenGL context on the offscreen driver: ") + SDL_GetError();
        destroyOffscreenContext();
        return false;
    }
    SDL_GL_MakeCurrent(g_window, g_context);
    glewInit();  // reports a missing GLX display under EGL; the entry points are loaded all the same
    return true;
}

void makeOffscreenContextCurrent() {
    if (g_context) SDL_GL_MakeCurrent(g_window, g_context);
}

void destroyOffscreenContext() {
    if (g_context) SDL_GL_DeleteContext(g_context);
    if (g_window) SDL_DestroyWindow(g_window);
    g_context = nullptr;
    g_window = nullptr;
    SDL_Quit();
}
