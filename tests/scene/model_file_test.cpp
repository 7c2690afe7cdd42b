#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "image/texture.h"
#include "gpu/gl_state_cache.h"
#include "scene/model.h"
#include "scene/model_file.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

namespace {

Matrix4 numberedMatrix(float base) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = base + (float)i * 0.25f;
    return m;
}

ModelFileNode makeNode(uint32_t skinned, uint32_t uvSets, int vertexCount, float seed) {
    ModelFileNode node;
    node.skinned = skinned;
    node.localMatrix = numberedMatrix(seed);
    node.uvSetCount = uvSets;
    if (skinned != 0) node.jointIndices = {2, 0, 1};
    for (int i = 0; i < vertexCount; ++i) {
        ModelFileVertex v;
        float f = seed + (float)i;
        v.position[0] = f;
        v.position[1] = -f;
        v.position[2] = f * 0.5f;
        for (uint32_t k = 0; k < uvSets; ++k) {
            v.uv[k][0] = f + 0.125f * (float)k;
            v.uv[k][1] = -0.5f - (float)k;
        }
        v.normal[0] = 0;
        v.normal[1] = 1;
        v.normal[2] = 0;
        for (int j = 0; j < 6; ++j) v.unused[j] = (float)j * f;
        if (skinned == 1) {
            for (int j = 0; j < 4; ++j) {
                v.jointSlots[j] = (float)(j % 3);
                v.weights[j] = 0.25f;
            }
        }
        node.vertices.push_back(v);
    }
    for (int i = 0; i + 2 < vertexCount; ++i)
        node.indices.insert(node.indices.end(), {0u, (uint32_t)i + 1, (uint32_t)i + 2});
    return node;
}

// A model using every feature: two root nodes (the first skinned), nested
// children, two materials on a node, a named three-joint skeleton, animation.
ModelFileData makeFullModel() {
    ModelFileData data;
    ModelFileNode root = makeNode(1, 2, 4, 1.0f);
    root.materials = {"data/first.png", "data/second.png"};
    ModelFileNode child = makeNode(0, 0, 3, 10.0f);
    child.children.push_back(makeNode(2, 1, 5, 20.0f));
    root.children.push_back(child);
    data.nodes.push_back(root);
    data.nodes.push_back(makeNode(0, 1, 3, 30.0f));

    data.hasSkeleton = true;
    data.jointCount = 3;
    data.hasNames = true;
    ModelFileJoint hip;
    hip.index = 0;
    hip.name = "hip";
    ModelFileJoint leg;
    leg.index = 1;
    leg.parentIndex = 0;
    leg.name = "leg";
    ModelFileJoint foot;
    foot.index = 2;
    foot.parentIndex = 1;
    foot.name = "foot";
    leg.children.push_back(foot);
    hip.children.push_back(leg);
    data.rootJoints.push_back(hip);
    for (int j = 0; j < 3; ++j) data.bindMatrices.push_back(numberedMatrix(100.0f + (float)j));

    data.hasAnimation = true;
    for (int f = 0; f < 2; ++f) {
        ModelFileFrame frame;
        frame.frameValue = 7 + (uint32_t)f;
        for (int j = 0; j < 3; ++j) frame.matrices.push_back(numberedMatrix(200.0f + (float)(f * 3 + j)));
        data.frames.push_back(frame);
    }
    return data;
}

void expectSameMatrix(const Matrix4& a, const Matrix4& b) { EXPECT_EQ(0, memcmp(a.m, b.m, sizeof a.m)); }

void expectSameNode(const ModelFileNode& a, const ModelFileNode& b) {
    EXPECT_EQ(a.skinned, b.skinned);
    expectSameMatrix(a.localMatrix, b.localMatrix);
    EXPECT_EQ(a.jointIndices, b.jointIndices);
    EXPECT_EQ(a.indices, b.indices);
    EXPECT_EQ(a.uvSetCount, b.uvSetCount);
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    for (size_t i = 0; i < a.vertices.size(); ++i)
        EXPECT_EQ(0, memcmp(&a.vertices[i], &b.vertices[i], sizeof(ModelFileVertex))) << "vertex " << i;
    EXPECT_EQ(a.materials, b.materials);
    ASSERT_EQ(a.children.size(), b.children.size());
    for (size_t i = 0; i < a.children.size(); ++i) expectSameNode(a.children[i], b.children[i]);
}

