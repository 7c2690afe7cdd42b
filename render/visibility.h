// Visibility: which items of a sorted queue a camera can see, each with its
// level of detail and, for a part cut into tiles (the landscape), the index
// runs of its tiles in view. Reads no GL state and draws nothing.
#pragma once

#include <vector>

#include "render/render_order.h"
#include "scene/render_queue.h"

class CAMERA3D;

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

// One draw: the item, its level of detail (0: the part's own indices) and,
// when tiled, runCount index runs from firstRun of the list's runs.
struct VisibleDraw {
    const RenderItem* item;
    int level;
    bool tiled;
    int firstRun;
    int runCount;
};

// The draws of one queue, in drawing order. The runs are index ranges of
// the element buffer: runCounts[i] indices from byte offset runOffsets[i].
// Kept from frame to frame so that frames allocate nothing.
struct DrawList {
    std::vector<VisibleDraw> draws;
    std::vector<int> runCounts;
    std::vector<const void*> runOffsets;
};

// Fills list with the items in the order of keys (emission order when
// sorted is false) that camera sees. Without a camera every item is drawn
// whole, in full detail.
void collectVisibleDraws(const std::vector<RenderItem>& items, const std::vector<SortKey>& keys, bool sorted,
                         const CAMERA3D* camera, DrawList& list);
