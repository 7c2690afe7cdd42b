#include "render/renderer.h"

#include <GL/glew.h>

#include <cstdlib>

#include "platform/message_box.h"
#include "gpu/gl_state_cache.h"
#include "render/offscreen_targets.h"
#include "gpu/shader_catalogue.h"
#include "gpu/shader_source.h"
#include "scene/camera.h"
#include "scene/math.h"

FrameCounters& frameCounters() {
    static FrameCounters counters;
    return counters;
}

static ScreenSize g_screen;

const ScreenSize& screenSize() { return g_screen; }
void setScreenSize(const ScreenSize& screen) {
    g_screen = screen;
    setCameraScreen(screen.width, screen.height);
}

void resizeScreen(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || (width == g_screen.width && height == g_screen.height)) return;
    cameraScreenResized(g_screen.width, g_screen.height, width, height);
    g_screen.width = width;
    g_screen.height = height;
    resizeOffscreenTargets(width, height);
}

void renderInit(const ScreenSize& screen) {
    setScreenSize(screen);
    glewInit();  // under EGL this reports an error although the entry points load
    glFrontFace(GL_CCW);
#ifdef __EMSCRIPTEN__
    // WebGL has no fixed-function arrays: the shader header's generic attributes.
    for (GLuint attribute : {kPositionAttribute, kNormalAttribute, kTexCoordAttribute})
        glEnableVertexAttribArray(attribute);
#else
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
#endif
    setDepthTest(true);
    setDepthWrite(true);
    setBlendEnabled(false);
    setCulling(true);

    frameCounters() = FrameCounters{};

    // Without a window (tools, tests) the targets get no storage, matching
    // the 0 x 0 viewport a camera gets then.
    deferOffscreenTargets(g_screen.width, g_screen.height);

    MatrixStack* stack = new MatrixStack;
    stack->create(64);
    setModelStack(stack);

    if (!buildCatalogue()) {
#ifdef __EMSCRIPTEN__
        showErrorBox("The shader programs do not build on this browser's WebGL 2.");  // a page that exits stays dark
#endif
        std::exit(-1);
    }

    CAMERA3D* camera = new CAMERA3D();
    setDefaultCamera(camera);
    setCurrentCamera(camera);
}
