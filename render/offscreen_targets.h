// The resources of a screen-sized off-screen pass: three colour textures, a
// framebuffer with a depth renderbuffer and target 0 as colour attachment,
// and a screen-covering quad in the engine's vertex layout. The renderer
// start-up only records their size: they are built at the first
// offscreenTargets() call, since the frame draws straight into the window
// and clearing some 30 MB of storage it never reads slows the start.
#pragma once

#include <cstdint>

#include "scene/model.h"

struct OffscreenTargets {
    uint32_t targetTextures[3] = {0, 0, 0};
    uint32_t framebuffer = 0;
    uint32_t depthRenderbuffer = 0;
    uint32_t quadVertexBuffer = 0;
    uint32_t quadIndexBuffer = 0;
    Vertex quadVertices[4] = {};  // pixel positions 0..width-1, 0..height-1
    uint16_t quadIndices[6] = {0, 1, 2, 0, 2, 3};
};

// Builds the targets first if the start-up deferred them.
OffscreenTargets& offscreenTargets();
// Records the size for the targets that the first offscreenTargets() builds.
void deferOffscreenTargets(int32_t width, int32_t height);

// The screen's size changed: targets already made get storage of the new
// size (names kept), targets not made yet are recorded at it.
void resizeOffscreenTargets(int32_t width, int32_t height);

// Afterwards framebuffer 0 is bound again and texture slot 0 holds target 2.
// A width or height of 0 or less gives textures without storage.
void createOffscreenTargets(int32_t width, int32_t height);
