#include "gpu/gl_textures.h"

#include <GL/glew.h>

#ifdef __EMSCRIPTEN__
#include <utility>
#include <vector>
#endif

#include "gpu/gl_state_cache.h"

static void setFilter(GLenum parameter, int filter) {
    if (filter == 0) glTexParameteri(GL_TEXTURE_2D, parameter, GL_NEAREST);
    if (filter == 1) glTexParameteri(GL_TEXTURE_2D, parameter, GL_LINEAR);
}

uint32_t createTextureObject(int minFilter, int magFilter) {
    GLuint name = 0;
    glGenTextures(1, &name);
    bindTextureName(0, name);
    setFilter(GL_TEXTURE_MIN_FILTER, minFilter);
    setFilter(GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    return name;
}

void uploadTextureImage(int width, int height, bool bgra, const void* pixels) {
#ifdef __EMSCRIPTEN__
    // WebGL takes no B, G, R order: such pixels go up swapped to R, G, B.
    std::vector<uint8_t> swapped;
    if (bgra && pixels && width > 0 && height > 0) {
        const uint8_t* bytes = static_cast<const uint8_t*>(pixels);
        swapped.assign(bytes, bytes + size_t(width) * height * 4);
        for (size_t i = 0; i < swapped.size(); i += 4) std::swap(swapped[i], swapped[i + 2]);
        pixels = swapped.data();
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
#else
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, pixels);
#endif
}

void deleteTextureObject(uint32_t texture) {
    const GLuint name = texture;
    glDeleteTextures(1, &name);
    GlStateCache& cache = glStateCache();
    for (uint32_t& bound : cache.boundTexture)
        if (bound == name) bound = 0;
}
