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

static uintptr_t programAddress(const RenderItem& item) { return reinterpret_cast<uintptr_t>(item.shader); }

static uintptr_t materialAddress(const RenderItem& item) {
    return reinterpret_cast<uintptr_t>(item.part ? item.part->material : nullptr);
}

// What each SortMode sorts by: a distance (descending or not) or an address
// (ascending); neither keeps emission order. One row per mode, in its order.
struct SortRule {
    float (*distance)(const RenderItem&, const float camera[3]);
    bool descending;
    uintptr_t (*address)(const RenderItem&);
};
static const SortRule kSortRules[] = {
    {nullptr, false, nullptr},  // Emission
    {squaredDistance, true, nullptr},  // FarthestFirst
    {squaredDistance, false, nullptr},  // NearestFirst
    {depthDistance, true, nullptr},  // DepthFarthestFirst
    {depthDistance, false, nullptr},  // DepthNearestFirst
    {nullptr, false, programAddress},  // ByProgram
    {nullptr, false, materialAddress},  // ByMaterial
};

// std::sort makes the same moves for the same comparison results, so the
// keys end in the order the items themselves would have taken, ties included.
bool sortOrder(SortMode mode, const std::vector<RenderItem>& items, const float camera[3], std::vector<SortKey>& keys) {
    const SortRule& rule = kSortRules[static_cast<int>(mode)];
    if (!rule.distance && !rule.address) return false;
    keys.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const RenderItem& item = items[i];
        SortKey& key = keys[i];
        key.index = static_cast<int>(i);
        key.distance = rule.distance ? rule.distance(item, camera) : 0.0f;
        key.address = rule.address ? rule.address(item) : 0;
    }
    if (rule.address)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.address < b.address; });
    else if (rule.descending)
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance > b.distance; });
    else
        std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) { return a.distance < b.distance; });
    return true;
}

void sortQueue(SortMode mode, std::vector<RenderItem>& items, const float camera[3]) {
    static std::vector<SortKey> keys;  // grows with the longest queue sorted and then stays
    if (!sortOrder(mode, items, camera, keys)) return;
    const std::vector<RenderItem> unsorted = items;
    for (size_t i = 0; i < items.size(); ++i) items[i] = unsorted[static_cast<size_t>(keys[i].index)];
}
