#include "render/gl_textures.h"

#include <GL/glew.h>

#include "render/gl_state_cache.h"

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
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

void deleteTextureObject(uint32_t texture) {
    const GLuint name = texture;
    glDeleteTextures(1, &name);
    GlStateCache& cache = glStateCache();
    for (uint32_t& bound : cache.boundTexture)
        if (bound == name) bound = 0;
}