void expectSameJoint(const ModelFileJoint& a, const ModelFileJoint& b) {
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(a.parentIndex, b.parentIndex);
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.children.size(), b.children.size());
    for (size_t i = 0; i < a.children.size(); ++i) expectSameJoint(a.children[i], b.children[i]);
}

void expectSameData(const ModelFileData& a, const ModelFileData& b) {
    ASSERT_EQ(a.nodes.size(), b.nodes.size());
    for (size_t i = 0; i < a.nodes.size(); ++i) expectSameNode(a.nodes[i], b.nodes[i]);
    EXPECT_EQ(a.hasSkeleton, b.hasSkeleton);
    EXPECT_EQ(a.jointCount, b.jointCount);
    EXPECT_EQ(a.hasNames, b.hasNames);
    ASSERT_EQ(a.rootJoints.size(), b.rootJoints.size());
    for (size_t i = 0; i < a.rootJoints.size(); ++i) expectSameJoint(a.rootJoints[i], b.rootJoints[i]);
    ASSERT_EQ(a.bindMatrices.size(), b.bindMatrices.size());
    for (size_t i = 0; i < a.bindMatrices.size(); ++i) expectSameMatrix(a.bindMatrices[i], b.bindMatrices[i]);
    EXPECT_EQ(a.hasAnimation, b.hasAnimation);
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (size_t f = 0; f < a.frames.size(); ++f) {
        EXPECT_EQ(a.frames[f].frameValue, b.frames[f].frameValue);
        ASSERT_EQ(a.frames[f].matrices.size(), b.frames[f].matrices.size());
        for (size_t j = 0; j < a.frames[f].matrices.size(); ++j)
            expectSameMatrix(a.frames[f].matrices[j], b.frames[f].matrices[j]);
    }
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Hand-made file content: big-endian u32, little-endian f32.
struct Bytes {
    std::string s;
    Bytes& u32(uint32_t v) {
        s += (char)(v >> 24);
        s += (char)(v >> 16);
        s += (char)(v >> 8);
        s += (char)v;
        return *this;
    }
    Bytes& f32(float f) {
        uint32_t v;
        memcpy(&v, &f, 4);
        s += (char)v;
        s += (char)(v >> 8);
        s += (char)(v >> 16);
        s += (char)(v >> 24);
        return *this;
    }
    Bytes& floats(int count, float f = 0.0f) {
        for (int i = 0; i < count; ++i) f32(f);
        return *this;
    }
};

// A static node with no triangles or vertices, up to its material count.
Bytes& emptyNodeHead(Bytes& b) { return b.u32(0).floats(16).u32(0).u32(0).u32(0); }

struct ReadResult {
    bool ok;
    std::string error;
    ModelFileData data;
};

ReadResult readBytes(const ScratchDir& dir, const std::string& bytes) {
    ReadResult r;
    std::string path = dir.write("model.bin", bytes);
    r.ok = readModelFile(path.c_str(), r.data, &r.error);
    return r;
}

ModelFileNode nestedNodes(int depth) {
    ModelFileNode node;
    if (depth > 0) node.children.push_back(nestedNodes(depth - 1));
    return node;
}

ModelFileJoint nestedJoints(uint32_t index, uint32_t levels) {
    ModelFileJoint joint;
    joint.index = index;
    if (levels > 1) joint.children.push_back(nestedJoints(index + 1, levels - 1));
    return joint;
}

ModelFileData skeletonOnly(uint32_t jointCount) {
    ModelFileData data;
    data.nodes.push_back(makeNode(1, 0, 0, 0.0f));
    data.hasSkeleton = true;
    data.jointCount = jointCount;
    data.bindMatrices.assign(jointCount, numberedMatrix(0.0f));
    return data;
}

}  // namespace

