// MODEL3D, the drawable 3D object: meshes (vertex side) each with one part
// (index and material side), child models, an optional skeleton and keyframe
// animation. Filled by the model file reader or built in code (landscape).
//
// Ownership: every array below is allocated with new[] and released with
// delete[] by its record; records (Material, MeshPart, Joint, Texture of a
// material slot with refCount 0, animations) are allocated with new. GL buffer
// names are created by whoever fills the mesh and deleted here with
// deleteBuffer; a name <= 0 means none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/actor.h"
#include "scene/animation.h"
#include "scene/math.h"

struct ShaderProgram;
struct Texture;

// 76 bytes, the layout the draw code hands to OpenGL.
struct Vertex {
    float position[4];  // x, y, z, w = 1
    float normal[3];
    float uv0[2];
    float uv1[2];
    float jointSlots[4];  // mesh-local joint numbers, as floats
    float weights[4];
};
static_assert(sizeof(Vertex) == 76, "Vertex must be 76 bytes");
static_assert(offsetof(Vertex, normal) == 16, "normal at byte 16");
static_assert(offsetof(Vertex, uv0) == 28, "uv0 at byte 28");
static_assert(offsetof(Vertex, uv1) == 36, "uv1 at byte 36");
static_assert(offsetof(Vertex, jointSlots) == 44, "joint slots at byte 44");
static_assert(offsetof(Vertex, weights) == 60, "weights at byte 60");

struct Material {
    ~Material();  // releases unshared textures (refCount 0) and the animation

    int reserved0 = 0;
    CullMode cullMode = CullMode::BackFaces;
    DepthMode depthMode = DepthMode::TestAndWrite;
    BlendMode blendMode = BlendMode::Off;
    int reserved1 = 0;
    float alpha = 1.0f;
    ShaderProgram* shader = nullptr;
    int reserved2 = 0;
    int textureCount = 0;
    Texture** textures = nullptr;
    float colourA[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float colourB[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float reserved3 = 0.0f;
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float colourC[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    unsigned char flags[7] = {1, 1, 0, 0, 1, 0, 1};
    float textureOffset0[2] = {0.0f, 0.0f};
    float textureOffset1[2] = {0.0f, 0.0f};
    ANIMATION* animation = nullptr;  // owned; drives texture scrolling

    // Allocates count empty texture slots.
    void setTextureSlots(int count);
};

struct Joint {
    Joint();  // identity matrices

    std::string name;
    Matrix4 world;  // model space, rewritten by every pose update
    Matrix4 local;  // bind matrix from the file
    Matrix4 inverseBind;  // inverse of local
    float normalMatrix[9];  // upper-left 3x3 of inverseBind, column-major
    Joint* parent = nullptr;
    Joint* firstChild = nullptr;
    int reserved = 0;
    int index = -1;
    Joint* nextSibling = nullptr;
};

struct SkeletonRoot {
    Joint* joint = nullptr;
    SkeletonRoot* next = nullptr;
};

struct Skeleton {
    Skeleton();  // identity bind-shape matrix
    ~Skeleton();  // frees the root nodes, every joint and the joint array

    Matrix4 bindShapeMatrix;  // identity (the file never sets it)
    int jointCount = 0;
    SkeletonRoot* roots = nullptr;
    int rootCount = 0;
    Joint** joints = nullptr;  // indexed by joint index

    // jointCount empty joints with index 0..count-1, identity matrices.
    void createJoints(int count);
    void addRoot(Joint* joint);
};

// A coarser index list of a part, drawn in its place when the part is so
// small on screen that the difference stays under a fraction of a pixel.
struct MeshDetailLevel {
    int firstIndex = 0;  // into the part's detailIndexBuffer
    int indexCount = 0;
    float error = 0.0f;  // farthest the surface moves, in the mesh's own units
};
constexpr int kMaxDetailLevels = 4;

// A large part split into tiles with a box each, so that only the tiles in
// view are drawn. Runs cover the part's indices in their order, each run
// inside one tile; whoever rewrites the vertices keeps the boxes current.
struct TileRun {
    int firstIndex;
    int indexCount;
    int tile;
};
struct MeshTiles {
    std::vector<float> boxes;  // per tile: min x, y, z, max x, y, z (mesh space)
    std::vector<TileRun> runs;
};

struct MeshPart {
    MeshPart();  // identity local matrix
    ~MeshPart();  // material, index buffers, index array, joint arrays, tiles

    int* jointIndices = nullptr;  // mesh-local joint number -> skeleton joint index
    Joint** joints = nullptr;  // resolved; out of range -> nullptr
    int jointCount = 0;
    Matrix4 localMatrix;
    Material* material = nullptr;
    float boundsMin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float boundsMax[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int indexCount = 0;
    int indexBuffer = -1;  // GL name, -1 none
    uint16_t* indices = nullptr;
    int indexBytes = 0;
    MeshDetailLevel detailLevels[kMaxDetailLevels];  // finest first
    int detailLevelCount = 0;
    int detailIndexBuffer = -1;  // GL name, -1 none
    MeshTiles* tiles = nullptr;
};

struct Mesh {
    ~Mesh();  // part, bind-pose buffer and copy, vertex buffer and array

    bool skinned = false;
    float boundsMin[4] = {1e9f, 1e9f, 1e9f, 1.0f};
    float boundsMax[4] = {-1e9f, -1e9f, -1e9f, 1.0f};
    MeshPart* part = nullptr;
    int vertexCount = 0;
    int vertexBuffer = -1;  // GL name, -1 none
    Vertex* vertices = nullptr;
    int vertexBytes = 0;
    bool dynamicVertices = false;
    // Untouched copy of the vertices for skinning on the processor.
    int bindPoseCount = 0;
    int bindPoseBuffer = -1;
    Vertex* bindPoseVertices = nullptr;
    int bindPoseBytes = 0;
    bool dynamicBindPose = false;
    Mesh* next = nullptr;
};

class MODEL3D : public ACTOR, public DRAW_PROPERTIES {
public:
    explicit MODEL3D(Scene* owner = nullptr);
    ~MODEL3D() override;  // animation, skeleton, meshes, then children

    MODEL3D* createChild();
    Mesh* addMesh();
    MeshPart* addMeshPart(Mesh* mesh);
    // Uploads every mesh of this model and its descendants (vertices, then indices).
    void upload();
    // Part box from the vertices its indices use, widened into the mesh box.
    static void computeBounds(Mesh* mesh);
    // Per-frame step: material scrolling, animation, pose, processor skinning, children.
    void update();
    // Pose update and processor skinning (part of update, exposed for tests).
    void updatePose();
    void skinOnProcessor();

    bool cpuSkinning = true;
    MODEL3D* children = nullptr;  // linked through ACTOR::next
    int childCount = 0;
    Mesh* meshes = nullptr;
    Skeleton* skeleton = nullptr;
    KEYFRAME_ANIMATION* animation = nullptr;
    AnimationFrame* currentFrame = nullptr;
};
