// The binary model file: reader, writer and the loader that builds a MODEL3D.
//
// The reader takes the whole file into memory with one fread and parses it
// from there, checking every count against the bytes that are left before
// anything is allocated, so a short or hostile file fails cleanly.

#include "scene/model_file.h"

#include <cstdio>
#include <cstring>

#include "platform/file_size.h"

#include "image/texture.h"
#include "gpu/gl_buffers.h"
#include "gpu/shader_catalogue.h"
#include "scene/mesh_detail.h"
#include "scene/model.h"

// Limits that keep a loaded model drawable and animatable.
//
// Drawing starts with the scene's root matrix in model stack entry 0; each
// level of the model hierarchy holds one more entry and emitting a mesh
// briefly uses two more: with 64 entries, 1 + levels + 2 <= 64, so at most
// 61 model levels: the root nodes plus 60 levels of nested children.
constexpr int kMaxNodeDepth = 60;
// The pose update pushes one entry and each joint level one more: 1 + 1 + 62 <= 64.
constexpr int kMaxJointDepth = 62;
constexpr uint32_t kMaxStringBytes = 255;
// The vertex record has room for two texture-coordinate sets.
constexpr uint32_t kMaxUvSets = 2;
// A mesh keeps its byte sizes in 32-bit ints: 2 bytes per index, 76 per vertex.
constexpr uint32_t kMaxTriangles = 0x7FFFFFFFu / 6;
constexpr uint32_t kMaxVertices = 0x7FFFFFFFu / 76;

// Far above any real model (the demo's largest is half a megabyte), far below
// what would exhaust memory once parsed.
constexpr long long kMaxFileBytes = 256LL << 20;

// Smallest possible encodings, used to check counts against the bytes left.
constexpr uint64_t kMinNodeBytes = 4 + 64 + 4 + 4 + 4 + 4 + 4;  // no joints, triangles, vertices, materials, children
constexpr uint64_t kMinJointRecordBytes = 4 + 4 + 4;  // index, parent, childCount

// ---- reading ---------------------------------------------------------------

struct ModelFileReader {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    size_t offset = 0;
    bool failed = false;
    std::string error;
    bool hasNames = false;
    uint32_t jointCount = 0;
    std::vector<bool> jointSeen;

    bool fail(const char* reason) {
        if (!failed) error = reason;
        failed = true;
        return false;
    }
    size_t left() const { return size - offset; }
    // True when count items of at least itemBytes each can still be in the file.
    bool fits(uint64_t count, uint64_t itemBytes, const char* what) {
        if (itemBytes != 0 && count > left() / itemBytes) {
            char message[128];
            snprintf(message, sizeof message, "%s count %llu exceeds the file", what, (unsigned long long)count);
            if (!failed) error = message;
            failed = true;
            return false;
        }
        return true;
    }
    uint32_t u32() {
        if (left() < 4) {
            fail("file is truncated");
            return 0;
        }
        const unsigned char* b = bytes + offset;
        offset += 4;
        return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | (uint32_t)b[3];
    }
    float f32() {
        if (left() < 4) {
            fail("file is truncated");
            return 0.0f;
        }
        const unsigned char* b = bytes + offset;
        offset += 4;
        uint32_t bits = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
        float value;
        memcpy(&value, &bits, 4);
        return value;
    }
    void floats(float* out, int count) {
        for (int i = 0; i < count; ++i) out[i] = f32();
    }
    void matrix(Matrix4& out) { floats(out.m, 16); }
    bool string(std::string& out) {
        uint32_t length = u32();
        if (failed) return false;
        if (length > kMaxStringBytes) return fail("string longer than 255 bytes");
        if (left() < length) return fail("file is truncated");
        out.assign((const char*)bytes + offset, length);
        offset += length;
        return true;
    }
};

// Node, material and child counts with the top bit set count as none.
static uint32_t countOrNone(uint32_t count) { return (count & 0x80000000u) ? 0 : count; }

