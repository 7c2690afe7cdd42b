// Textures: one OpenGL texture object and the Image it came from. Textures
// loaded by path are shared through a process-wide list keyed by the path;
// owners may also make private textures (refCount 0) that they delete.
#pragma once

#include <string>

#include "image/image.h"

struct Texture {
    std::string path;
    unsigned refCount = 0;
    Texture* next = nullptr;
    Image* image = nullptr;  // always present, owned
    int glName = -1;  // the OpenGL texture name, -1 while none exists
    bool needsUpload = false;
    bool opaque = false;  // every texel of the last upload has alpha 255
};

// A private texture: glName -1, a cleared Image, not in the shared list.
Texture* createTexture();
Texture* findTexture(const char* path);
// The shared texture of a file, created on first request; refCount + 1.
Texture* loadTexture(const char* path);
// Filters: 0 GL_NEAREST, 1 GL_LINEAR, other unset. Wraps mirrored-repeat.
int createGlTexture(Texture* texture, int minFilter, int magFilter);
// The caller has made `unit` the active texture unit.
void bindTexture(Texture* texture, int unit);
void createBlank(Texture* texture, int pixelOrder, int width, int height, int minFilter, int magFilter);
void reloadFromFile(Texture* texture, const char* path);
// Deletes the GL texture object and the Image (not the record).
void destroyTexture(Texture* texture);

// The shared list, for inspection.
Texture* textureListHead();
int textureListCount();
