// Buffer objects: creation, upload and deletion. Bindings go through the GL
// state cache, so each leaves the buffer bound as the cache records it.
#pragma once

#include <cstdint>

// A new vertex (GL_ARRAY_BUFFER) or index (GL_ELEMENT_ARRAY_BUFFER) buffer,
// bound, with `bytes` of static-draw storage filled from data (none when
// data is null). Returns its name.
int createVertexBuffer(int bytes, const void* data);
int createIndexBuffer(int bytes, const void* data);
// Binds the buffer and replaces its first `bytes` bytes with data.
void uploadVertexBuffer(uint32_t buffer, int bytes, const void* data);
void uploadIndexBuffer(uint32_t buffer, int bytes, const void* data);
// glDeleteBuffers followed by forgetBuffer; the one way the engine deletes buffers.
void deleteBuffer(uint32_t buffer);
