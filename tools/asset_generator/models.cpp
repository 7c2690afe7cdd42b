// The fifteen scattered models: five trees, a plant clump and nine rocks.
// Sizes are in model units for the demo's scales: trees about 2600 tall
// (scaled 0.2 to 0.35), the plant about 400 (0.1 to 1.1), rocks about 5000
// across (0.02 to 0.08). +y is up and every base sits on y = 0.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/asset_generator/asset_generator.h"
#include "tools/asset_generator/mesh_builder.h"
#include "tools/asset_generator/noise.h"

static const float kTwoPi = 6.2831853f;

static const char* const kBark = "data/bark.png";
static const char* const kDeadWood = "data/deadwood.png";
static const char* const kLeaves = "data/leaves.png";
static const char* const kNeedles = "data/needles.png";
static const char* const kPlant = "data/plant.png";
static const char* const kRock = "data/rock.png";
static const char* const kSandstone = "data/sandstone.png";
static const char* const kSnow = "data/snow.png";

// Share of the triangles kept, and the largest surface change allowed (a
// fraction of the shape's size), when lumpy shapes are simplified: a
// scattered rock is at most a few hundred pixels across on screen and a crown
// lump less, so the subdivided spheres they start from carry more facets
// than can be seen.
static const float kRockKeep = 0.16f, kRockError = 0.015f;
static const float kCrownKeep = 0.35f, kCrownError = 0.03f;

// ---- shared shape helpers -------------------------------------------------

// A lumpy ellipsoid: the icosphere stretched by radii and pushed in and out
// by noise (roughness is the largest relative bump).
static Polyhedron makeLump(int subdivisions, Vector3 centre, Vector3 radii, float roughness, float frequency,
                           uint32_t seed) {
    Polyhedron shape = makeIcosphere(subdivisions);
    for (Vector3& p : shape.points) {
        float n = fractalNoise3(seed, p.x * frequency + 17.0f, p.y * frequency + 31.0f, p.z * frequency + 7.0f, 3);
        float bulge = 1.0f + roughness * (2.0f * n - 1.0f);
        p = centre + Vector3{p.x * radii.x * bulge, p.y * radii.y * bulge, p.z * radii.z * bulge};
    }
    return shape;
}

// Appends b's points and triangles to a (two closed bodies in one shape).
static void mergeShape(Polyhedron& a, const Polyhedron& b) {
    uint32_t offset = static_cast<uint32_t>(a.points.size());
    a.points.insert(a.points.end(), b.points.begin(), b.points.end());
    for (uint32_t index : b.triangles) a.triangles.push_back(index + offset);
}

// Cuts the shape flat at the ground. Moving points only along y keeps each
// facet facing up or down as it did.
static void flattenBelowGround(Polyhedron& shape) {
    for (Vector3& p : shape.points) p.y = std::fmax(p.y, 0.0f);
}

// Leans the shape by `angle` about the z axis through `pivot`.
static void leanAboutZ(Polyhedron& shape, Vector3 pivot, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    for (Vector3& p : shape.points) {
        Vector3 d = p - pivot;
        p = pivot + Vector3{d.x * c - d.y * s, d.x * s + d.y * c, d.z};
    }
}

// Slices `cuts` random caps off the shape: points beyond each plane are pushed
// back onto it, leaving the flat faces of broken stone. The planes face
// sideways or up; the ground cut makes the base.
static void chisel(Polyhedron& shape, Vector3 centre, Random& random, int cuts) {
    for (int cut = 0; cut < cuts; ++cut) {
        float azimuth = randomRange(random, 0.0f, kTwoPi);
        float rise = randomRange(random, -0.3f, 1.0f);
        float across = std::sqrt(1.0f - rise * rise);
        Vector3 normal = {std::cos(azimuth) * across, rise, std::sin(azimuth) * across};
        float reach = 0.0f;
        for (const Vector3& p : shape.points) reach = std::fmax(reach, dot(p - centre, normal));
        float plane = reach * randomRange(random, 0.78f, 0.92f);
        for (Vector3& p : shape.points) {
            float beyond = dot(p - centre, normal) - plane;
            if (beyond > 0.0f) p = p - normal * beyond;
        }
    }
}