TEST(ModelFile, RoundTripsEveryFeature) {
    ScratchDir dir;
    ModelFileData full = makeFullModel();
    ModelFileData variants[4] = {full, full, full, full};
    variants[1].hasNames = false;  // names are then not stored
    std::vector<ModelFileJoint*> stack = {&variants[1].rootJoints[0]};
    while (!stack.empty()) {
        ModelFileJoint* j = stack.back();
        stack.pop_back();
        j->name.clear();
        for (ModelFileJoint& c : j->children) stack.push_back(&c);
    }
    variants[2].hasAnimation = false;
    variants[2].frames.clear();
    variants[3].nodes[0] = makeNode(2, 0, 3, 5.0f);  // skinned without skin block

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        std::string path = dir.file("m" + std::to_string(i) + ".bin");
        std::string error;
        ASSERT_TRUE(writeModelFile(path.c_str(), variants[i], &error)) << error;
        ModelFileData back;
        ASSERT_TRUE(readModelFile(path.c_str(), back, &error)) << error;
        expectSameData(variants[i], back);
    }
}

TEST(ModelFile, WritesTheDocumentedByteLayout) {
    ScratchDir dir;
    ModelFileData data;
    ModelFileNode node;
    node.skinned = 2;
    node.localMatrix = numberedMatrix(1.0f);
    node.jointIndices = {0x01020304u};
    node.indices = {0, 0, 0};
    node.uvSetCount = 1;
    ModelFileVertex v;
    v.position[0] = 1.0f;
    v.uv[0][0] = 2.0f;
    v.uv[1][0] = 9.0f;  // not stored: only one set
    v.weights[0] = 9.0f;  // not stored: skinned is not 1
    node.vertices.push_back(v);
    node.materials = {"ab"};
    data.nodes.push_back(node);
    data.hasSkeleton = true;
    data.jointCount = 0;

    std::string path = dir.file("layout.bin");
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    Bytes expected;
    expected.u32(20170422).u32(1).u32(2);
    for (int i = 0; i < 16; ++i) expected.f32(1.0f + (float)i * 0.25f);
    expected.u32(1).u32(0x01020304u).u32(1).u32(0).u32(0).u32(0).u32(1).u32(1);
    expected.f32(1.0f).f32(0).f32(0).f32(2.0f).f32(0).floats(3).floats(6);
    expected.u32(1).u32(2);
    expected.s += "ab";
    expected.u32(0);  // children
    expected.u32(0).u32(0).u32(0);  // skeleton: no joints, no roots, no names
    expected.u32(0);  // no animation
    std::string written = fileBytes(path);
    EXPECT_EQ(expected.s, written);
    EXPECT_EQ(std::string("\x01\x33\xC6\xB6", 4), written.substr(0, 4));

    ModelFileData back;
    ASSERT_TRUE(readModelFile(path.c_str(), back));
    EXPECT_EQ(0.0f, back.nodes[0].vertices[0].uv[1][0]);
    EXPECT_EQ(0.0f, back.nodes[0].vertices[0].weights[0]);
}

TEST(ModelFile, EmptyAndNegativeCountsReadAsNone) {
    ScratchDir dir;
    ReadResult empty = readBytes(dir, Bytes().u32(20170422).u32(0).s);
    EXPECT_TRUE(empty.ok) << empty.error;
    EXPECT_TRUE(empty.data.nodes.empty());
    EXPECT_FALSE(empty.data.hasSkeleton);

    EXPECT_TRUE(readBytes(dir, Bytes().u32(20170422).u32(0x80000000u).s).ok);

    // Top-bit material and child counts mean none; trailing bytes are ignored.
    Bytes b;
    b.u32(20170422).u32(1);
    emptyNodeHead(b).u32(0xFFFFFFFFu).u32(0x80000001u).u32(12345);
    ReadResult r = readBytes(dir, b.s);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(1u, r.data.nodes.size());
    EXPECT_TRUE(r.data.nodes[0].materials.empty());
    EXPECT_TRUE(r.data.nodes[0].children.empty());

    // A skeleton whose animation flag reads negative has no animation.
    std::string path = dir.file("skel.bin");
    ModelFileData data = skeletonOnly(1);
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    std::string bytes = fileBytes(path);
    bytes.replace(bytes.size() - 4, 4, Bytes().u32(0x80000005u).s);
    r = readBytes(dir, bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.data.hasSkeleton);
    EXPECT_FALSE(r.data.hasAnimation);
}

