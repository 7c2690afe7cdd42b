// Every OpenGL state change of the engine goes through this one record: it
// remembers the last value set for each piece of state and skips the call
// when a request equals it. The -1 starting values equal no real request, so
// the first request of each kind always reaches OpenGL. Main thread only.
#pragma once

#include <cstdint>

struct GlStateCache {
    int32_t viewportX = -1, viewportY = -1, viewportWidth = -1, viewportHeight = -1;
    int32_t blendEnabled = -1;
    int32_t scissorX = -1, scissorY = -1, scissorWidth = -1, scissorHeight = -1;
    int32_t depthTestEnabled = -1;
    float clearColour[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    float lineWidth = -6502.65f;
    int32_t depthWriteEnabled = -1;
    int32_t blendFunction = -1;  // 0 alpha blending, 1 additive
    int32_t cullingDisabled = -1;  // inverted sense: 0 after glEnable(GL_CULL_FACE)
    uint32_t boundFramebuffer = 0xFFFFFFFFu;
    uint32_t boundArrayBuffer = 0;
    uint32_t boundElementBuffer = 0;
    uint32_t boundTexture[2] = {0, 0};  // per material texture slot (= texture unit)

    // Number of OpenGL calls the cache has let through; tests diff it.
    uint64_t callsMade = 0;
};

GlStateCache& glStateCache();

void setViewport(int32_t x, int32_t y, int32_t width, int32_t height);
void setScissor(int32_t x, int32_t y, int32_t width, int32_t height);
void setViewportAndScissor(int32_t x, int32_t y, int32_t width, int32_t height);
void setClearColour(float red, float green, float blue);
// setClearColour, setDepthWrite(true), then always glClear(colour | depth).
void clearFrame(float red, float green, float blue);
void setBlendEnabled(bool enabled);
void setBlendAdditive();  // GL_SRC_ALPHA, GL_ONE
void setBlendAlpha();  // GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA
void setDepthTest(bool enabled);
void setDepthWrite(bool enabled);
void setCulling(bool enabled);
void setLineWidth(float width);
void bindFramebuffer(uint32_t framebuffer);
void bindArrayBuffer(uint32_t buffer);
void bindElementBuffer(uint32_t buffer);
// Binds on the active texture unit, which the caller has made unit `slot`.
void bindTextureName(int slot, uint32_t texture);
// Call after every glDeleteBuffers: a cached binding equal to buffer becomes 0.
void forgetBuffer(uint32_t buffer);
