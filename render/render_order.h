// The drawing order of a render queue: each queue is sorted by its own mode.
#pragma once

#include <cstdint>
#include <vector>

#include "render/render_queue.h"

// One item's place in the sort, its key computed once: queues are sorted as
// these small records instead of moving whole items and recomputing
// distances in every comparison.
struct SortKey {
    float distance;  // modes 1 to 4
    uintptr_t address;  // modes 5 and 6
    int index;  // the item's place in the queue
};

// Sort modes: 0 emission order; 1 squared distance from the camera, farthest
// first; 2 nearest first; 3 |dz| largest first; 4 |dz| smallest first;
// 5 by shader program address; 6 by material address; other: emission order.
//
// The drawing order of items by mode, distances measured from camera
// (x, y, z), as keys whose index fields are in drawing order; false for the
// modes that keep emission order (keys is then left as it was).
bool sortOrder(int mode, const std::vector<RenderItem>& items, const float camera[3], std::vector<SortKey>& keys);
// Sorts the items themselves in place.
void sortQueue(int mode, std::vector<RenderItem>& items, const float camera[3]);