// Pulls heights toward steps of `step` units: the ledges of layered sandstone.
static void terrace(Polyhedron& shape, float step, float amount) {
    for (Vector3& p : shape.points) {
        float layer = std::floor(p.y / step) * step;
        float within = (p.y - layer) / step;
        float shaped = layer + step * within * within * within;
        p.y = p.y + (shaped - p.y) * amount;
    }
}

static void scaleNode(ModelFileNode& node, float factor) {
    for (ModelFileVertex& v : node.vertices)
        for (float& coordinate : v.position) coordinate *= factor;
    for (ModelFileNode& child : node.children) scaleNode(child, factor);
}

static float highestPoint(const ModelFileNode& node) {
    float top = 0.0f;
    for (const ModelFileVertex& v : node.vertices) top = std::fmax(top, v.position[1]);
    for (const ModelFileNode& child : node.children) top = std::fmax(top, highestPoint(child));
    return top;
}

// Scales the whole model so that its top is at `height`.
static void fitHeight(ModelFileNode& root, float height) { scaleNode(root, height / highestPoint(root)); }

// Closes the open end of a tube with a short blunt cone.
static void addKnot(MeshBuilder& wood, Vector3 end, Vector3 direction, float radius, int sides) {
    addTube(wood, end, end + vectorNormalise(direction) * (radius * 0.6f), radius, 0.0f, sides);
}

// Rotates `direction` by `tilt` radians toward the horizontal heading `azimuth`.
static Vector3 tiltToward(Vector3 direction, float azimuth, float tilt) {
    Vector3 heading = {std::cos(azimuth), 0.0f, std::sin(azimuth)};
    Vector3 side = vectorCross(direction, heading);
    if (vectorLength(side) < 1e-4f) side = Vector3{-heading.z, 0.0f, heading.x};
    Vector3 away = vectorNormalise(vectorCross(side, direction));
    return vectorNormalise(direction * std::cos(tilt) + away * std::sin(tilt));
}

// ---- trees ----------------------------------------------------------------

// Trunk with a flared, closed foot; returns the builder for the bark node.
static MeshBuilder makeTrunk(float height, float baseRadius, float topRadius) {
    MeshBuilder wood;
    addTube(wood, {0, 0, 0}, {0, height, 0}, baseRadius, topRadius, 10);
    addTube(wood, {0, 0, 0}, {0, height * 0.18f, 0}, baseRadius * 1.55f, baseRadius * 0.95f, 10);
    addKnot(wood, {0, height, 0}, {0, 1, 0}, topRadius, 10);
    addDisc(wood, {0, 0, 0}, {0, -1, 0}, baseRadius * 1.55f, 10);
    return wood;
}

