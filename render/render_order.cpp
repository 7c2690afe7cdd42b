#include "render/render_order.h"

#include <algorithm>
#include <cmath>

#include "scene/model.h"

// Sort keys with NaN replaced by +infinity: std::sort needs a strict weak
// order, and a NaN position (a degenerate matrix) must not break it.
static float orderedKey(float key) { return std::isnan(key) ? INFINITY : key; }

static float squaredDistance(const RenderItem& item, const float camera[3]) {
    const float dx = item.position[0] - camera[0];
    const float dy = item.position[1] - camera[1];
    const float dz = item.position[2] - camera[2];
    return orderedKey(dx * dx + dy * dy + dz * dz);
}

static float depthDistance(const RenderItem& item, const float camera[3]) {
    return orderedKey(std::fabs(item.position[2] - camera[2]));
}

static const Material* itemMaterial(const RenderItem& item) { return item.part ? item.part->material : nullptr; }

// std::sort makes the same moves for the same comparison results, so the
// keys end in the order the items themselves would have taken, ties included.
bool sortOrder(int mode, const std::vector<RenderItem>& items, const float camera[3], std::vector<SortKey>& keys) {
    if (mode < 1 || mode > 6) return false;
    keys.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        SortKey& key = keys[i];
        key.index = static_cast<int>(i);
        key.distance = mode <= 2 ? squaredDistance(item, camera) : mode <= 4 ? depthDistance(item, camera) : 0.0f;
        key.address = mode == 5   ? reinterpret_cast<uintptr_t>(item.shader)
                      : mode == 6 ? reinterpret_cast<uintptr_t>(itemMaterial(item))
                                  : 0;
    }
    if (mode == 1 || mode == 3)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance > b.distance; });
    else if (mode == 2 || mode == 4)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance < b.distance; });
    else
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.address < b.address; });
    return true;
}

void sortQueue(int mode, std::vector<RenderItem>& items, const float camera[3]) {
    static std::vector<SortKey> keys;  // grows with the longest queue sorted and then stays
    if (!sortOrder(mode, items, camera, keys)) return;
    const std::vector<RenderItem> unsorted = items;
    for (size_t i = 0; i < items.size(); ++i) items[i] = unsorted[static_cast<size_t>(keys[i].index)];
}
