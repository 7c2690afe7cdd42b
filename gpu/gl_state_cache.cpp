#include "gpu/gl_state_cache.h"

#include <GL/glew.h>

static GlStateCache g_cache;

GlStateCache& glStateCache() { return g_cache; }

void setViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    GlStateCache& c = g_cache;
    if (c.viewportX == x && c.viewportY == y && c.viewportWidth == width && c.viewportHeight == height) return;
    c.viewportX = x;
    c.viewportY = y;
    c.viewportWidth = width;
    c.viewportHeight = height;
    ++c.callsMade;
    glViewport(x, y, width, height);
}

void setScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
    GlStateCache& c = g_cache;
    if (c.scissorX == x && c.scissorY == y && c.scissorWidth == width && c.scissorHeight == height) return;
    c.scissorX = x;
    c.scissorY = y;
    c.scissorWidth = width;
    c.scissorHeight = height;
    ++c.callsMade;
    glScissor(x, y, width, height);
}

void setViewportAndScissor(int32_t x, int32_t y, int32_t width, int32_t height) {
    setViewport(x, y, width, height);
    setScissor(x, y, width, height);
}

void setClearColour(float red, float green, float blue) {
    float* cached = g_cache.clearColour;
    if (cached[0] == red && cached[1] == green && cached[2] == blue && cached[3] == 1.0f) return;
    cached[0] = red;
    cached[1] = green;
    cached[2] = blue;
    cached[3] = 1.0f;
    ++g_cache.callsMade;
    glClearColor(red, green, blue, 1.0f);
}

void clearFrame(float red, float green, float blue) {
    setClearColour(red, green, blue);
    setDepthWrite(true);
    ++g_cache.callsMade;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Shared by the three enable/disable flags: write the cache, then call GL.
static void setCapability(int32_t& cached, GLenum capability, bool enabled) {
    const int32_t wanted = enabled ? 1 : 0;
    if (cached == wanted) return;
    cached = wanted;
    ++g_cache.callsMade;
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

void setBlendEnabled(bool enabled) { setCapability(g_cache.blendEnabled, GL_BLEND, enabled); }
void setDepthTest(bool enabled) { setCapability(g_cache.depthTestEnabled, GL_DEPTH_TEST, enabled); }

void setCulling(bool enabled) {
    const int32_t disabled = enabled ? 0 : 1;
    if (g_cache.cullingDisabled == disabled) return;
    g_cache.cullingDisabled = disabled;
    ++g_cache.callsMade;
    if (enabled)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
}

static void setBlendFunction(int32_t function) {
    setBlendEnabled(true);
    if (g_cache.blendFunction == function) return;
    g_cache.blendFunction = function;
    ++g_cache.callsMade;
    glBlendFunc(GL_SRC_ALPHA, function == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}

void setBlendAdditive() { setBlendFunction(1); }
void setBlendAlpha() { setBlendFunction(0); }

void setDepthWrite(bool enabled) {
    const int32_t wanted = enabled ? 1 : 0;
    if (g_cache.depthWriteEnabled == wanted) return;
    g_cache.depthWriteEnabled = wanted;
    ++g_cache.callsMade;
    glDepthMask(enabled ? GL_TRUE : GL_FALSE);
}

void setLineWidth(float width) {
    if (g_cache.lineWidth == width) return;
    g_cache.lineWidth = width;
    ++g_cache.callsMade;
    glLineWidth(width);
}

void bindFramebuffer(uint32_t framebuffer) {
    if (g_cache.boundFramebuffer == framebuffer) return;
    g_cache.boundFramebuffer = framebuffer;
    ++g_cache.callsMade;
#ifdef __EMSCRIPTEN__
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);  // WebGL 2 has the core call only
#else
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
#endif
}

void bindArrayBuffer(uint32_t buffer) {
    if (g_cache.boundArrayBuffer == buffer) return;
    g_cache.boundArrayBuffer = buffer;
    ++g_cache.callsMade;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
}

void bindElementBuffer(uint32_t buffer) {
    if (g_cache.boundElementBuffer == buffer) return;
    g_cache.boundElementBuffer = buffer;
    ++g_cache.callsMade;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
}

void bindTextureName(int slot, uint32_t texture) {
    if (g_cache.boundTexture[slot] == texture) return;
    g_cache.boundTexture[slot] = texture;
    ++g_cache.callsMade;
    glBindTexture(GL_TEXTURE_2D, texture);
}

void forgetBuffer(uint32_t buffer) {
    if (g_cache.boundArrayBuffer == buffer) g_cache.boundArrayBuffer = 0;
    if (g_cache.boundElementBuffer == buffer) g_cache.boundElementBuffer = 0;
}