TEST(ModelFile, EveryTruncationFails) {
    ScratchDir dir;
    std::string path = dir.file("full.bin");
    ASSERT_TRUE(writeModelFile(path.c_str(), makeFullModel()));
    ModelFileData data;
    ASSERT_TRUE(readModelFile(path.c_str(), data));
    // Cut the file shorter one byte at a time.
    for (size_t n = fileBytes(path).size(); n-- > 0;) {
        ASSERT_EQ(0, truncate(path.c_str(), (off_t)n));
        std::string error;
        EXPECT_FALSE(readModelFile(path.c_str(), data, &error)) << "prefix of " << n << " bytes";
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(data.nodes.empty());
    }
}

TEST(ModelFile, RejectsMalformedFiles) {
    ScratchDir dir;
    ModelFileData unused;
    std::string error;
    EXPECT_FALSE(readModelFile(dir.file("missing.bin").c_str(), unused, &error));
    EXPECT_FALSE(error.empty());

    EXPECT_FALSE(readBytes(dir, Bytes().u32(20170423).u32(0).s).ok);

    // Counts far beyond the file fail before anything is allocated.
    Bytes huge;
    huge.u32(20170422).u32(1).u32(0).floats(16).u32(0).u32(2000000000u).u32(0);
    huge.s.resize(100, '\0');
    ReadResult r = readBytes(dir, huge.s);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(std::string::npos, r.error.find("vertex")) << r.error;
    Bytes manyNodes;
    manyNodes.u32(20170422).u32(0x7FFFFFFFu);
    EXPECT_FALSE(readBytes(dir, manyNodes.s).ok);
    Bytes manyTriangles;
    manyTriangles.u32(20170422).u32(1).u32(0).floats(16).u32(0xFFFFFFFFu);
    EXPECT_FALSE(readBytes(dir, manyTriangles.s).ok);

    // More than two uv sets do not fit the vertex layout.
    Bytes uv3;
    uv3.u32(20170422).u32(1).u32(0).floats(16).u32(0).u32(1).u32(3).floats(3 + 6 + 3 + 6).u32(0).u32(0);
    r = readBytes(dir, uv3.s);
    EXPECT_FALSE(r.ok);

    // Strings: 255 bytes are fine, 256 are not.
    for (uint32_t length : {255u, 256u}) {
        Bytes s;
        s.u32(20170422).u32(1);
        emptyNodeHead(s).u32(1).u32(length);
        s.s += std::string(length, 'x');
        s.u32(0);
        EXPECT_EQ(length == 255u, readBytes(dir, s.s).ok) << length;
    }

    // An index whose low 16 bits name no vertex.
    ModelFileData badIndex;
    badIndex.nodes.push_back(makeNode(0, 0, 3, 0.0f));
    badIndex.nodes[0].indices[2] = 3;
    std::string path = dir.file("index.bin");
    ASSERT_TRUE(writeModelFile(path.c_str(), badIndex));
    EXPECT_FALSE(readModelFile(path.c_str(), unused));
    badIndex.nodes[0].indices[2] = 0x10002u;  // wraps to 2: accepted, kept as stored
    ASSERT_TRUE(writeModelFile(path.c_str(), badIndex));
    ASSERT_TRUE(readModelFile(path.c_str(), unused));
    EXPECT_EQ(0x10002u, unused.nodes[0].indices[2]);
}

TEST(ModelFile, RejectsBadJointRecords) {
    ScratchDir dir;
    std::string path = dir.file("joints.bin");
    ModelFileData data = skeletonOnly(2);
    ModelFileJoint joint;
    joint.index = 2;  // outside a two-joint skeleton
    data.rootJoints.push_back(joint);
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    ModelFileData back;
    std::string error;
    EXPECT_FALSE(readModelFile(path.c_str(), back, &error));
    EXPECT_FALSE(error.empty());

    // The same joint twice would link into its own tree.
    data.rootJoints[0].index = 1;
    data.rootJoints[0].children.push_back(data.rootJoints[0]);
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    EXPECT_FALSE(readModelFile(path.c_str(), back));

    // A parent outside the skeleton just means no parent.
    data.rootJoints[0].children.clear();
    data.rootJoints[0].parentIndex = 77;
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    EXPECT_TRUE(readModelFile(path.c_str(), back));
}

