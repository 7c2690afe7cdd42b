// The render queues: every mesh of a Scene group becomes a RenderItem (a
// value) in the Scene's opaque or transparent queue, emptied by each frame.
// A frame (render/) orders them (render_order.h), keeps what the camera sees
// (visibility.h) and draws them (render_frame.h).
#pragma once

#include <vector>

#include "gpu/draw_state.h"
#include "scene/math.h"

// How a render queue orders its items for drawing (render/render_order.cpp
// holds one rule per mode, in this order).
enum class SortMode {
    Emission,  // as submitted
    FarthestFirst,  // squared distance from the camera
    NearestFirst,
    DepthFarthestFirst,  // |dz| from the camera
    DepthNearestFirst,
    ByProgram,  // shader program address
    ByMaterial,  // material address
};

struct ShaderProgram;
struct Mesh;
struct MeshPart;
struct Skeleton;

struct RenderItem {
    Matrix4 world;  // model matrix * mesh local matrix
    ShaderProgram* shader = nullptr;  // staticMeshes or skinnedMeshes, chosen at emission
    Mesh* mesh = nullptr;
    Skeleton* skeleton = nullptr;  // skinned meshes only
    bool cpuSkinning = false;  // skinned meshes only
    MeshPart* part = nullptr;
    CullMode cullMode = CullMode::BackFaces;
    DepthMode depthMode = DepthMode::TestAndWrite;  // carried, not read when drawing
    BlendMode blendMode = BlendMode::Off;  // carried, not read when drawing
    float itemAlpha = 1.0f;
    float position[3] = {0.0f, 0.0f, 0.0f};  // world[12..14], the sort position
};

// One queue of a Scene: its items in emission order and the mode that
// orders them for drawing (render_order.h).
struct RenderQueue {
    explicit RenderQueue(SortMode mode) : sortMode(mode) { items.reserve(4096); }
    SortMode sortMode;
    std::vector<RenderItem> items;
};