static bool readNode(ModelFileReader& r, ModelFileNode& node, int depth) {
    if (depth > kMaxNodeDepth) return r.fail("children nested too deeply");
    node.skinned = r.u32();
    r.matrix(node.localMatrix);
    if (node.skinned != 0) {
        uint32_t joints = r.u32();
        if (r.failed || !r.fits(joints, 4, "mesh joint")) return false;
        node.jointIndices.resize(joints);
        for (uint32_t& index : node.jointIndices) index = r.u32();
    }

    uint32_t triangles = r.u32();
    if (r.failed || !r.fits(triangles, 12, "triangle")) return false;
    if (triangles > kMaxTriangles) return r.fail("too many triangles for one mesh");
    node.indices.resize((size_t)triangles * 3);
    for (uint32_t& index : node.indices) index = r.u32();

    uint32_t vertices = r.u32();
    node.uvSetCount = r.u32();
    if (r.failed) return false;
    if (node.uvSetCount > kMaxUvSets) return r.fail("more than two texture-coordinate sets");
    uint32_t floatsPerVertex = 3 + 2 * node.uvSetCount + 3 + 6 + (node.skinned == 1 ? 8 : 0);
    if (!r.fits(vertices, 4 * floatsPerVertex, "vertex")) return false;
    if (vertices > kMaxVertices) return r.fail("too many vertices for one mesh");
    node.vertices.resize(vertices);
    for (ModelFileVertex& v : node.vertices) {
        r.floats(v.position, 3);
        for (uint32_t k = 0; k < node.uvSetCount; ++k) r.floats(v.uv[k], 2);
        r.floats(v.normal, 3);
        r.floats(v.unused, 6);
        if (node.skinned == 1) {
            r.floats(v.jointSlots, 4);
            r.floats(v.weights, 4);
        }
    }
    if (r.failed) return false;
    // Indices address the vertex array by their low 16 bits; one outside it
    // would make the bounds computation and the GPU read past the vertices.
    for (uint32_t index : node.indices) {
        if ((index & 0xFFFFu) >= vertices) return r.fail("vertex index out of range");
    }

    uint32_t materials = countOrNone(r.u32());
    if (r.failed || !r.fits(materials, 4, "material")) return false;
    node.materials.resize(materials);
    for (std::string& path : node.materials) {
        if (!r.string(path)) return false;
    }

    uint32_t children = countOrNone(r.u32());
    if (r.failed || !r.fits(children, kMinNodeBytes, "child")) return false;
    node.children.resize(children);
    for (ModelFileNode& child : node.children) {
        if (!readNode(r, child, depth + 1)) return false;
    }
    return !r.failed;
}

static bool readJoint(ModelFileReader& r, ModelFileJoint& joint, int depth) {
    if (depth >= kMaxJointDepth) return r.fail("joints nested too deeply");
    joint.index = r.u32();
    joint.parentIndex = r.u32();
    if (r.failed) return false;
    if (joint.index >= r.jointCount) return r.fail("joint index outside the skeleton");
    // A joint described twice would link into its own tree and loop forever.
    if (r.jointSeen[joint.index]) return r.fail("joint described twice");
    r.jointSeen[joint.index] = true;
    if (r.hasNames && !r.string(joint.name)) return false;
    uint32_t children = r.u32();
    if (r.failed || !r.fits(children, kMinJointRecordBytes, "joint child")) return false;
    joint.children.resize(children);
    for (ModelFileJoint& child : joint.children) {
        if (!readJoint(r, child, depth + 1)) return false;
    }
    return !r.failed;
}

static bool readSkeletonAndAnimation(ModelFileReader& r, ModelFileData& data) {
    data.hasSkeleton = true;
    data.jointCount = r.u32();
    if (r.failed || !r.fits(data.jointCount, 64, "joint")) return false;
    r.jointCount = data.jointCount;
    r.jointSeen.assign(data.jointCount, false);
    uint32_t roots = r.u32();
    data.hasNames = r.u32() != 0;
    r.hasNames = data.hasNames;
    if (r.failed || !r.fits(roots, kMinJointRecordBytes, "root joint")) return false;
    data.rootJoints.resize(roots);
    for (ModelFileJoint& joint : data.rootJoints) {
        if (!readJoint(r, joint, 0)) return false;
    }
    if (!r.fits(data.jointCount, 64, "joint")) return false;
    data.bindMatrices.resize(data.jointCount);
    for (Matrix4& m : data.bindMatrices) r.matrix(m);

    // The animation block: a flag read as a signed count, then the frames.
    data.hasAnimation = (int32_t)r.u32() > 0;
    if (r.failed || !data.hasAnimation) return !r.failed;
    uint32_t frames = r.u32();
    r.f32();
    r.u32();
    if (r.failed || !r.fits(frames, 4 + 64 * (uint64_t)data.jointCount, "frame")) return false;
    data.frames.resize(frames);
    for (ModelFileFrame& frame : data.frames) {
        frame.frameValue = r.u32();
        frame.matrices.resize(data.jointCount);
        for (Matrix4& m : frame.matrices) r.matrix(m);
    }
    return !r.failed;
}

