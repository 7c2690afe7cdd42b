#include <GL/glew.h>

#include "gpu/gl_buffers.h"
#include "gpu/gl_state_cache.h"
#include "tests/support/gl_test_context.h"

class GlStateCacheTest : public GlTest {};

static uint64_t calls() { return glStateCache().callsMade; }

TEST_F(GlStateCacheTest, RepeatedRequestsReachOpenGlOnce) {
    setBlendAdditive();
    uint64_t before = calls();
    setBlendAlpha();
    setBlendAlpha();
    EXPECT_EQ(calls() - before, 1u) << "blending already on: one glBlendFunc, then nothing";
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);

    setCulling(false);
    before = calls();
    setCulling(true);
    setCulling(true);
    EXPECT_EQ(calls() - before, 1u);
    EXPECT_EQ(glStateCache().cullingDisabled, 0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    setClearColour(0.25f, 0.5f, 0.75f);
    before = calls();
    setClearColour(0.25f, 0.5f, 0.75f);
    EXPECT_EQ(calls() - before, 0u);
    setClearColour(0.25f, 0.5f, 0.5f);
    EXPECT_EQ(calls() - before, 1u);
}

TEST_F(GlStateCacheTest, DeletedBufferIsBoundAgain) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    bindElementBuffer(buffer);
    uint64_t before = calls();
    bindElementBuffer(buffer);
    EXPECT_EQ(calls() - before, 0u);

    deleteBuffer(buffer);
    EXPECT_EQ(glStateCache().boundElementBuffer, 0u);
    before = calls();
    bindElementBuffer(buffer);
    EXPECT_EQ(calls() - before, 1u) << "a later buffer with the same name must be bound for real";
    GLint bound = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), buffer);
    deleteBuffer(buffer);
}