TEST(ModelFile, LimitsNestingDepth) {
    ScratchDir dir;
    std::string path = dir.file("deep.bin");
    ModelFileData back;
    // Root nodes plus 60 levels of children fit the 64-entry model stack.
    for (int depth : {60, 61}) {
        ModelFileData data;
        data.nodes.push_back(nestedNodes(depth));
        ASSERT_TRUE(writeModelFile(path.c_str(), data));
        EXPECT_EQ(depth == 60, readModelFile(path.c_str(), back)) << depth;
    }
    // 62 joint levels fit the pose update's pushes, 63 do not.
    for (uint32_t levels : {62u, 63u}) {
        ModelFileData data = skeletonOnly(levels);
        data.rootJoints.push_back(nestedJoints(0, levels));
        ASSERT_TRUE(writeModelFile(path.c_str(), data));
        EXPECT_EQ(levels == 62u, readModelFile(path.c_str(), back)) << levels;
    }
}

TEST(ModelFile, WriterRefusesWhatTheFormatCannotHold) {
    ScratchDir dir;
    std::string path = dir.file("bad.bin");
    ModelFileData base = makeFullModel();
    ModelFileData cases[6] = {base, base, base, base, base, base};
    cases[0].nodes[1].uvSetCount = 3;
    cases[1].nodes[1].materials = {std::string(256, 'x')};
    cases[2].nodes[1].indices.pop_back();
    cases[3].bindMatrices.pop_back();
    cases[4].hasSkeleton = false;  // the first node is skinned: a skeleton must follow
    cases[5].frames[1].matrices.pop_back();
    for (int i = 0; i < 6; ++i) {
        std::string error;
        EXPECT_FALSE(writeModelFile(path.c_str(), cases[i], &error)) << i;
        EXPECT_FALSE(error.empty()) << i;
    }
}

// ---- loading into a MODEL3D --------------------------------------------------

namespace {

class ModelLoad : public GlTest {
protected:
    // Writes data and loads it into model.
    bool load(const ModelFileData& data, std::string* error = nullptr) {
        std::string path = dir.file("load.bin");
        EXPECT_TRUE(writeModelFile(path.c_str(), data));
        return loadModel(&model, path.c_str(), error);
    }
    ScratchDir dir;
    MODEL3D model;
};

int meshCount(const MODEL3D& m) {
    int count = 0;
    for (Mesh* mesh = m.meshes; mesh; mesh = mesh->next) ++count;
    return count;
}

void expectGpuMatchesCpu(const Mesh* mesh) {
    std::vector<unsigned char> bytes(mesh->vertexBytes + mesh->part->indexBytes + 1);
    bindArrayBuffer((uint32_t)mesh->vertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, mesh->vertexBytes, bytes.data());
    EXPECT_EQ(0, memcmp(bytes.data(), mesh->vertices, mesh->vertexBytes));
    bindElementBuffer((uint32_t)mesh->part->indexBuffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, mesh->part->indexBytes, bytes.data());
    EXPECT_EQ(0, memcmp(bytes.data(), mesh->part->indices, mesh->part->indexBytes));
}

}  // namespace

