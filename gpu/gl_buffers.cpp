#include "gpu/gl_buffers.h"

#include <GL/glew.h>

#include "gpu/gl_state_cache.h"

int createVertexBuffer(int bytes, const void* data) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    bindArrayBuffer(name);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
    return static_cast<int>(name);
}

int createIndexBuffer(int bytes, const void* data) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    bindElementBuffer(name);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
    return static_cast<int>(name);
}

void uploadVertexBuffer(uint32_t buffer, int bytes, const void* data) {
    bindArrayBuffer(buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, data);
}

void uploadIndexBuffer(uint32_t buffer, int bytes, const void* data) {
    bindElementBuffer(buffer);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, data);
}

void deleteBuffer(uint32_t buffer) {
    glDeleteBuffers(1, &buffer);
    forgetBuffer(buffer);
}
