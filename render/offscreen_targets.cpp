#include "render/offscreen_targets.h"

#include <GL/glew.h>

#include "render/gl_state_cache.h"

static OffscreenTargets g_targets;

// The size the renderer start-up asked for, while the targets are not made.
static struct {
    bool waiting = false;
    int32_t width = 0, height = 0;
} g_deferred;

void deferOffscreenTargets(int32_t width, int32_t height) {
    g_deferred.waiting = true;
    g_deferred.width = width;
    g_deferred.height = height;
}

OffscreenTargets& offscreenTargets() {
    if (g_deferred.waiting) createOffscreenTargets(g_deferred.width, g_deferred.height);
    return g_targets;
}

// Storage of the colour targets and the depth buffer, and the quad's
// corners, for width x height; no colour storage for an empty size.
static void sizeOffscreenTargets(int32_t width, int32_t height) {
    OffscreenTargets& t = g_targets;
    for (uint32_t texture : t.targetTextures) {
        bindTextureName(0, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width > 0 && height > 0 ? width : 0,
                     width > 0 && height > 0 ? height : 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
#ifdef __EMSCRIPTEN__
    glBindRenderbuffer(GL_RENDERBUFFER, t.depthRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
#else
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, t.depthRenderbuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, width, height);
#endif

    const float right = static_cast<float>(width - 1);
    const float top = static_cast<float>(height - 1);
    const float corners[4][4] = {{0.0f, top, 0.0f, 0.0f},
                                 {0.0f, 0.0f, 0.0f, 1.0f},
                                 {right, 0.0f, 1.0f, 1.0f},
                                 {right, top, 1.0f, 0.0f}};  // x, y, u, v
    for (int i = 0; i < 4; ++i) {
        Vertex& v = t.quadVertices[i];
        v = Vertex{};
        v.position[0] = corners[i][0];
        v.position[1] = corners[i][1];
        v.position[3] = 1.0f;
        v.uv0[0] = corners[i][2];
        v.uv0[1] = corners[i][3];
    }
    bindArrayBuffer(t.quadVertexBuffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof t.quadVertices, t.quadVertices);
}

// The quad's buffers live as long as the process: they are not deleted at
// exit, when the GL context may already be gone.
void createOffscreenTargets(int32_t width, int32_t height) {
    g_deferred.waiting = false;
    OffscreenTargets& t = g_targets;
    for (uint32_t& texture : t.targetTextures) {
        glGenTextures(1, &texture);
        bindTextureName(0, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    }

#ifdef __EMSCRIPTEN__
    // WebGL 2: the core calls, and a depth format with its size named.
    glGenFramebuffers(1, &t.framebuffer);
    bindFramebuffer(t.framebuffer);
    glGenRenderbuffers(1, &t.depthRenderbuffer);
#else
    glGenFramebuffersEXT(1, &t.framebuffer);
    bindFramebuffer(t.framebuffer);
    glGenRenderbuffersEXT(1, &t.depthRenderbuffer);
#endif
    glGenBuffers(1, &t.quadVertexBuffer);
    bindArrayBuffer(t.quadVertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof t.quadVertices, nullptr, GL_STATIC_DRAW);
    glGenBuffers(1, &t.quadIndexBuffer);
    bindElementBuffer(t.quadIndexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof t.quadIndices, nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof t.quadIndices, t.quadIndices);

    sizeOffscreenTargets(width, height);
#ifdef __EMSCRIPTEN__
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depthRenderbuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.targetTextures[0], 0);
#else
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, t.depthRenderbuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, t.targetTextures[0], 0);
#endif
    bindFramebuffer(0);
    bindTextureName(0, t.targetTextures[2]);
}

void resizeOffscreenTargets(int32_t width, int32_t height) {
    if (g_deferred.waiting || g_targets.framebuffer == 0) {
        deferOffscreenTargets(width, height);
        return;
    }
    sizeOffscreenTargets(width, height);
    bindTextureName(0, g_targets.targetTextures[2]);
}