TEST_F(ModelLoad, BuildsMeshesChildrenAndMaterials) {
    ModelFileData data = makeFullModel();
    data.nodes[0].indices[5] = 0x10003u;  // wraps to vertex 3
    std::string error;
    ASSERT_TRUE(load(data, &error)) << error;

    ASSERT_EQ(2, meshCount(model));
    Mesh* skinned = model.meshes;
    Mesh* plain = skinned->next;
    EXPECT_TRUE(skinned->skinned);
    EXPECT_FALSE(plain->skinned);

    // Vertices: w = 1, both uv sets from a two-set node, skin block kept.
    ASSERT_EQ(4, skinned->vertexCount);
    EXPECT_EQ(4 * 76, skinned->vertexBytes);
    const Vertex& v = skinned->vertices[1];
    const ModelFileVertex& in = data.nodes[0].vertices[1];
    EXPECT_EQ(in.position[0], v.position[0]);
    EXPECT_EQ(in.position[2], v.position[2]);
    EXPECT_EQ(1.0f, v.position[3]);
    EXPECT_EQ(in.uv[0][0], v.uv0[0]);
    EXPECT_EQ(in.uv[1][1], v.uv1[1]);
    EXPECT_EQ(in.jointSlots[2], v.jointSlots[2]);
    EXPECT_EQ(in.weights[3], v.weights[3]);
    EXPECT_EQ(0, memcmp(data.nodes[0].localMatrix.m, skinned->part->localMatrix.m, 64));

    // Indices keep their low 16 bits.
    ASSERT_EQ(6, skinned->part->indexCount);
    EXPECT_EQ(12, skinned->part->indexBytes);
    EXPECT_EQ(3, skinned->part->indices[5]);

    // The skinned mesh keeps a bind-pose copy with its own buffer.
    ASSERT_NE(nullptr, skinned->bindPoseVertices);
    EXPECT_EQ(4, skinned->bindPoseCount);
    EXPECT_GT(skinned->bindPoseBuffer, 0);
    EXPECT_NE(skinned->bindPoseBuffer, skinned->vertexBuffer);
    EXPECT_EQ(0, memcmp(skinned->vertices, skinned->bindPoseVertices, skinned->vertexBytes));
    EXPECT_EQ(nullptr, plain->bindPoseVertices);

    // One uv set: uv1 stays zero.
    EXPECT_EQ(data.nodes[1].vertices[2].uv[0][0], plain->vertices[2].uv0[0]);
    EXPECT_EQ(0.0f, plain->vertices[2].uv1[0]);
    EXPECT_EQ(0.0f, plain->vertices[2].uv1[1]);

    // Of two materials the last one is used, with a private texture.
    Material* material = skinned->part->material;
    ASSERT_NE(nullptr, material);
    ASSERT_EQ(1, material->textureCount);
    EXPECT_EQ("data/second.png", material->textures[0]->path);
    EXPECT_EQ(0u, material->textures[0]->refCount);
    EXPECT_EQ(nullptr, plain->part->material);

    // Children: one mesh per child model, nested as in the file.
    ASSERT_EQ(1, model.childCount);
    MODEL3D* child = model.children;
    ASSERT_NE(nullptr, child);
    ASSERT_EQ(1, meshCount(*child));
    EXPECT_EQ(3, child->meshes->vertexCount);
    ASSERT_EQ(1, child->childCount);
    MODEL3D* grandchild = child->children;
    ASSERT_EQ(1, meshCount(*grandchild));
    Mesh* skinnedNoBlock = grandchild->meshes;
    EXPECT_TRUE(skinnedNoBlock->skinned);  // skinned = 2
    EXPECT_EQ(0.0f, skinnedNoBlock->vertices[0].weights[0]);
    EXPECT_EQ(3, skinnedNoBlock->part->jointCount);
    EXPECT_EQ(nullptr, skinnedNoBlock->part->joints);  // only root meshes are resolved

    // Uploaded and bounded at every level.
    for (Mesh* mesh : {skinned, plain, child->meshes, skinnedNoBlock}) expectGpuMatchesCpu(mesh);
    // Child vertex i is (10 + i, -(10 + i), (10 + i) / 2) for i = 0..2.
    EXPECT_EQ(10.0f, child->meshes->boundsMin[0]);
    EXPECT_EQ(12.0f, child->meshes->boundsMax[0]);
    EXPECT_EQ(-12.0f, child->meshes->boundsMin[1]);
    EXPECT_EQ(6.0f, child->meshes->boundsMax[2]);
}

