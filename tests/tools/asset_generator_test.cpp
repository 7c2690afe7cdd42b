// Runs the built generate-data into scratch folders and checks what the demo
// will read: every file present, identical bytes on every run, models that
// read back, fit the demo's scales, show front faces from outside and are
// welded and ordered for drawing, pictures that decode with power-of-two
// sizes, a soundtrack that loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "image/image.h"
#include "scene/model_file.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

// As the build runs it: into runDir/data, with a.raw beside that folder.
static bool runGenerator(const std::string& runDir) {
    std::string command = std::string("\"") + BIN_DIR + "/generate-data\" \"" + runDir + "/data\" > /dev/null";
    return std::system(command.c_str()) == 0;
}

static std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

enum ModelKind { kTree, kPlant, kRock };

struct ModelEntry {
    const char* name;
    ModelKind kind;
};

static const ModelEntry kModels[] = {
    {"DeadTree.bin", kTree},  {"Pine.bin", kTree},         {"SnowPine.bin", kTree},     {"SnowTree.bin", kTree},
    {"Tree.bin", kTree},      {"PlantsA.bin", kPlant},     {"RockA.bin", kRock},        {"RockB.bin", kRock},
    {"RockC.bin", kRock},     {"RockADessert.bin", kRock}, {"RockBDessert.bin", kRock}, {"RockCDessert.bin", kRock},
    {"RockASnow.bin", kRock}, {"RockBSnow.bin", kRock},    {"RockCSnow.bin", kRock},
};

static const char* const kPictures[] = {"terrain_surface4.png", "agua.png", "dia.png", "noche2.png", "icono1.png"};

class AssetGenerator : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        output = new ScratchDir();
        generated = runGenerator(output->path());
    }
    static void TearDownTestSuite() {
        delete output;
        output = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(generated) << "generate-data failed"; }

    static std::string dataFile(const std::string& name) { return output->file("data/" + name); }
    static std::string model(const char* name) { return dataFile(std::string("Ultimate Models/") + name); }

    static ScratchDir* output;
    static bool generated;
};

ScratchDir* AssetGenerator::output = nullptr;
bool AssetGenerator::generated = false;

// ---- geometry helpers ---------------------------------------------------------

struct Triangle {
    double corner[3][3];
    double windingNormal[3];  // cross(b - a, c - a), not normalised
    double vertexNormals[3];  // the sum of the stored normals
};

static void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static double dot3(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Every triangle of the model in model space (local matrices applied down the tree).
static void collectTriangles(const ModelFileNode& node, const Matrix4& parent, std::vector<Triangle>& out) {
    Matrix4 world;
    matrixMultiply(world, parent, node.localMatrix);
    for (size_t i = 0; i + 2 < node.indices.size(); i += 3) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            const ModelFileVertex& v = node.vertices[node.indices[i + k] & 0xFFFFu];
            const float p[4] = {v.position[0], v.position[1], v.position[2], 1.0f};
            float q[4];
            matrixTransformPoint(world, p, q);
            for (int axis = 0; axis < 3; ++axis) t.corner[k][axis] = q[axis];
        }
        double e1[3], e2[3];
        for (int axis = 0; axis < 3; ++axis) {
            e1[axis] = t.corner[1][axis] - t.corner[0][axis];
            e2[axis] = t.corner[2][axis] - t.corner[0][axis];
            t.vertexNormals[axis] = 0.0;
            for (int k = 0; k < 3; ++k)
                t.vertexNormals[axis] += node.vertices[node.indices[i + k] & 0xFFFFu].normal[axis];
        }
        cross(e1, e2, t.windingNormal);
        out.push_back(t);
    }
    for (const ModelFileNode& child : node.children) collectTriangles(child, world, out);
}

// Distance along the ray to the triangle, or a negative value on a miss.
static double rayHit(const double origin[3], const double direction[3], const Triangle& t) {
    double e1[3], e2[3], s[3], p[3], q[3];
    for (int axis = 0; axis < 3; ++axis) {
        e1[axis] = t.corner[1][axis] - t.corner[0][axis];
        e2[axis] = t.corner[2][axis] - t.corner[0][axis];
        s[axis] = origin[axis] - t.corner[0][axis];
    }
    cross(direction, e2, p);
    double determinant = dot3(e1, p);
    if (std::fabs(determinant) < 1e-12) return -1.0;
    double u = dot3(s, p) / determinant;
    if (u < 0.0 || u > 1.0) return -1.0;
    cross(s, e1, q);
    double v = dot3(direction, q) / determinant;
    if (v < 0.0 || u + v > 1.0) return -1.0;
    return dot3(e2, q) / determinant;
}

