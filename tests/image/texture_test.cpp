#include <GL/glew.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "tests/support/test_images.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Level 0 of a texture as R, G, B, A, read back through the binding cache.
Bytes textureContents(const Texture* texture) {
    bindTextureName(0, GLuint(texture->glName));
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    Bytes out(size_t(width) * size_t(height) * 4);
    if (!out.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

using TextureTest = GlTest;

TEST_F(TextureTest, SamePathSharesOneTextureCaseDifferentPathsDoNot) {
    ScratchDir dir;
    const std::string path = dir.write("red.png", rgbaPng(1, 1, {255, 0, 0, 255}));
    const int before = textureListCount();
    Texture* first = loadTexture(path.c_str());
    Texture* second = loadTexture(path.c_str());
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->refCount, 2u);
    EXPECT_EQ(textureListCount(), before + 1);
    EXPECT_EQ(findTexture(path.c_str()), first);
    EXPECT_EQ(first->path, path);
    ASSERT_NE(first->glName, -1);
    EXPECT_TRUE(glIsTexture(GLuint(first->glName)));
    EXPECT_FALSE(first->needsUpload);
    EXPECT_EQ(textureContents(first), (Bytes{255, 0, 0, 255}));
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_MIRRORED_REPEAT);

    const std::string upper = dir.file("RED.png");
    Texture* other = loadTexture(upper.c_str());
    EXPECT_NE(other, first);
    EXPECT_EQ(findTexture(upper.c_str()), other);
    EXPECT_NE(other->glName, -1);
    // A file that does not decode still gets a GL name, with nothing
    // uploaded. (Windows finds red.png under either case.)
    if (!std::filesystem::exists(upper)) {
        EXPECT_EQ(other->image->pixels, nullptr);
        EXPECT_TRUE(textureContents(other).empty());
    }
}

TEST_F(TextureTest, ReloadUploadsOnceAtTheNextBind) {
    ScratchDir dir;
    Texture* texture = loadTexture(dir.write("a.png", rgbaPng(1, 1, {255, 0, 0, 255})).c_str());
    reloadFromFile(texture, dir.write("b.png", rgbaPng(1, 1, {0, 255, 0, 255})).c_str());
    EXPECT_TRUE(texture->needsUpload);
    EXPECT_EQ(textureContents(texture), (Bytes{255, 0, 0, 255}));  // nothing uploaded yet

    bindTexture(texture, 0);
    EXPECT_FALSE(texture->needsUpload);
    EXPECT_EQ(textureContents(texture), (Bytes{0, 255, 0, 255}));
    // The pending upload is spent: later binds upload nothing.
    texture->image->pixels[2] = 200;
    bindTexture(texture, 0);
    EXPECT_EQ(textureContents(texture), (Bytes{0, 255, 0, 255}));
}

TEST_F(TextureTest, BlankTexturesAndPixelOrder) {
    Texture* texture = createTexture();
    EXPECT_EQ(texture->glName, -1);
    EXPECT_EQ(texture->refCount, 0u);
    createBlank(texture, 1, 2, 1, 0, 0);
    const Image& image = *texture->image;
    EXPECT_EQ(image.stride, 8);
    EXPECT_EQ(image.byteSize, 8);
    EXPECT_EQ(image.pixelOrder, 1);
    ASSERT_NE(texture->glName, -1);
    GLint filter = 0;
    bindTextureName(0, GLuint(texture->glName));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);

    // Pixel order 1 is B, G, R, A in memory.
    const unsigned char bgra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    createBlank(texture, 1, 2, 1, 0, 0);  // same size again: re-upload pending
    std::copy(bgra, bgra + 8, image.pixels);
    EXPECT_TRUE(texture->needsUpload);
    bindTexture(texture, 0);
    EXPECT_EQ(textureContents(texture), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));

    // Sizes whose bytes overflow become an empty image.
    createBlank(texture, 0, 70000, 70000, 1, 1);
    EXPECT_EQ(texture->image->pixels, nullptr);
    EXPECT_EQ(texture->image->byteSize, 0);
    destroyTexture(texture);
    delete texture;
}

TEST_F(TextureTest, DestroyingTheBoundTextureClearsTheCachedBinding) {
    Texture* texture = createTexture();
    createBlank(texture, 0, 1, 1, 1, 1);
    const GLuint name = GLuint(texture->glName);
    ASSERT_EQ(glStateCache().boundTexture[0], name);
    destroyTexture(texture);
    delete texture;
    EXPECT_EQ(glStateCache().boundTexture[0], 0u);

    // Whatever name the next texture gets, its creation really binds it.
    Texture* next = createTexture();
    createBlank(next, 0, 1, 1, 1, 1);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), GLuint(next->glName));
    destroyTexture(next);
    delete next;
}

TEST_F(TextureTest, PathsLongerThan2051BytesAreNotDecoded) {
    ScratchDir dir;
    dir.write("c.png", rgbaPng(1, 1, {1, 2, 3, 4}));
    // "./" segments reach any length while naming the same file.
    auto padded = [&](size_t length) {
        std::string prefix = dir.path() + "/";
        const std::string tail = "c.png";
        while (prefix.size() + tail.size() + 2 <= length) prefix += "./";
        if (prefix.size() + tail.size() < length) prefix += "/";
        return prefix + tail;
    };
    const std::string fits = padded(2051);
    const std::string tooLong = padded(2052);
    ASSERT_EQ(fits.size(), 2051u);
    ASSERT_EQ(tooLong.size(), 2052u);
    EXPECT_NE(loadTexture(fits.c_str())->image->pixels, nullptr);
    Texture* texture = loadTexture(tooLong.c_str());
    EXPECT_EQ(texture->image->pixels, nullptr);
    EXPECT_EQ(texture->path, tooLong);
}

}  // namespace
