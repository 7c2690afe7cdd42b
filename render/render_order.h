// The drawing order of a render queue: each queue is sorted by its own mode.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/render_queue.h"

// One item's place in the sort, its key computed once: queues are sorted as
// these small records instead of moving whole items and recomputing
// distances in every comparison.
struct SortKey {
    float distance;  // the distance modes
    uintptr_t address;  // ByProgram and ByMaterial
    int index;  // the item's place in the queue
};

// The drawing order of items by mode, distances measured from camera
// (x, y, z), as keys whose index fields are in drawing order; false for the
// modes that keep emission order (keys is then left as it was).
bool sortOrder(SortMode mode, const std::vector<RenderItem>& items, const float camera[3], std::vector<SortKey>& keys);
// Sorts the items themselves in place.
void sortQueue(SortMode mode, std::vector<RenderItem>& items, const float camera[3]);
