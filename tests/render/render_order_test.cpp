// The queues sort small keys and draw through them; the order must be the
// one sorting the whole items with the same comparisons gives, ties and NaN
// positions included, for every sort mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "render/render_order.h"
#include "gpu/shader_catalogue.h"
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
        by([](const RenderItem& a, const RenderItem& b) {
            return std::less<const Material*>()(material(a), material(b));
        });
        break;
    default: break;
    }
}

std::vector<int> tags(const std::vector<RenderItem>& items) {
    std::vector<int> result;
    for (const RenderItem& item : items) result.push_back(static_cast<int>(item.itemAlpha));
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
            item.itemAlpha = static_cast<float>(i);  // identifies the item
            queue.push_back(item);
        }
        for (int mode = 0; mode <= 6; ++mode) {
            std::vector<RenderItem> expected = queue, actual = queue;
            sortItems(mode, expected);
            sortQueue(static_cast<SortMode>(mode), actual, kCamera);
            ASSERT_EQ(tags(expected), tags(actual)) << count << " items, mode " << mode;
        }
    }
}

// ---- sort orders (no GL) ---------------------------------------------------

namespace {

RenderItem itemAt(float x, float y, float z, int tag) {
    RenderItem item;
    item.position[0] = x;
    item.position[1] = y;
    item.position[2] = z;
    item.itemAlpha = static_cast<float>(tag);  // identifies the item after sorting
    return item;
}

const float kSampleCamera[3] = {0.0f, 0.0f, 10.0f};

std::vector<RenderItem> sampleItems() {
    // Squared distances from kSampleCamera: 0: 100, 1: 9, 2: 401, 3: 36.
    return {itemAt(0, 0, 0, 0), itemAt(0, 0, 7, 1), itemAt(20, 0, 9, 2), itemAt(0, 6, 10, 3)};
}

}  // namespace

TEST(SortQueue, DistanceModes) {
    std::vector<RenderItem> items = sampleItems();
    sortQueue(SortMode::FarthestFirst, items, kSampleCamera);
    EXPECT_EQ(tags(items), (std::vector<int>{2, 0, 3, 1}));
    sortQueue(SortMode::NearestFirst, items, kSampleCamera);
    EXPECT_EQ(tags(items), (std::vector<int>{1, 3, 0, 2}));
}

TEST(SortQueue, DepthModesLookAtZOnly) {
    std::vector<RenderItem> items = sampleItems();  // |dz|: 10, 3, 1, 0
    sortQueue(SortMode::DepthFarthestFirst, items, kSampleCamera);
    EXPECT_EQ(tags(items), (std::vector<int>{0, 1, 2, 3}));
    sortQueue(SortMode::DepthNearestFirst, items, kSampleCamera);
    EXPECT_EQ(tags(items), (std::vector<int>{3, 2, 1, 0}));

    // Same z, different x: equal keys, both orders are right.
    std::vector<RenderItem> tie = {itemAt(-50, 0, 0, 0), itemAt(50, 0, 0, 1), itemAt(0, 0, 20, 2)};
    sortQueue(SortMode::DepthFarthestFirst, tie, kSampleCamera);
    EXPECT_EQ(tie[2].itemAlpha, 2.0f);
}

TEST(SortQueue, EmissionModeKeepsEmissionOrder) {
    std::vector<RenderItem> items = sampleItems();
    sortQueue(SortMode::Emission, items, kSampleCamera);
    EXPECT_EQ(tags(items), (std::vector<int>{0, 1, 2, 3}));
}

TEST(SortQueue, ProgramAndMaterialModesGroupEqualKeys) {
    ShaderProgram programs[2];
    MeshPart parts[2];  // each owns its material
    parts[0].material = new Material;
    parts[1].material = new Material;
    std::vector<RenderItem> items;
    for (int i = 0; i < 6; ++i) {
        RenderItem item = itemAt(0, 0, 0, i);
        item.shader = &programs[i % 2];
        item.part = &parts[(i / 2) % 2];  // parts 0 0 1 1 0 0
        items.push_back(item);
    }
    sortQueue(SortMode::ByProgram, items, kSampleCamera);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(items[i].shader, &programs[i < 3 ? 0 : 1]);
    sortQueue(SortMode::ByMaterial, items, kSampleCamera);
    const bool firstIsLower = std::less<Material*>()(parts[0].material, parts[1].material);
    const MeshPart* lower = firstIsLower ? &parts[0] : &parts[1];
    const int lowerCount = firstIsLower ? 4 : 2;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(items[i].part == lower, i < lowerCount) << i;
    delete parts[0].material;
    parts[0].material = nullptr;
    sortQueue(SortMode::ByMaterial, items, kSampleCamera);  // no material sorts first
    EXPECT_EQ(items[0].part, &parts[0]);
}

TEST(SortQueue, NanPositionsKeepEveryItemAndTheOrderOfTheRest) {
    std::vector<RenderItem> items;
    for (int i = 0; i < 200; ++i) {
        const float z = (i % 7 == 0) ? NAN : static_cast<float>((i * 37) % 101);
        items.push_back(itemAt(0, 0, z, i));
    }
    for (int mode = 1; mode <= 4; ++mode) {
        sortQueue(static_cast<SortMode>(mode), items, kSampleCamera);
        ASSERT_EQ(items.size(), 200u);
        std::vector<float> finite;
        for (const RenderItem& item : items)
            if (!std::isnan(item.position[2])) finite.push_back(std::fabs(item.position[2] - kSampleCamera[2]));
        for (size_t i = 1; i < finite.size(); ++i) {
            if (mode == 1 || mode == 3)
                EXPECT_GE(finite[i - 1], finite[i]);
            else
                EXPECT_LE(finite[i - 1], finite[i]);
        }
    }
}
