// The per-frame render step: every mesh of a Scene group becomes a RenderItem
// (a value) in the opaque or the transparent queue; each queue is sorted by
// its own mode and drawn; then the group's screen-space sprites.
#pragma once

#include <vector>

#include "scene/math.h"

struct ShaderProgram;
struct Mesh;
struct MeshPart;
struct Skeleton;
struct Scene;

struct RenderItem {
    Matrix4 world;                    // model matrix * mesh local matrix
    ShaderProgram* shader = nullptr;  // staticMeshes or skinnedMeshes, chosen at emission
    Mesh* mesh = nullptr;
    Skeleton* skeleton = nullptr;     // skinned meshes only
    bool cpuSkinning = false;         // skinned meshes only
    MeshPart* part = nullptr;
    int cullMode = 1;
    int depthMode = 3;  // carried, not read when drawing
    int blendMode = 0;  // carried, not read when drawing
    float itemAlpha = 1.0f;
    float position[3] = {0.0f, 0.0f, 0.0f};  // world[12..14], the sort position
};

// Sort modes: 0 emission order; 1 squared distance from the camera, farthest
// first; 2 nearest first; 3 |dz| largest first; 4 |dz| smallest first;
// 5 by shader program address; 6 by material address; other: emission order.
struct RenderQueue {
    explicit RenderQueue(int mode) : sortMode(mode) { items.reserve(4096); }
    int sortMode;
    std::vector<RenderItem> items;
};

// Sorts in place by mode, distances measured from camera (x, y, z).
void sortQueue(int mode, std::vector<RenderItem>& items, const float camera[3]);

// True when the item's mesh box, placed by its world matrix, lies wholly
// outside the clip volume of viewProjection: nothing of it can be drawn.
bool outsideView(const RenderItem& item, const Matrix4& viewProjection);
// The part's level of detail for an item placed in clip space by toClip on a
// viewport of (2 halfWidth) x (2 halfHeight) pixels: the coarsest level that
// moves the surface by at most detailPixels(), 0 for the part's own indices.
int detailLevel(const RenderItem& item, const Matrix4& toClip, float halfWidth, float halfHeight);
// How far on screen, in pixels, a coarser level of detail may move a surface:
// 0.5 unless set; 0 (or less) draws every mesh in full detail.
void setDetailPixels(float pixels);
float detailPixels();

void renderFrame();
void drawGroup(Scene* scene, int group);
void sortAndDraw(int mode, std::vector<RenderItem>& items);
void begin2D();
void end2D();