TEST_F(ModelLoad, BuildsSkeletonAndAnimation) {
    ModelFileData data = makeFullModel();
    ModelFileJoint extra;  // a second root with a parent outside the skeleton
    extra.index = 3;
    extra.parentIndex = 99;
    extra.name = "tail";
    data.jointCount = 4;
    data.rootJoints.push_back(extra);
    Matrix4 scale;
    matrixScale(scale, 2.0f, 4.0f, 8.0f);
    data.bindMatrices.push_back(scale);
    for (ModelFileFrame& frame : data.frames) frame.matrices.push_back(scale);
    data.nodes[0].jointIndices = {2, 0, 7};  // 7 is outside the skeleton
    ASSERT_TRUE(load(data));

    Skeleton* skeleton = model.skeleton;
    ASSERT_NE(nullptr, skeleton);
    ASSERT_EQ(4, skeleton->jointCount);
    ASSERT_EQ(2, skeleton->rootCount);
    Joint** j = skeleton->joints;
    EXPECT_EQ(j[0], skeleton->roots->joint);
    EXPECT_EQ(j[3], skeleton->roots->next->joint);
    EXPECT_EQ("hip", j[0]->name);
    EXPECT_EQ("foot", j[2]->name);
    EXPECT_EQ(nullptr, j[0]->parent);
    EXPECT_EQ(j[0], j[1]->parent);
    EXPECT_EQ(j[1], j[0]->firstChild);
    EXPECT_EQ(j[2], j[1]->firstChild);
    EXPECT_EQ(nullptr, j[1]->nextSibling);
    EXPECT_EQ(nullptr, j[3]->parent);
    EXPECT_EQ(3, j[3]->index);

    EXPECT_EQ(0, memcmp(scale.m, j[3]->local.m, 64));
    EXPECT_FLOAT_EQ(0.5f, j[3]->inverseBind.m[0]);
    EXPECT_FLOAT_EQ(0.25f, j[3]->inverseBind.m[5]);
    EXPECT_FLOAT_EQ(0.125f, j[3]->inverseBind.m[10]);
    EXPECT_FLOAT_EQ(0.25f, j[3]->normalMatrix[4]);
    EXPECT_FLOAT_EQ(0.125f, j[3]->normalMatrix[8]);
    EXPECT_EQ(0.0f, j[3]->normalMatrix[3]);

    MeshPart* part = model.meshes->part;
    ASSERT_EQ(3, part->jointCount);
    ASSERT_NE(nullptr, part->joints);
    EXPECT_EQ(j[2], part->joints[0]);
    EXPECT_EQ(j[0], part->joints[1]);
    EXPECT_EQ(nullptr, part->joints[2]);

    KEYFRAME_ANIMATION* animation = model.animation;
    ASSERT_NE(nullptr, animation);
    ASSERT_EQ(2, animation->frameCount);
    EXPECT_EQ(8, animation->frames[1].frameValue);
    ASSERT_EQ(4, animation->frames[1].jointCount);
    EXPECT_EQ(0, memcmp(data.frames[1].matrices[2].m, animation->frames[1].matrices[2].m, 64));
}

TEST_F(ModelLoad, NamesAndAnimationAreOptional) {
    ModelFileData data = makeFullModel();
    data.hasNames = false;
    data.rootJoints[0].name.clear();
    data.rootJoints[0].children[0].name.clear();
    data.rootJoints[0].children[0].children[0].name.clear();
    data.hasAnimation = false;
    data.frames.clear();
    ASSERT_TRUE(load(data));
    ASSERT_NE(nullptr, model.skeleton);
    EXPECT_EQ("", model.skeleton->joints[0]->name);
    EXPECT_EQ(nullptr, model.animation);
}

TEST_F(ModelLoad, FailedLoadLeavesTheModelAsConstructed) {
    ModelFileData data = makeFullModel();
    std::string path = dir.file("bad.bin");
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
    std::string bytes = fileBytes(path);
    dir.write("bad.bin", bytes.substr(0, bytes.size() - 1));
    std::string error;
    EXPECT_FALSE(loadModel(&model, path.c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(nullptr, model.meshes);
    EXPECT_EQ(nullptr, model.children);
    EXPECT_EQ(0, model.childCount);
    EXPECT_EQ(nullptr, model.skeleton);
    EXPECT_EQ(nullptr, model.animation);

    // An empty model loads, with nothing in it.
    dir.write("empty.bin", Bytes().u32(20170422).u32(0).s);
    EXPECT_TRUE(loadModel(&model, dir.file("empty.bin").c_str()));
    EXPECT_EQ(nullptr, model.meshes);
    EXPECT_EQ(nullptr, model.skeleton);
}
