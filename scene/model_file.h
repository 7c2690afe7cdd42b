// The binary model file: big-endian u32 integers, little-endian f32 floats,
// a tree of nodes (one mesh each), an optional skeleton and animation.
// ModelFileData is the file's content as plain values: the reader parses and
// checks a whole file into it before anything is built, and the writer is its
// exact inverse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/math.h"

class MODEL3D;
struct Image;

constexpr uint32_t kModelFileMagic = 20170422u;

struct ModelFileVertex {
    float position[3] = {0, 0, 0};
    float uv[2][2] = {{0, 0}, {0, 0}};  // the first uvSetCount sets are stored
    float normal[3] = {0, 0, 0};
    float unused[6] = {0, 0, 0, 0, 0, 0};
    float jointSlots[4] = {0, 0, 0, 0};  // stored only when skinned == 1
    float weights[4] = {0, 0, 0, 0};
};

struct ModelFileNode {
    uint32_t skinned = 0;  // 0 static; 1 skinned with a skin block per vertex; other: skinned, no block
    Matrix4 localMatrix;
    std::vector<uint32_t> jointIndices;  // stored only when skinned != 0
    std::vector<uint32_t> indices;  // 3 per triangle, as stored; loadModel keeps the low 16 bits
    uint32_t uvSetCount = 1;
    std::vector<ModelFileVertex> vertices;
    std::vector<std::string> materials;  // PNG paths; the last one is used
    std::vector<ModelFileNode> children;
};

struct ModelFileJoint {
    uint32_t index = 0;
    uint32_t parentIndex = 0xFFFFFFFFu;
    std::string name;  // stored only when the skeleton has names
    std::vector<ModelFileJoint> children;
};

struct ModelFileFrame {
    uint32_t frameValue = 0;
    std::vector<Matrix4> matrices;  // one per joint
};

struct ModelFileData {
    std::vector<ModelFileNode> nodes;
    // Present only when the first node is skinned.
    bool hasSkeleton = false;
    uint32_t jointCount = 0;
    bool hasNames = false;
    std::vector<ModelFileJoint> rootJoints;
    std::vector<Matrix4> bindMatrices;  // jointCount of them
    // Present only with a skeleton.
    bool hasAnimation = false;
    std::vector<ModelFileFrame> frames;
};

// Parses and checks a whole file. On failure returns false with a one-line
// reason and an empty data. Rejected: truncation, counts that cannot fit in
// the bytes left, more than two uv sets, strings over 255 bytes, vertex
// indices (low 16 bits) outside the vertex array, joint records outside the
// skeleton or describing a joint twice, nodes nested more than 60 levels
// below the root nodes, joint records nested more than 62 levels, meshes whose
// byte sizes overflow an int. Bytes after the last block are ignored.
bool readModelFile(const char* path, ModelFileData& data, std::string* error = nullptr);
// The exact inverse of readModelFile for the fields the format stores (see
// the "stored only when" notes above). Fails on data the format cannot hold:
// more than two uv sets, strings over 255 bytes, an index count not a multiple
// of three, matrix counts that differ from jointCount, a skeleton that does
// not match the first node's skinned flag, an animation without skeleton.
bool writeModelFile(const char* path, const ModelFileData& data, std::string* error = nullptr);
// Loads a file into a freshly constructed model (needs a GL context). A failed
// load leaves the model as constructed and releases whatever it made.
bool loadModel(MODEL3D* model, const char* path, std::string* error = nullptr);
// The picture of a material's private texture, as loadImage gives it. The
// last few pictures decoded are kept and copied for later materials naming
// the same file with the same bytes.
void loadMaterialPicture(Image& image, const std::string& path);
// Frees the kept pictures (for instance once start-up has made every material).
void releaseMaterialPictures();