static bool readFileBytes(const char* path, std::vector<unsigned char>& bytes, std::string& error) {
    FILE* file = fopen(path, "rb");
    if (!file) {
        error = std::string("cannot open ") + path;
        return false;
    }
    const long long size = openFileSize(file);
    // A folder opens too (on Linux) and reports an absurd size; a hostile
    // file may be huge. Neither is read into memory.
    bool ok = size >= 0 && size <= kMaxFileBytes;
    if (ok) {
        bytes.resize((size_t)size);
        ok = fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    fclose(file);
    if (!ok) error = std::string("cannot read ") + path;
    return ok;
}

bool readModelFile(const char* path, ModelFileData& data, std::string* error) {
    data = ModelFileData();
    std::vector<unsigned char> bytes;
    std::string reason;
    ModelFileReader r;
    bool ok = readFileBytes(path, bytes, reason);
    if (ok) {
        r.bytes = bytes.data();
        r.size = bytes.size();
        uint32_t magic = r.u32();
        if (!r.failed && magic != kModelFileMagic) r.fail("not a model file (wrong magic)");
        uint32_t nodes = countOrNone(r.u32());
        if (!r.failed && r.fits(nodes, kMinNodeBytes, "node")) {
            data.nodes.resize(nodes);
            for (ModelFileNode& node : data.nodes) {
                if (!readNode(r, node, 0)) break;
            }
        }
        if (!r.failed && !data.nodes.empty() && data.nodes[0].skinned != 0) readSkeletonAndAnimation(r, data);
        // Bytes after the last block are ignored.
        ok = !r.failed;
        reason = r.error;
    }
    if (!ok) {
        data = ModelFileData();
        if (error) *error = reason;
    }
    return ok;
}

// ---- writing ---------------------------------------------------------------

struct ModelFileWriter {
    std::vector<unsigned char> bytes;

    void u32(uint32_t value) {
        unsigned char b[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16), (unsigned char)(value >> 8),
                              (unsigned char)value};
        bytes.insert(bytes.end(), b, b + 4);
    }
    void f32(float value) {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        unsigned char b[4] = {(unsigned char)bits, (unsigned char)(bits >> 8), (unsigned char)(bits >> 16),
                              (unsigned char)(bits >> 24)};
        bytes.insert(bytes.end(), b, b + 4);
    }
    void floats(const float* values, int count) {
        for (int i = 0; i < count; ++i) f32(values[i]);
    }
    void string(const std::string& s) {
        u32((uint32_t)s.size());
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
};

// Counts are stored as u32 but read as signed: keep them below 2^31.
static bool countFits(size_t count) { return count <= 0x7FFFFFFFu; }

static bool writeNode(ModelFileWriter& w, const ModelFileNode& node, std::string& error) {
    if (node.uvSetCount > kMaxUvSets) {
        error = "more than two texture-coordinate sets";
        return false;
    }
    if (node.indices.size() % 3 != 0) {
        error = "index count is not a multiple of three";
        return false;
    }
    if (!countFits(node.jointIndices.size()) || !countFits(node.indices.size() / 3) ||
        !countFits(node.vertices.size()) || !countFits(node.materials.size()) || !countFits(node.children.size())) {
        error = "count too large";
        return false;
    }
    w.u32(node.skinned);
    w.floats(node.localMatrix.m, 16);
    if (node.skinned != 0) {
        w.u32((uint32_t)node.jointIndices.size());
        for (uint32_t index : node.jointIndices) w.u32(index);
    }
    w.u32((uint32_t)(node.indices.size() / 3));
    for (uint32_t index : node.indices) w.u32(index);
    w.u32((uint32_t)node.vertices.size());
    w.u32(node.uvSetCount);
    for (const ModelFileVertex& v : node.vertices) {
        w.floats(v.position, 3);
        for (uint32_t k = 0; k < node.uvSetCount; ++k) w.floats(v.uv[k], 2);
        w.floats(v.normal, 3);
        w.floats(v.unused, 6);
        if (node.skinned == 1) {
            w.floats(v.jointSlots, 4);
            w.floats(v.weights, 4);
        }
    }
    w.u32((uint32_t)node.materials.size());
    for (const std::string& path : node.materials) {
        if (path.size() > kMaxStringBytes) {
            error = "material path longer than 255 bytes";
            return false;
        }
        w.string(path);
    }
    w.u32((uint32_t)node.children.size());
    for (const ModelFileNode& child : node.children) {
        if (!writeNode(w, child, error)) return false;
    }
    return true;
}

static bool writeJoint(ModelFileWriter& w, const ModelFileJoint& joint, bool hasNames, std::string& error) {
    w.u32(joint.index);
    w.u32(joint.parentIndex);
    if (hasNames) {
        if (joint.name.size() > kMaxStringBytes) {
            error = "joint name longer than 255 bytes";
            return false;
        }
        w.string(joint.name);
    }
    w.u32((uint32_t)joint.children.size());
    for (const ModelFileJoint& child : joint.children) {
        if (!writeJoint(w, child, hasNames, error)) return false;
    }
    return true;
}

static bool encodeModelFile(ModelFileWriter& w, const ModelFileData& data, std::string& error) {
    bool firstSkinned = !data.nodes.empty() && data.nodes[0].skinned != 0;
    if (data.hasSkeleton != firstSkinned) {
        error = "a skeleton is stored exactly when the first node is skinned";
        return false;
    }
    if (data.hasAnimation && !data.hasSkeleton) {
        error = "an animation needs a skeleton";
        return false;
    }
    if (data.bindMatrices.size() != data.jointCount) {
        error = "bind matrix count differs from the joint count";
        return false;
    }
    for (const ModelFileFrame& frame : data.frames) {
        if (frame.matrices.size() != data.jointCount) {
            error = "frame matrix count differs from the joint count";
            return false;
        }
    }
    if (!countFits(data.nodes.size()) || !countFits(data.rootJoints.size()) || !countFits(data.frames.size())) {
        error = "count too large";
        return false;
    }

    w.u32(kModelFileMagic);
    w.u32((uint32_t)data.nodes.size());
    for (const ModelFileNode& node : data.nodes) {
        if (!writeNode(w, node, error)) return false;
    }
    if (!data.hasSkeleton) return true;

    w.u32(data.jointCount);
    w.u32((uint32_t)data.rootJoints.size());
    w.u32(data.hasNames ? 1 : 0);
    for (const ModelFileJoint& joint : data.rootJoints) {
        if (!writeJoint(w, joint, data.hasNames, error)) return false;
    }
    for (const Matrix4& m : data.bindMatrices) w.floats(m.m, 16);

    w.u32(data.hasAnimation ? 1 : 0);
    if (!data.hasAnimation) return true;
    w.u32((uint32_t)data.frames.size());
    w.f32(0.0f);
    w.u32(0);
    for (const ModelFileFrame& frame : data.frames) {
        w.u32(frame.frameValue);
        for (const Matrix4& m : frame.matrices) w.floats(m.m, 16);
    }
    return true;
}

bool writeModelFile(const char* path, const ModelFileData& data, std::string* error) {
    ModelFileWriter w;
    std::string reason;
    bool ok = encodeModelFile(w, data, reason);
    if (ok) {
        FILE* file = fopen(path, "wb");
        ok = file && fwrite(w.bytes.data(), 1, w.bytes.size(), file) == w.bytes.size();
        if (file && fclose(file) != 0) ok = false;
        if (!ok) reason = std::string("cannot write ") + path;
    }
    if (!ok && error) *error = reason;
    return ok;
}

// ---- building a MODEL3D ----------------------------------------------------

// The demo's materials share a few pictures (every rock reads the same rock
// texture, both landscape meshes the same ground), so the last pictures
// decoded for materials are kept and copied for the next material that names
// the same file with the same bytes. The file is still read each time, which
// costs little next to decoding it.
struct KeptPicture {
    std::string path;
    std::vector<unsigned char> fileBytes;
    Image image;
};
constexpr int kKeptPictures = 8;
constexpr int kMaxKeptPictureBytes = 4 << 20;
static KeptPicture g_keptPictures[kKeptPictures];
static int g_nextKeptPicture = 0;

static void copyImage(const Image& from, Image& to) {
    to.clear();
    to.pixels = new unsigned char[from.byteSize];
    memcpy(to.pixels, from.pixels, (size_t)from.byteSize);
    to.width = from.width;
    to.height = from.height;
    to.stride = from.stride;
    to.bitsPerPixel = from.bitsPerPixel;
    to.byteSize = from.byteSize;
    to.pixelOrder = from.pixelOrder;
}

void loadMaterialPicture(Image& image, const std::string& path) {
    std::vector<unsigned char> bytes;
    std::string ignored;
    if (!readFileBytes(path.c_str(), bytes, ignored)) {
        loadImage(image, path.c_str());  // fails the same way and clears the image
        return;
    }
    for (const KeptPicture& kept : g_keptPictures) {
        if (kept.image.pixels && kept.path == path && kept.fileBytes == bytes) {
            copyImage(kept.image, image);
            return;
        }
    }
    loadImage(image, path.c_str());
    if (!image.pixels || image.byteSize <= 0 || image.byteSize > kMaxKeptPictureBytes) return;
    KeptPicture& slot = g_keptPictures[g_nextKeptPicture];
    g_nextKeptPicture = (g_nextKeptPicture + 1) % kKeptPictures;
    slot.path = path;
    slot.fileBytes = std::move(bytes);
    copyImage(image, slot.image);
}

void releaseMaterialPictures() {
    for (KeptPicture& kept : g_keptPictures) {
        kept.image.clear();
        kept.path = std::string();
        kept.fileBytes = std::vector<unsigned char>();
    }
    g_nextKeptPicture = 0;
}

// A material with one private texture loaded from path.
static Material* createMaterial(const std::string& path) {
    Material* material = new Material();
    material->setTextureSlots(1);
    Texture* texture = createTexture();
    texture->path = path;
    loadMaterialPicture(*texture->image, path);
    createGlTexture(texture, 1, 1);
    texture->needsUpload = false;
    material->textures[0] = texture;
    material->shader = shaderCatalogue().staticMeshes;
    return material;
}

// Uploads the model and its descendants, then bounds this model's meshes
// and makes their levels of detail.
static void completeModel(MODEL3D* model) {
    model->upload();
    for (Mesh* mesh = model->meshes; mesh; mesh = mesh->next) {
        MODEL3D::computeBounds(mesh);
        buildDetailLevels(mesh);
    }
}

static void buildNode(MODEL3D* model, const ModelFileNode& node) {
    Mesh* mesh = model->addMesh();
    MeshPart* part = model->addMeshPart(mesh);
    mesh->skinned = node.skinned != 0;
    part->localMatrix = node.localMatrix;

    if (node.skinned != 0) {
        part->jointCount = (int)node.jointIndices.size();
        part->jointIndices = new int[node.jointIndices.size()];
        for (size_t i = 0; i < node.jointIndices.size(); ++i) part->jointIndices[i] = (int)node.jointIndices[i];
    }

    part->indexCount = (int)node.indices.size();
    part->indexBytes = 2 * part->indexCount;
    part->indices = new uint16_t[node.indices.size()];
    for (size_t i = 0; i < node.indices.size(); ++i) part->indices[i] = (uint16_t)(node.indices[i] & 0xFFFFu);
    part->indexBuffer = createIndexBuffer(part->indexBytes, nullptr);

    size_t count = node.vertices.size();
    mesh->vertexCount = (int)count;
    mesh->vertexBytes = (int)(count * sizeof(Vertex));
    mesh->vertices = new Vertex[count]();
    for (size_t i = 0; i < count; ++i) {
        const ModelFileVertex& in = node.vertices[i];
        Vertex& out = mesh->vertices[i];
        memcpy(out.position, in.position, sizeof in.position);
        out.position[3] = 1.0f;
        memcpy(out.normal, in.normal, sizeof in.normal);
        // Sets the file does not hold read as zero.
        memcpy(out.uv0, in.uv[0], sizeof out.uv0);
        memcpy(out.uv1, in.uv[1], sizeof out.uv1);
        memcpy(out.jointSlots, in.jointSlots, sizeof in.jointSlots);
        memcpy(out.weights, in.weights, sizeof in.weights);
    }
    mesh->vertexBuffer = createVertexBuffer(mesh->vertexBytes, nullptr);

    if (mesh->skinned) {
        // The untouched bind pose that processor skinning reads every update.
        mesh->bindPoseCount = mesh->vertexCount;
        mesh->bindPoseBytes = mesh->vertexBytes;
        mesh->bindPoseVertices = new Vertex[count];
        if (count > 0) memcpy(mesh->bindPoseVertices, mesh->vertices, count * sizeof(Vertex));
        mesh->bindPoseBuffer = createVertexBuffer(mesh->bindPoseBytes, nullptr);
    }

    // Later materials replace earlier ones: only the last is made.
    if (!node.materials.empty()) part->material = createMaterial(node.materials.back());

    for (const ModelFileNode& childNode : node.children) {
        MODEL3D* child = model->createChild();
        buildNode(child, childNode);
        completeModel(child);
    }
}

static Joint* buildJoint(Skeleton* skeleton, const ModelFileJoint& record) {
    // The reader guarantees record.index < jointCount and each joint once.
    Joint* joint = skeleton->joints[record.index];
    joint->parent =
        record.parentIndex < (uint32_t)skeleton->jointCount ? skeleton->joints[record.parentIndex] : nullptr;
    joint->name = record.name;
    Joint* previous = nullptr;
    for (const ModelFileJoint& childRecord : record.children) {
        Joint* child = buildJoint(skeleton, childRecord);
        if (previous)
            previous->nextSibling = child;
        else
            joint->firstChild = child;
        previous = child;
    }
    return joint;
}

static void buildSkeleton(MODEL3D* model, const ModelFileData& data) {
    Skeleton* skeleton = new Skeleton();
    skeleton->createJoints((int)data.jointCount);
    model->skeleton = skeleton;
    for (const ModelFileJoint& record : data.rootJoints) skeleton->addRoot(buildJoint(skeleton, record));
    for (uint32_t i = 0; i < data.jointCount; ++i) {
        Joint* joint = skeleton->joints[i];
        joint->local = data.bindMatrices[i];
        // A singular bind matrix keeps the identity inverse.
        matrixInverse(joint->local, joint->inverseBind);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) joint->normalMatrix[3 * c + r] = joint->inverseBind.m[4 * c + r];
    }

    // Joint references of the root meshes; indices outside the skeleton resolve to none.
    for (Mesh* mesh = model->meshes; mesh; mesh = mesh->next) {
        MeshPart* part = mesh->part;
        if (!part || part->jointCount == 0) continue;
        part->joints = new Joint*[part->jointCount];
        for (int i = 0; i < part->jointCount; ++i) {
            uint32_t index = (uint32_t)part->jointIndices[i];
            part->joints[i] = index < data.jointCount ? skeleton->joints[index] : nullptr;
        }
    }

    if (!data.hasAnimation) return;
    KEYFRAME_ANIMATION* animation = new KEYFRAME_ANIMATION();
    animation->allocateFrames((int)data.frames.size(), (int)data.jointCount);
    for (size_t f = 0; f < data.frames.size(); ++f) {
        AnimationFrame& frame = animation->frames[f];
        frame.frameValue = (int)data.frames[f].frameValue;
        for (uint32_t j = 0; j < data.jointCount; ++j) frame.matrices[j] = data.frames[f].matrices[j];
    }
    model->animation = animation;
}

bool loadModel(MODEL3D* model, const char* path, std::string* error) {
    ModelFileData data;
    if (!readModelFile(path, data, error)) return false;
    for (const ModelFileNode& node : data.nodes) buildNode(model, node);
    completeModel(model);
    if (data.hasSkeleton) buildSkeleton(model, data);
    return true;
}
