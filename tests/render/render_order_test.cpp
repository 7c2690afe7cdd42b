// The queues sort small keys and draw through them; the order must be the
// one sorting the whole items with the same comparisons gives, ties and NaN
// positions included, for every sort mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "render/render_queue.h"
#include "render/shader_catalogue.h"
#include "scene/model.h"

namespace {

const float kCamera[3] = {3.0f, -2.0f, 10.0f};

float reference(float key) { return std::isnan(key) ? INFINITY : key; }

float squaredDistance(const RenderItem& item) {
    const float dx = item.position[0] - kCamera[0];
    const float dy = item.position[1] - kCamera[1];
    const float dz = item.position[2] - kCamera[2];
    return reference(dx * dx + dy * dy + dz * dz);
}

float depthDistance(const RenderItem& item) { return reference(std::fabs(item.position[2] - kCamera[2])); }

const Material* material(const RenderItem& item) { return item.part ? item.part->material : nullptr; }

// Sorting the items themselves, with the comparisons of the sort modes.
void sortItems(int mode, std::vector<RenderItem>& items) {
    auto by = [&](auto before) { std::sort(items.begin(), items.end(), before); };
    switch (mode) {
    case 1: by([](const RenderItem& a, const RenderItem& b) { return squaredDistance(a) > squaredDistance(b); }); break;
    case 2: by([](const RenderItem& a, const RenderItem& b) { return squaredDistance(a) < squaredDistance(b); }); break;
    case 3: by([](const RenderItem& a, const RenderItem& b) { return depthDistance(a) > depthDistance(b); }); break;
    case 4: by([](const RenderItem& a, const RenderItem& b) { return depthDistance(a) < depthDistance(b); }); break;
    case 5:
        by([](const RenderItem& a, const RenderItem& b) {
            return std::less<const ShaderProgram*>()(a.shader, b.shader);
        });
        break;
    case 6:
        by([](const RenderItem& a, const RenderItem& b) { return std::less<const Material*>()(material(a), material(b)); });
        break;
    default: break;
    }
}

std::vector<int> tags(const std::vector<RenderItem>& items) {
    std::vector<int> result;
    for (const RenderItem& item : items) result.push_back(item.cullMode);
    return result;
}

}  // namespace

TEST(RenderOrder, KeySortGivesTheOrderOfSortingTheItems) {
    ShaderProgram programs[3];
    MeshPart parts[3];
    for (MeshPart& part : parts) part.material = new Material;
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };

    // Queues of many sizes (insertion sort, introsort, heap fallback paths)
    // with few distinct positions, so that most keys tie.
    for (int count : {0, 1, 2, 15, 16, 17, 100, 1237, 5000}) {
        std::vector<RenderItem> queue;
        for (int i = 0; i < count; ++i) {
            RenderItem item;
            for (float& p : item.position) p = static_cast<float>(static_cast<int>(next() % 7) - 3);
            if (next() % 29 == 0) item.position[next() % 3] = NAN;
            item.shader = next() % 4 == 0 ? nullptr : &programs[next() % 3];
            item.part = next() % 5 == 0 ? nullptr : &parts[next() % 3];
            item.cullMode = i;  // identifies the item
            queue.push_back(item);
        }
        for (int mode = 0; mode <= 7; ++mode) {
            std::vector<RenderItem> expected = queue, actual = queue;
            sortItems(mode, expected);
            sortQueue(mode, actual, kCamera);
            ASSERT_EQ(tags(expected), tags(actual)) << count << " items, mode " << mode;
        }
    }
}