// ---- tests --------------------------------------------------------------------

TEST_F(AssetGenerator, WritesEveryFileTheDemoReadsAndTheMarkerLast) {
    for (const ModelEntry& entry : kModels) EXPECT_GT(fs::file_size(model(entry.name)), 0u) << entry.name;
    for (const char* picture : kPictures) EXPECT_GT(fs::file_size(dataFile(picture)), 0u) << picture;
    EXPECT_GT(fs::file_size(dataFile("fiesta2018.wav")), 44u);
    EXPECT_TRUE(fs::exists(dataFile(".complete")));
    const char* font = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    if (fs::exists(font)) {
        EXPECT_EQ(readBytes(dataFile("arial.ttf")), readBytes(font));
    }

    // Nothing in the folder is newer than the marker, so the build's
    // "marker older than generator" check sees a finished run.
    auto marker = fs::last_write_time(dataFile(".complete"));
    for (const auto& item : fs::recursive_directory_iterator(dataFile(""))) {
        if (item.is_regular_file()) {
            EXPECT_LE(item.last_write_time(), marker) << item.path();
        }
    }
}

// A crater island: sea at the edges, a high rim, a lake inside it.
TEST_F(AssetGenerator, RawHeightsBesideTheDataAreACraterIsland) {
    const std::string raw = readBytes(output->file("a.raw"));
    ASSERT_EQ(raw.size(), 65025u);
    auto at = [&raw](int row, int column) { return static_cast<unsigned char>(raw[row * 255 + column]); };
    int rimHigh = 0;
    for (int i = 0; i < 255; i += 8) {
        EXPECT_LT(at(0, i), 80) << "edge " << i;
        EXPECT_LT(at(i, 254), 80) << "edge " << i;
    }
    for (int column = 127 + 60; column <= 127 + 80; ++column) rimHigh = std::max<int>(rimHigh, at(127, column));
    EXPECT_GT(rimHigh, 180);
    EXPECT_LT(at(127, 127 + 35), rimHigh - 80);  // the crater floor
}

TEST_F(AssetGenerator, WritesTheSameBytesOnEveryRun) {
    ScratchDir second;
    ASSERT_TRUE(runGenerator(second.path()));
    size_t compared = 0;
    for (const auto& item : fs::recursive_directory_iterator(output->path())) {
        if (!item.is_regular_file()) continue;
        std::string relative = fs::relative(item.path(), output->path()).string();
        EXPECT_EQ(readBytes(item.path().string()), readBytes(second.file(relative))) << relative;
        ++compared;
    }
    EXPECT_GE(compared, 15u + 5u + 1u + 1u);
}

TEST_F(AssetGenerator, ModelsReadBackAndFitTheDemoScales) {
    for (const ModelEntry& entry : kModels) {
        SCOPED_TRACE(entry.name);
        ModelFileData data;
        std::string error;
        ASSERT_TRUE(readModelFile(model(entry.name).c_str(), data, &error)) << error;
        ASSERT_FALSE(data.nodes.empty());
        EXPECT_FALSE(data.hasSkeleton);

        // Every node: 16-bit addressable, one texture that the generator wrote.
        std::vector<const ModelFileNode*> pending;
        for (const ModelFileNode& node : data.nodes) pending.push_back(&node);
        while (!pending.empty()) {
            const ModelFileNode* node = pending.back();
            pending.pop_back();
            EXPECT_LE(node->vertices.size(), 65536u);
            EXPECT_GE(node->uvSetCount, 1u);
            ASSERT_EQ(node->materials.size(), 1u);
            const std::string& texture = node->materials[0];
            ASSERT_EQ(texture.rfind("data/", 0), 0u) << texture;
            EXPECT_TRUE(fs::exists(dataFile(texture.substr(5)))) << texture;
            for (const ModelFileNode& child : node->children) pending.push_back(&child);
        }
        if (entry.kind == kTree) {
            EXPECT_FALSE(data.nodes[0].children.empty()) << "trees carry their crown as a child";
        }

        Matrix4 identity;
        matrixIdentity(identity);
        std::vector<Triangle> triangles;
        for (const ModelFileNode& node : data.nodes) collectTriangles(node, identity, triangles);
        EXPECT_GE(triangles.size(), 200u);
        EXPECT_LE(triangles.size(), 6000u);
        double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
        for (const Triangle& t : triangles)
            for (const auto& corner : t.corner)
                for (int axis = 0; axis < 3; ++axis) {
                    low[axis] = std::fmin(low[axis], corner[axis]);
                    high[axis] = std::fmax(high[axis], corner[axis]);
                }
        double height = high[1];
        double width = std::fmax(high[0] - low[0], high[2] - low[2]);
        EXPECT_NEAR(low[1], 0.0, 1.0) << "the base sits on y = 0";
        // World sizes at the demo's smallest and largest scale.
        switch (entry.kind) {
        case kTree:
            EXPECT_GE(height * 0.2, 250.0);
            EXPECT_LE(height * 0.35, 1000.0);
            EXPECT_LE(width, 1.2 * height);
            break;
        case kPlant:
            EXPECT_GE(height * 0.1, 35.0);
            EXPECT_LE(height * 1.1, 500.0);
            break;
        case kRock: {
            double size = std::fmax(width, height);
            EXPECT_GE(size * 0.02, 80.0);
            EXPECT_LE(size * 0.08, 500.0);
            break;
        }
        }
    }
}

