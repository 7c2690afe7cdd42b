#include "scene/model.h"

#include <cmath>

#include "image/texture.h"
#include "gpu/gl_buffers.h"

// ---- records -------------------------------------------------------------

Joint::Joint() {
    matrixIdentity(world);
    matrixIdentity(local);
    matrixIdentity(inverseBind);
    for (int i = 0; i < 9; ++i) normalMatrix[i] = (i % 4 == 0) ? 1.0f : 0.0f;
}

// Deletes the textures the material made itself; shared ones (refCount > 0)
// belong to the texture list and live on.
static void releaseTextures(Material& material) {
    for (int i = 0; i < material.textureCount; ++i) {
        Texture* texture = material.textures[i];
        if (texture && texture->refCount == 0) {
            destroyTexture(texture);
            delete texture;
        }
    }
    delete[] material.textures;
    material.textures = nullptr;
    material.textureCount = 0;
}

Material::~Material() {
    releaseTextures(*this);
    delete animation;
}

void Material::setTextureSlots(int count) {
    releaseTextures(*this);
    if (count <= 0) return;
    textures = new Texture*[count]();
    textureCount = count;
}

Skeleton::Skeleton() { matrixIdentity(bindShapeMatrix); }

static void deleteJoints(Skeleton& skeleton) {
    for (int i = 0; i < skeleton.jointCount; ++i) delete skeleton.joints[i];
    delete[] skeleton.joints;
    skeleton.joints = nullptr;
    skeleton.jointCount = 0;
}

Skeleton::~Skeleton() {
    while (roots) {
        SkeletonRoot* next = roots->next;
        delete roots;
        roots = next;
    }
    deleteJoints(*this);
}

void Skeleton::createJoints(int count) {
    deleteJoints(*this);
    if (count <= 0) return;
    joints = new Joint*[count];
    for (int i = 0; i < count; ++i) {
        joints[i] = new Joint;
        joints[i]->index = i;
    }
    jointCount = count;
}

void Skeleton::addRoot(Joint* joint) {
    SkeletonRoot* node = new SkeletonRoot;
    node->joint = joint;
    SkeletonRoot** tail = &roots;
    while (*tail) tail = &(*tail)->next;
    *tail = node;
    ++rootCount;
}

MeshPart::MeshPart() { matrixIdentity(localMatrix); }

// Deletes a GL buffer once and marks it gone.
static void releaseBuffer(int& buffer) {
    if (buffer > 0) deleteBuffer(static_cast<uint32_t>(buffer));
    buffer = -1;
}

MeshPart::~MeshPart() {
    delete material;
    releaseBuffer(indexBuffer);
    releaseBuffer(detailIndexBuffer);
    delete[] indices;
    delete tiles;
    delete[] jointIndices;
    delete[] joints;
}

Mesh::~Mesh() {
    delete part;
    releaseBuffer(bindPoseBuffer);
    delete[] bindPoseVertices;
    releaseBuffer(vertexBuffer);
    delete[] vertices;
}

// ---- MODEL3D -------------------------------------------------------------

MODEL3D::MODEL3D(Scene* owner) { scene = owner; }

MODEL3D::~MODEL3D() {
    delete animation;
    delete skeleton;
    while (meshes) {
        Mesh* following = meshes->next;
        delete meshes;
        meshes = following;
    }
    ACTOR* child = children;
    while (child) {
        ACTOR* following = child->next;
        delete child;
        child = following;
    }
}

MODEL3D* MODEL3D::createChild() {
    MODEL3D* child = new MODEL3D(scene);
    if (!children) {
        children = child;
    } else {
        ACTOR* last = children;
        while (last->next) last = last->next;
        last->next = child;
    }
    ++childCount;
    return child;
}

Mesh* MODEL3D::addMesh() {
    Mesh* mesh = new Mesh;
    Mesh** tail = &meshes;
    while (*tail) tail = &(*tail)->next;
    *tail = mesh;
    return mesh;
}

MeshPart* MODEL3D::addMeshPart(Mesh* mesh) {
    delete mesh->part;
    mesh->part = new MeshPart;
    return mesh->part;
}

static void uploadVertices(const Mesh* mesh) {
    if (mesh->vertexBuffer <= 0 || !mesh->vertices || mesh->vertexBytes <= 0) return;
    uploadVertexBuffer(static_cast<uint32_t>(mesh->vertexBuffer), mesh->vertexBytes, mesh->vertices);
}

void MODEL3D::upload() {
    for (Mesh* mesh = meshes; mesh; mesh = mesh->next) {
        uploadVertices(mesh);
        const MeshPart* part = mesh->part;
        if (part && part->indexBuffer > 0 && part->indices && part->indexBytes > 0) {
            uploadIndexBuffer(static_cast<uint32_t>(part->indexBuffer), part->indexBytes, part->indices);
        }
    }
    for (ACTOR* child = children; child; child = child->next) static_cast<MODEL3D*>(child)->upload();
}

