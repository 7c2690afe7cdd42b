#include <GL/glew.h>
#include <unistd.h>

#include <filesystem>

#include "gpu/gl_state_cache.h"
#include "render/offscreen_targets.h"
#include "render/renderer.h"
#include "gpu/shader_catalogue.h"
#include "scene/camera.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

class RendererTest : public GlTest {};

TEST_F(RendererTest, StartUpLeavesTheFixedState) {
    frameCounters().framesDrawn = 7;
    renderInit(screenSize());

    const GlStateCache& cache = glStateCache();
    EXPECT_EQ(cache.depthTestEnabled, 1);
    EXPECT_EQ(cache.depthWriteEnabled, 1);
    EXPECT_EQ(cache.blendEnabled, 0);
    EXPECT_EQ(cache.cullingDisabled, 0);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_EQ(frameCounters().framesDrawn, 0);

    ASSERT_NE(modelStack(), nullptr);
    EXPECT_EQ(modelStack()->capacity, 64);
    ASSERT_NE(defaultCamera(), nullptr);
    EXPECT_EQ(currentCamera(), defaultCamera());
    ASSERT_NE(shaderCatalogue().oculusRift, nullptr);
    EXPECT_TRUE(shaderCatalogue().oculusRift->linked);
}

TEST_F(RendererTest, OffscreenTargets) {
    createOffscreenTargets(8, 4);
    const OffscreenTargets& t = offscreenTargets();
    EXPECT_EQ(glStateCache().boundFramebuffer, 0u);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(glStateCache().boundTexture[0], t.targetTextures[2]);

    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 4);

    Vertex quad[4];
    bindArrayBuffer(t.quadVertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
    EXPECT_EQ(quad[0].position[1], 3.0f);
    EXPECT_EQ(quad[2].position[0], 7.0f);
    EXPECT_EQ(quad[3].uv0[0], 1.0f);
    EXPECT_EQ(quad[3].uv0[1], 0.0f);
    uint16_t indices[6] = {};
    bindElementBuffer(t.quadIndexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof indices, indices);
    EXPECT_EQ(indices[5], 3);

    // A new client size: the same targets, storage and quad of the new size.
    resizeOffscreenTargets(12, 6);
    EXPECT_EQ(offscreenTargets().targetTextures[0], t.targetTextures[0]);
    bindTextureName(0, t.targetTextures[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 12);
    GLint depthHeight = 0;
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, t.depthRenderbuffer);
    glGetRenderbufferParameterivEXT(GL_RENDERBUFFER_EXT, GL_RENDERBUFFER_HEIGHT_EXT, &depthHeight);
    EXPECT_EQ(depthHeight, 6);
    bindArrayBuffer(t.quadVertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
    EXPECT_EQ(quad[2].position[0], 11.0f);

    createOffscreenTargets(0, 0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0) << "no storage without a size";

    // As the start-up makes them: at the first use, with the recorded size.
    deferOffscreenTargets(6, 2);
    offscreenTargets();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 6);
}

TEST_F(RendererTest, BrokenShaderEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static ScratchDir dir;  // static: removed by the exit handlers
            std::filesystem::copy("shaders", dir.file("shaders"), std::filesystem::copy_options::recursive);
            dir.write("shaders/blur_y_fs.glsl", "void main() { broken }\n");
            if (chdir(dir.path().c_str()) != 0) std::_Exit(1);
            renderInit(ScreenSize{});
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(kExitStatusOfMinusOne), "");
}
