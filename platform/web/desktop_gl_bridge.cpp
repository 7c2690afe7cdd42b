// Until the renderer draws through generic vertex attributes and writes
// GLSL ES 3.00 itself, this bridge lets it run on WebGL 2 unchanged: the
// fixed-function arrays become attributes 0 to 2, the EXT framebuffer
// binding the core one, and each shader source is
// rewritten as it is handed over (the version line first, with default
// precisions; gl_Vertex, gl_Normal, gl_MultiTexCoord0 and gl_FragColor
// declared as attributes and an output). Compile and link logs go to the
// console.
#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>

#include "platform/web/web_layer.h"

namespace {
constexpr GLuint kVertexAttribute = 0, kNormalAttribute = 1, kTexCoordAttribute = 2;
constexpr GLenum kVertexArray = 0x8074, kNormalArray = 0x8075, kTexCoordArray = 0x8078;

bool attributeOf(GLenum array, GLuint* index) {
    switch (array) {
    case kVertexArray: *index = kVertexAttribute; return true;
    case kNormalArray: *index = kNormalAttribute; return true;
    case kTexCoordArray: *index = kTexCoordAttribute; return true;
    default: return false;
    }
}
}  // namespace

extern "C" {
void glEnableClientState(GLenum array) {
    GLuint index = 0;
    if (attributeOf(array, &index)) glEnableVertexAttribArray(index);
}

void glDisableClientState(GLenum array) {
    GLuint index = 0;
    if (attributeOf(array, &index)) glDisableVertexAttribArray(index);
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kVertexAttribute, size, type, GL_FALSE, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kNormalAttribute, 3, type, GL_FALSE, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kTexCoordAttribute, size, type, GL_FALSE, stride, pointer);
}

void glBindFramebufferEXT(GLenum target, GLuint framebuffer) { glBindFramebuffer(target, framebuffer); }
}

// In desktop_gl_bridge.js.
extern "C" void installShaderBridge();

void installDesktopGlBridge() { installShaderBridge(); }