void MODEL3D::computeBounds(Mesh* mesh) {
    for (int axis = 0; axis < 3; ++axis) {
        mesh->boundsMin[axis] = 1e9f;
        mesh->boundsMax[axis] = -1e9f;
    }
    MeshPart* part = mesh->part;
    if (!part || !part->indices || !mesh->vertices) return;

    // Indices come from files: ones that name no vertex are ignored.
    bool first = true;
    for (int i = 0; i < part->indexCount; ++i) {
        const int index = part->indices[i];
        if (index >= mesh->vertexCount) continue;
        const float* p = mesh->vertices[index].position;
        for (int axis = 0; axis < 3; ++axis) {
            if (first) {
                part->boundsMin[axis] = part->boundsMax[axis] = p[axis];
            } else if (p[axis] < part->boundsMin[axis]) {
                part->boundsMin[axis] = p[axis];
            } else if (p[axis] > part->boundsMax[axis]) {
                part->boundsMax[axis] = p[axis];
            }
        }
        first = false;
    }
    if (first) return;
    for (int axis = 0; axis < 3; ++axis) {
        if (part->boundsMin[axis] < mesh->boundsMin[axis]) mesh->boundsMin[axis] = part->boundsMin[axis];
        if (part->boundsMax[axis] > mesh->boundsMax[axis]) mesh->boundsMax[axis] = part->boundsMax[axis];
    }
}

void MODEL3D::update() {
    for (Mesh* mesh = meshes; mesh; mesh = mesh->next) {
        Material* material = mesh->part ? mesh->part->material : nullptr;
        if (material && material->animation) {
            material->animation->advance();
            material->textureOffset0[0] += 0.001f;
            material->textureOffset0[1] += 0.001f;
        }
    }
    if (animation) animation->advance();
    if (skeleton) {
        updatePose();
        if (cpuSkinning) {
            skinOnProcessor();
            for (Mesh* mesh = meshes; mesh; mesh = mesh->next)
                if (mesh->skinned && mesh->bindPoseVertices) uploadVertices(mesh);
        }
    }
    for (ACTOR* child = children; child; child = child->next) static_cast<MODEL3D*>(child)->update();
}

// world = parent world * (frame matrix or bind matrix), children depth first.
// A chain deeper than the stack keeps the rest of its joints as they were.
static void poseJoint(Joint* joint, const AnimationFrame* frame) {
    MatrixStack* stack = modelStack();
    if (!stack->push()) return;
    const bool fromFrame = frame && joint->index >= 0 && joint->index < frame->jointCount;
    stack->multiplyTop(fromFrame ? frame->matrices[joint->index] : joint->local);
    stack->readTop(joint->world);
    for (Joint* child = joint->firstChild; child; child = child->nextSibling) poseJoint(child, frame);
    stack->pop();
}

void MODEL3D::updatePose() {
    if (!skeleton) return;
    currentFrame = nullptr;
    if (animation && animation->frames) {
        const int index = animation->frameIndex();
        if (index >= 0 && index < animation->frameCount) currentFrame = &animation->frames[index];
    }
    MatrixStack* stack = modelStack();
    if (!stack || !stack->push()) return;
    stack->loadIdentity();
    for (SkeletonRoot* root = skeleton->roots; root; root = root->next)
        for (Joint* joint = root->joint; joint; joint = joint->nextSibling) poseJoint(joint, currentFrame);
    stack->pop();
}

// The joint a vertex weight refers to, or null when the slot or the joint
// index it maps to does not exist.
static const Joint* weightJoint(const Skeleton* skeleton, const MeshPart* part, float slotValue) {
    if (!part->jointIndices || !(slotValue > -1.0f && slotValue < static_cast<float>(part->jointCount))) return nullptr;
    const int jointIndex = part->jointIndices[static_cast<int>(slotValue)];
    if (jointIndex < 0 || jointIndex >= skeleton->jointCount || !skeleton->joints) return nullptr;
    return skeleton->joints[jointIndex];
}

void MODEL3D::skinOnProcessor() {
    if (!skeleton) return;
    for (Mesh* mesh = meshes; mesh; mesh = mesh->next) {
        const MeshPart* part = mesh->part;
        if (!mesh->skinned || !part || !mesh->bindPoseVertices || !mesh->vertices) continue;
        const int count = mesh->vertexCount < mesh->bindPoseCount ? mesh->vertexCount : mesh->bindPoseCount;
        for (int i = 0; i < count; ++i) {
            const Vertex& in = mesh->bindPoseVertices[i];
            Vertex& out = mesh->vertices[i];
            out = in;
            const float bindPosition[4] = {in.position[0], in.position[1], in.position[2], 1.0f};
            const Vector3 bindNormal{in.normal[0], in.normal[1], in.normal[2]};
            float p[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            Vector3 n{0.0f, 0.0f, 0.0f};
            for (int k = 0; k < 4; ++k) {
                const float w = in.weights[k];
                if (!(w > 0.0f)) continue;
                const Joint* joint = weightJoint(skeleton, part, in.jointSlots[k]);
                if (!joint) continue;
                float local[4], posed[4];
                matrixTransformPoint(joint->inverseBind, bindPosition, local);
                matrixTransformPoint(joint->world, local, posed);
                for (int c = 0; c < 4; ++c) p[c] += w * posed[c];
                const float* m = joint->world.m;
                const float world3x3[9] = {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]};
                const Vector3 normal =
                    vectorTransform3x3(world3x3, vectorTransform3x3(joint->normalMatrix, bindNormal));
                n = vectorAdd(n, vectorScale(normal, w));
            }
            out.position[0] = p[0];
            out.position[1] = p[1];
            out.position[2] = p[2];
            out.position[3] = 1.0f;
            const Vector3 unit = vectorNormalise(n);
            out.normal[0] = unit.x;
            out.normal[1] = unit.y;
            out.normal[2] = unit.z;
        }
    }
}