// Broadleaf tree: bark trunk with branches into a crown of leafy lumps; the
// snowy one moves the crown's upward facets into a snow node under the crown.
static ModelFileData buildBroadleaf(uint32_t seed, bool snowy) {
    Random random = randomSeeded(seed);
    MeshBuilder wood = makeTrunk(1500.0f, 140.0f, 85.0f);
    MeshBuilder leaves, snow;
    const float leafDensity = 1.0f / 700.0f;

    struct Lump {
        Vector3 centre;
        float radius;
    };
    Lump lumps[6];
    lumps[0] = {{0.0f, 1850.0f, 0.0f}, 720.0f};
    float startAngle = randomRange(random, 0.0f, kTwoPi);
    for (int i = 1; i <= 4; ++i) {
        float angle = startAngle + kTwoPi * static_cast<float>(i) / 4.0f + randomRange(random, -0.3f, 0.3f);
        float distance = randomRange(random, 380.0f, 480.0f);
        lumps[i] = {{std::cos(angle) * distance, randomRange(random, 1600.0f, 1900.0f), std::sin(angle) * distance},
                    randomRange(random, 460.0f, 560.0f)};
    }
    lumps[5] = {{randomRange(random, -120.0f, 120.0f), 2220.0f, randomRange(random, -120.0f, 120.0f)}, 470.0f};

    for (int i = 0; i < 6; ++i) {
        const Lump& lump = lumps[i];
        Vector3 radii = {lump.radius, lump.radius * 0.82f, lump.radius};
        Polyhedron shape = makeLump(2, lump.centre, radii, 0.16f, 2.2f, seed + static_cast<uint32_t>(i) * 7u);
        simplifyShape(shape, kCrownKeep, kCrownError);
        addPolyhedronFacets(leaves, shape, leafDensity, snowy ? &snow : nullptr, 0.5f);
        if (i >= 1 && i <= 4) {
            // A branch from the trunk toward each side lump, hidden at its end inside the leaves.
            Vector3 fork = {0.0f, randomRange(random, 1050.0f, 1250.0f), 0.0f};
            Vector3 reach = fork + (lump.centre - fork) * 0.75f;
            addTube(wood, fork, reach, 60.0f, 28.0f, 8);
            addKnot(wood, reach, reach - fork, 28.0f, 8);
        }
    }

    ModelFileNode crown = makeNode(leaves, kLeaves);
    if (snowy) crown.children.push_back(makeNode(snow, kSnow));
    ModelFileData data;
    data.nodes.push_back(makeNode(wood, kBark));
    data.nodes[0].children.push_back(crown);
    return data;
}

// One tier of a pine: a star-edged cone with a closed underside. With a snow
// mesh everything above the middle ring goes there: the next tier up hides
// the apex, so the snow has to reach the visible skirt.
static void addPineTier(MeshBuilder& needles, MeshBuilder* snow, Random& random, float baseY, float height,
                        float radius) {
    const int sides = 16;
    const float density = 1.0f / 600.0f;
    Vector3 apex = {randomRange(random, -20.0f, 20.0f), baseY + height, randomRange(random, -20.0f, 20.0f)};
    Vector3 snowLine[sides], middle[sides], rim[sides];
    float turn = randomRange(random, 0.0f, kTwoPi);
    for (int i = 0; i < sides; ++i) {
        float angle = turn + kTwoPi * static_cast<float>(i) / static_cast<float>(sides);
        Vector3 radial = {std::cos(angle), 0.0f, std::sin(angle)};
        bool point = (i % 2) == 0;  // the rim alternates needle tips and notches
        float snowDepth = point ? 0.45f : 0.38f;
        snowLine[i] = Vector3{apex.x, apex.y - height * snowDepth, apex.z} + radial * (radius * snowDepth * 0.95f);
        // The middle ring is the snow's edge: lower under the needle tips.
        float middleRadius = radius * (point ? 0.8f : 0.66f) * randomRange(random, 0.95f, 1.05f);
        middle[i] = Vector3{0.0f, baseY + height * (point ? 0.2f : 0.3f), 0.0f} + radial * middleRadius;
        float rimRadius = radius * (point ? 1.0f : 0.8f);
        rim[i] = Vector3{0.0f, baseY + (point ? 0.0f : height * 0.08f), 0.0f} + radial * rimRadius;
    }
    Vector3 underside = {0.0f, baseY + height * 0.22f, 0.0f};
    for (int i = 0; i < sides; ++i) {
        int j = (i + 1) % sides;
        auto outward = [](Vector3 a, Vector3 b, Vector3 c) {
            Vector3 m = (a + b + c) * (1.0f / 3.0f);
            return Vector3{m.x, 0.0f, m.z};
        };
        MeshBuilder& top = snow ? *snow : needles;
        addFacet(top, apex, snowLine[i], snowLine[j], outward(apex, snowLine[i], snowLine[j]), density);
        addFacet(top, snowLine[i], middle[i], middle[j], outward(snowLine[i], middle[i], middle[j]), density);
        addFacet(top, snowLine[i], middle[j], snowLine[j], outward(snowLine[i], middle[j], snowLine[j]), density);
        addFacet(needles, middle[i], rim[i], rim[j], outward(middle[i], rim[i], rim[j]), density);
        addFacet(needles, middle[i], rim[j], middle[j], outward(middle[i], rim[j], middle[j]), density);
        addFacet(needles, underside, rim[i], rim[j], {0.0f, -1.0f, 0.0f}, density);
    }
}