// Rays from 26 directions around each model: the first surface a ray meets
// must face it (counter-clockwise towards the viewer, so it survives back-face
// culling), and stored normals must agree with the winding everywhere.
TEST_F(AssetGenerator, ModelsShowFrontFacesFromOutside) {
    for (const ModelEntry& entry : kModels) {
        SCOPED_TRACE(entry.name);
        ModelFileData data;
        ASSERT_TRUE(readModelFile(model(entry.name).c_str(), data));
        Matrix4 identity;
        matrixIdentity(identity);
        std::vector<Triangle> triangles;
        for (const ModelFileNode& node : data.nodes) collectTriangles(node, identity, triangles);
        ASSERT_FALSE(triangles.empty());

        size_t disagreeing = 0;
        double centre[3] = {0, 0, 0}, radius = 0.0;
        for (const Triangle& t : triangles) {
            if (dot3(t.windingNormal, t.vertexNormals) <= 0.0) ++disagreeing;
            for (int axis = 0; axis < 3; ++axis)
                centre[axis] += t.corner[0][axis] / static_cast<double>(triangles.size());
        }
        EXPECT_EQ(disagreeing, 0u) << "triangles whose normals point against their winding";
        for (const Triangle& t : triangles)
            for (const auto& corner : t.corner) {
                double d[3] = {corner[0] - centre[0], corner[1] - centre[1], corner[2] - centre[2]};
                radius = std::fmax(radius, std::sqrt(dot3(d, d)));
            }

        int hits = 0, backHits = 0;
        for (int i = -1; i <= 1; ++i)
            for (int j = -1; j <= 1; ++j)
                for (int k = -1; k <= 1; ++k) {
                    if (i == 0 && j == 0 && k == 0) continue;
                    double toward[3] = {-static_cast<double>(i), -static_cast<double>(j), -static_cast<double>(k)};
                    double length = std::sqrt(dot3(toward, toward));
                    for (double& c : toward) c /= length;
                    double helper[3] = {0.3, 0.9, 0.2}, side[3], up[3];
                    cross(toward, helper, side);
                    double sideLength = std::sqrt(dot3(side, side));
                    for (double& c : side) c /= sideLength;
                    cross(side, toward, up);
                    for (int a = -4; a <= 4; ++a)
                        for (int b = -4; b <= 4; ++b) {
                            double origin[3];
                            for (int axis = 0; axis < 3; ++axis)
                                origin[axis] = centre[axis] - toward[axis] * 2.0 * radius +
                                               (side[axis] * a + up[axis] * b) * radius / 4.5;
                            double nearest = 1e30;
                            bool front = false;
                            for (const Triangle& t : triangles) {
                                double distance = rayHit(origin, toward, t);
                                if (distance <= 0.0) continue;
                                bool facing = dot3(t.windingNormal, toward) < 0.0;
                                // Coincident surfaces (two-sided blades): a front face among them is enough.
                                if (distance < nearest - 1e-6 * radius) {
                                    nearest = distance;
                                    front = facing;
                                } else if (distance < nearest + 1e-6 * radius) {
                                    front = front || facing;
                                }
                            }
                            if (nearest < 1e30) {
                                ++hits;
                                if (!front) ++backHits;
                            }
                        }
                }
        EXPECT_GT(hits, 100);
        EXPECT_LE(backHits, hits / 100) << backHits << " of " << hits << " rays see a back face first";
    }
}

