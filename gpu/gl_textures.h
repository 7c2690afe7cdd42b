// Texture objects: creation, upload and deletion, bound on texture unit 0
// through the GL state cache.
#pragma once

#include <cstdint>

// A new 2D texture, bound on unit 0 (the active unit), with its filters set
// (0 GL_NEAREST, 1 GL_LINEAR, other: left unset) and mirrored-repeat wrapping.
// Returns its name.
uint32_t createTextureObject(int minFilter, int magFilter);
// Level 0 of the bound texture from width x height pixels of 4 bytes,
// R, G, B, A or, when bgra, B, G, R, A; stored as RGBA.
void uploadTextureImage(int width, int height, bool bgra, const void* pixels);
// Deletes the texture; the binding cache forgets it too, or a new texture
// that reuses the name would never be bound.
void deleteTextureObject(uint32_t texture);