// Pine: a bark trunk with a child node of stacked needle cones; the snowy
// one puts a snow cap on every tier in a node under the needles.
static ModelFileData buildPine(uint32_t seed, bool snowy) {
    Random random = randomSeeded(seed);
    const int tiers = 7;
    MeshBuilder wood = makeTrunk(2250.0f, 110.0f, 30.0f);
    MeshBuilder needles, snow;
    for (int tier = 0; tier < tiers; ++tier) {
        float t = static_cast<float>(tier) / static_cast<float>(tiers - 1);
        float baseY = 420.0f + 1420.0f * t;
        float height = 820.0f - 340.0f * t;
        float radius = (920.0f - 640.0f * t) * randomRange(random, 0.94f, 1.06f);
        addPineTier(needles, snowy ? &snow : nullptr, random, baseY, height, radius);
    }
    ModelFileNode crown = makeNode(needles, kNeedles);
    if (snowy) crown.children.push_back(makeNode(snow, kSnow));
    ModelFileData data;
    data.nodes.push_back(makeNode(wood, kBark));
    data.nodes[0].children.push_back(crown);
    return data;
}

static void addDeadBranch(MeshBuilder& wood, Random& random, Vector3 base, Vector3 direction, float length,
                          float radius, int depth) {
    Vector3 tip = base + direction * length;
    int sides = depth >= 2 ? 8 : 6;
    if (depth == 0) {
        addTube(wood, base, tip, radius, 0.0f, sides);
        return;
    }
    float tipRadius = radius * 0.62f;
    addTube(wood, base, tip, radius, tipRadius, sides);
    addKnot(wood, tip, direction, tipRadius, sides);
    int forks = 2 + static_cast<int>(randomNext(random) % 2u);
    float heading = randomRange(random, 0.0f, kTwoPi);
    for (int i = 0; i < forks; ++i) {
        float azimuth =
            heading + kTwoPi * static_cast<float>(i) / static_cast<float>(forks) + randomRange(random, -0.4f, 0.4f);
        Vector3 turned = tiltToward(direction, azimuth, randomRange(random, 0.4f, 0.8f));
        turned = vectorNormalise(turned + Vector3{0.0f, 0.25f, 0.0f});  // dead wood still reaches up
        Vector3 start = tip - direction * (tipRadius * 0.5f);
        addDeadBranch(wood, random, start, turned, length * randomRange(random, 0.66f, 0.8f), tipRadius, depth - 1);
    }
}

// Dead tree: a bare trunk with a child node of forking branches, all bark.
static ModelFileData buildDeadTree(uint32_t seed) {
    Random random = randomSeeded(seed);
    MeshBuilder trunk = makeTrunk(1000.0f, 150.0f, 100.0f);
    MeshBuilder branches;
    float heading = randomRange(random, 0.0f, kTwoPi);
    for (int i = 0; i < 3; ++i) {
        float azimuth = heading + kTwoPi * static_cast<float>(i) / 3.0f;
        Vector3 direction = tiltToward({0, 1, 0}, azimuth, randomRange(random, 0.25f, 0.55f));
        addDeadBranch(branches, random, {0.0f, 940.0f, 0.0f}, direction, randomRange(random, 650.0f, 800.0f), 85.0f, 3);
    }
    ModelFileData data;
    data.nodes.push_back(makeNode(trunk, kDeadWood));
    data.nodes[0].children.push_back(makeNode(branches, kDeadWood));
    fitHeight(data.nodes[0], 2500.0f);
    return data;
}

// ---- plant ----------------------------------------------------------------

