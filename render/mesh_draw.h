// Drawing of one render item (buffers, material, matrices, vertex arrays,
// skeleton, triangles) and of single 3D line segments. Every state change
// goes through the GL state cache.
#pragma once

#include "scene/model.h"

struct RenderItem;
struct ShaderProgram;
struct Texture;

// Index ranges of one draw, in order: counts[i] indices from byte offsets[i]
// of the element buffer.
struct IndexRuns {
    const int* counts = nullptr;
    const void* const* offsets = nullptr;
    int count = 0;
};

// The model stack top must hold the item's world matrix. level picks the
// part's indices (0) or a coarser level of detail (1..detailLevelCount);
// runs, when given, draws only those ranges of the part's own indices.
void drawItem(const RenderItem& item, int level = 0, const IndexRuns* runs = nullptr);
// Makes program current if it is not, then blend, culling and depth by the
// material, its textures on units 0..textureCount-1 (unit 0 active again
// afterwards) and the material uniforms.
void applyMaterial(const Material* material, ShaderProgram* program, float itemAlpha);

// The process-wide line record: four vertices (two used) in a dynamic buffer
// and six indices. Callers set colour, alpha and keepDepthTest before drawing.
struct LineRecord {
    int vertexBuffer = -1;
    int indexBuffer = -1;
    Vertex vertices[4] = {};
    float colour[3] = {1.0f, 0.0f, 0.0f};
    float alpha = 1.0f;
    bool keepDepthTest = true;
};

// Creates the line record once (needs the GL context); later calls return it.
LineRecord* createLineRecord();
// The line record, or null before createLineRecord.
LineRecord* lineRecord();
// One segment in the line record's colour with the primitives3d program;
// nothing happens before the record exists.
void drawLine(const float from[3], const float to[3], float width);

// A sprite's quad with the current program (its transforms uploaded): the
// vertices uploaded, texture bound on unit 0, the transparency uniform set
// to alpha, then its triangles.
void drawSpriteQuad(const Mesh* quad, Texture* texture, float alpha);
