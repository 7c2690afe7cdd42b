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
    std::vector<uint32_t> indices;       // 3 per triangle; the reader keeps the low 16 bits
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

// Parses and checks a whole file. On failure returns false with a one-line reason.
bool readModelFile(const char* path, ModelFileData& data, std::string* error = nullptr);
bool writeModelFile(const char* path, const ModelFileData& data, std::string* error = nullptr);
// Loads a file into a freshly constructed model (needs a GL context). A failed
// load leaves the model as constructed and releases whatever it made.
bool loadModel(MODEL3D* model, const char* path, std::string* error = nullptr);