// One two-sided blade, curving outward toward `azimuth`. u runs across, v from
// the tip (0) to the base (1), so the picture's top row colours the tips.
static void addBlade(MeshBuilder& mesh, Vector3 root, float azimuth, float lean, float height, float width) {
    const int segments = 5;
    Vector3 out = {std::cos(azimuth), 0.0f, std::sin(azimuth)};
    Vector3 side = {-out.z, 0.0f, out.x};
    Vector3 spine[segments + 1];
    for (int k = 0; k <= segments; ++k) {
        float t = static_cast<float>(k) / static_cast<float>(segments);
        spine[k] = root + Vector3{0.0f, height * t, 0.0f} + out * (height * lean * t * t);
    }
    for (int face = 0; face < 2; ++face) {
        float facing = face == 0 ? 1.0f : -1.0f;  // front, then the back with the opposite normal
        uint32_t rows[segments][2];
        for (int k = 0; k < segments; ++k) {
            float t = static_cast<float>(k) / static_cast<float>(segments);
            Vector3 along = vectorNormalise(spine[k + 1] - spine[k]);
            Vector3 normal = vectorCross(side, along) * facing;
            float halfWidth = 0.5f * width * (1.0f - t * t);
            rows[k][0] = addVertex(mesh, spine[k] - side * halfWidth, normal, 0.0f, 1.0f - t);
            rows[k][1] = addVertex(mesh, spine[k] + side * halfWidth, normal, 1.0f, 1.0f - t);
        }
        Vector3 lastAlong = vectorNormalise(spine[segments] - spine[segments - 1]);
        uint32_t tip = addVertex(mesh, spine[segments], vectorCross(side, lastAlong) * facing, 0.5f, 0.0f);
        for (int k = 0; k + 1 < segments; ++k) {
            addTriangle(mesh, rows[k][0], rows[k][1], rows[k + 1][1]);
            addTriangle(mesh, rows[k][0], rows[k + 1][1], rows[k + 1][0]);
        }
        addTriangle(mesh, rows[segments - 1][0], rows[segments - 1][1], tip);
    }
}

// A clump of grass blades and a few broad leaves around the origin.
static ModelFileData buildPlants(uint32_t seed) {
    Random random = randomSeeded(seed);
    MeshBuilder blades;
    for (int i = 0; i < 34; ++i) {
        bool broad = i % 5 == 0;
        float angle = randomRange(random, 0.0f, kTwoPi);
        float distance = randomRange(random, 0.0f, 45.0f);
        Vector3 root = {std::cos(angle) * distance, 0.0f, std::sin(angle) * distance};
        float azimuth = angle + randomRange(random, -0.6f, 0.6f);
        float height = broad ? randomRange(random, 200.0f, 280.0f) : randomRange(random, 260.0f, 440.0f);
        float width = broad ? randomRange(random, 60.0f, 85.0f) : randomRange(random, 18.0f, 32.0f);
        float lean = broad ? randomRange(random, 0.5f, 0.8f) : randomRange(random, 0.1f, 0.45f);
        addBlade(blades, root, azimuth, lean, height, width);
    }
    ModelFileData data;
    data.nodes.push_back(makeNode(blades, kPlant));
    fitHeight(data.nodes[0], 400.0f);
    return data;
}

// ---- rocks ----------------------------------------------------------------

enum RockShape { kBoulder, kSpire, kSlabs };
enum RockClimate { kTemperate, kDesert, kSnowy };

static Polyhedron rockShape(RockShape kind, uint32_t seed) {
    Random random = randomSeeded(seed);
    Polyhedron shape;
    switch (kind) {
    case kBoulder: {  // a broad, blocky boulder
        Vector3 centre = {0.0f, 1000.0f, 0.0f};
        shape = makeLump(3, centre, {2600.0f, 1900.0f, 2200.0f}, 0.15f, 1.6f, seed);
        chisel(shape, centre, random, 9);
        break;
    }
    case kSpire: {  // a tall leaning shard
        Vector3 centre = {0.0f, 2000.0f, 0.0f};
        shape = makeLump(3, centre, {1100.0f, 2800.0f, 900.0f}, 0.2f, 2.6f, seed);
        chisel(shape, centre, random, 8);
        leanAboutZ(shape, {0.0f, 0.0f, 0.0f}, 0.2f);
        break;
    }
    case kSlabs: {  // a low cluster of flat slabs
        Vector3 centres[3] = {{-700.0f, 350.0f, -100.0f}, {1400.0f, 500.0f, 700.0f}, {300.0f, 200.0f, -1500.0f}};
        const Vector3 radii[3] = {{2300.0f, 850.0f, 1600.0f}, {1300.0f, 1000.0f, 1050.0f}, {800.0f, 550.0f, 700.0f}};
        for (int i = 0; i < 3; ++i) {
            Polyhedron slab =
                makeLump(i == 2 ? 2 : 3, centres[i], radii[i], 0.15f, 2.0f, seed + static_cast<uint32_t>(i));
            chisel(slab, centres[i], random, 6);
            mergeShape(shape, slab);
        }
        break;
    }
    }
    return shape;
}