// Every node is ready for drawing: no two vertices alike (they were welded)
// and vertices stored in the order the triangles first use them.
TEST_F(AssetGenerator, ModelVerticesAreWeldedAndInFirstUseOrder) {
    for (const ModelEntry& entry : kModels) {
        SCOPED_TRACE(entry.name);
        ModelFileData data;
        ASSERT_TRUE(readModelFile(model(entry.name).c_str(), data));
        std::vector<const ModelFileNode*> pending;
        for (const ModelFileNode& node : data.nodes) pending.push_back(&node);
        while (!pending.empty()) {
            const ModelFileNode* node = pending.back();
            pending.pop_back();
            std::vector<std::string> seen;  // bytes: welding joins only exact copies
            for (const ModelFileVertex& v : node->vertices)
                seen.emplace_back(reinterpret_cast<const char*>(&v), sizeof v);
            std::sort(seen.begin(), seen.end());
            EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()) << "two vertices alike";
            uint32_t next = 0;
            for (uint32_t index : node->indices) {
                ASSERT_LE(index, next) << "a vertex stored before its first use";
                if (index == next) ++next;
            }
            EXPECT_EQ(next, node->vertices.size()) << "vertices no triangle uses";
            for (const ModelFileNode& child : node->children) pending.push_back(&child);
        }
    }
}

TEST_F(AssetGenerator, PicturesDecodeWithPowerOfTwoSizes) {
    std::vector<std::string> names(std::begin(kPictures), std::end(kPictures));
    for (const auto& item : fs::directory_iterator(dataFile("")))
        if (item.path().extension() == ".png" &&
            std::find(names.begin(), names.end(), item.path().filename()) == names.end())
            names.push_back(item.path().filename().string());
    EXPECT_GE(names.size(), 12u) << "the sky, ground and water pictures and the model textures";

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Image image;
        std::string error;
        loadImage(image, dataFile(name).c_str(), &error);
        ASSERT_NE(image.pixels, nullptr) << error;
        EXPECT_GE(image.width, 64);
        EXPECT_EQ(image.width & (image.width - 1), 0);
        EXPECT_EQ(image.height & (image.height - 1), 0);

        double alpha = 0.0;
        int opaque = 0;
        for (int i = 0; i < image.width * image.height; ++i) {
            alpha += image.pixels[4 * i + 3] / 255.0;
            opaque += image.pixels[4 * i + 3] == 255;
        }
        alpha /= image.width * image.height;
        if (name == "agua.png") {
            EXPECT_GT(alpha, 0.5);
            EXPECT_LT(alpha, 0.75);
        } else {
            EXPECT_EQ(opaque, image.width * image.height) << "only the water is translucent";
        }
    }
}

static uint32_t littleEndian(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST_F(AssetGenerator, SoundtrackIsWholeBarsThatLoopWithoutAJump) {
    std::string wav = readBytes(dataFile("fiesta2018.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(littleEndian(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(littleEndian(wav, 20, 2), 1u);  // PCM
    uint32_t channels = littleEndian(wav, 22, 2);
    EXPECT_EQ(littleEndian(wav, 24, 4), 44100u);
    EXPECT_EQ(littleEndian(wav, 34, 2), 16u);
    ASSERT_EQ(wav.substr(36, 4), "data");
    uint32_t dataBytes = littleEndian(wav, 40, 4);
    ASSERT_EQ(dataBytes, wav.size() - 44);
    ASSERT_TRUE(channels == 1 || channels == 2);

    uint32_t frames = dataBytes / (2 * channels);
    EXPECT_EQ(frames % (44100 * 2), 0u) << "a whole number of 4/4 bars at 120 beats per minute";
    EXPECT_GE(frames, 44100u * 8);
    auto sample = [&](uint32_t frame, uint32_t channel) {
        return static_cast<int16_t>(littleEndian(wav, 44 + 2 * (frame * channels + channel), 2));
    };
    int peak = 0;
    for (uint32_t frame = 0; frame < frames; frame += 7)
        peak = std::max(peak, std::abs(static_cast<int>(sample(frame, 0))));
    EXPECT_GT(peak, 8000) << "audible";
    for (uint32_t channel = 0; channel < channels; ++channel)
        EXPECT_LT(std::abs(sample(0, channel) - sample(frames - 1, channel)), 1000) << "channel " << channel;
}