// Rock node in the climate's stone; snowy rocks carry a snow node for their
// upward facets.
static ModelFileData buildRock(RockShape kind, RockClimate climate) {
    const float density = 1.0f / 2000.0f;
    Polyhedron shape = rockShape(kind, 1000u + static_cast<uint32_t>(kind) * 97u);
    if (climate == kDesert) terrace(shape, 420.0f, 0.7f);
    flattenBelowGround(shape);
    simplifyShape(shape, kRockKeep, kRockError);
    MeshBuilder stone, snow;
    addPolyhedronFacets(stone, shape, density, climate == kSnowy ? &snow : nullptr, 0.45f);
    ModelFileData data;
    data.nodes.push_back(makeNode(stone, climate == kDesert ? kSandstone : kRock));
    if (climate == kSnowy) data.nodes[0].children.push_back(makeNode(snow, kSnow));
    return data;
}

// ---- writing --------------------------------------------------------------

static bool fitsSixteenBitIndices(const ModelFileNode& node) {
    if (node.vertices.size() > 65536) return false;
    for (const ModelFileNode& child : node.children)
        if (!fitsSixteenBitIndices(child)) return false;
    return true;
}

static bool writeModel(const std::string& folder, const char* name, const ModelFileData& data) {
    std::string path = folder + "/" + name;
    uint32_t triangles = 0;
    for (const ModelFileNode& node : data.nodes) {
        if (!fitsSixteenBitIndices(node)) {
            std::fprintf(stderr, "%s: a node has more than 65536 vertices\n", path.c_str());
            return false;
        }
        triangles += countTriangles(node);
    }
    std::string error;
    if (!writeModelFile(path.c_str(), data, &error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    reportFile(path, ", " + std::to_string(triangles) + " triangles");
    return true;
}

bool generateModels(const std::string& outDir) {
    std::string folder = outDir + "/Ultimate Models";
    return writeModel(folder, "DeadTree.bin", buildDeadTree(11)) &&
           writeModel(folder, "Pine.bin", buildPine(21, false)) &&
           writeModel(folder, "SnowPine.bin", buildPine(22, true)) &&
           writeModel(folder, "SnowTree.bin", buildBroadleaf(31, true)) &&
           writeModel(folder, "Tree.bin", buildBroadleaf(32, false)) &&
           writeModel(folder, "PlantsA.bin", buildPlants(41)) &&
           writeModel(folder, "RockA.bin", buildRock(kBoulder, kTemperate)) &&
           writeModel(folder, "RockB.bin", buildRock(kSpire, kTemperate)) &&
           writeModel(folder, "RockC.bin", buildRock(kSlabs, kTemperate)) &&
           writeModel(folder, "RockADessert.bin", buildRock(kBoulder, kDesert)) &&
           writeModel(folder, "RockBDessert.bin", buildRock(kSpire, kDesert)) &&
           writeModel(folder, "RockCDessert.bin", buildRock(kSlabs, kDesert)) &&
           writeModel(folder, "RockASnow.bin", buildRock(kBoulder, kSnowy)) &&
           writeModel(folder, "RockBSnow.bin", buildRock(kSpire, kSnowy)) &&
           writeModel(folder, "RockCSnow.bin", buildRock(kSlabs, kSnowy));
}
