#include "scene/sprite.h"

#include <cmath>

#include "image/texture.h"
#include "gpu/gl_buffers.h"
#include "gpu/shader_catalogue.h"
#include "scene/camera.h"
#include "scene/model.h"

static const float kPi = 3.1415927f;
static const int kQuadVertices = 4;
static const int kQuadBytes = kQuadVertices * int(sizeof(Vertex));

// ---- DRAWABLE_IMAGE_BASE ---------------------------------------------------

DRAWABLE_IMAGE_BASE::DRAWABLE_IMAGE_BASE() {
    quad = new Mesh;
    quad->vertexCount = kQuadVertices;
    quad->vertexBytes = kQuadBytes;
    quad->vertices = new Vertex[kQuadVertices]();
    quad->vertexBuffer = createVertexBuffer(kQuadBytes, quad->vertices);

    MeshPart* part = new MeshPart;
    quad->part = part;
    part->indexCount = 6;
    part->indexBytes = 6 * int(sizeof(uint16_t));
    part->indices = new uint16_t[6]{0, 1, 2, 0, 2, 3};
    part->indexBuffer = createIndexBuffer(part->indexBytes, nullptr);
    uploadIndexBuffer(uint32_t(part->indexBuffer), part->indexBytes, part->indices);

    Material* material = new Material;
    part->material = material;
    material->shader = shaderCatalogue().sprites3d;
    material->cullMode = CullMode::None;
    material->depthMode = DepthMode::TestOnly;
    material->reserved1 = 1;
    material->setTextureSlots(1);
    material->textures[0] = createTexture();

    setSize(1.0f, 1.0f);
}

void DRAWABLE_IMAGE_BASE::setSize(float newWidth, float newHeight) {
    width = newWidth;
    height = newHeight;
    const float halfWidth = width / 2.0f;
    const float halfHeight = height / 2.0f;
    const float corners[kQuadVertices][2] = {
        {-halfWidth, -halfHeight}, {-halfWidth, halfHeight}, {halfWidth, halfHeight}, {halfWidth, -halfHeight}};
    for (int i = 0; i < kQuadVertices; ++i) {
        Vertex& v = quad->vertices[i];
        v.position[0] = corners[i][0];
        v.position[1] = corners[i][1];
        v.position[2] = 0.0f;
        v.position[3] = 1.0f;
        // Fixed marker numbers 30..32, 40..42, 50..52, 60..62, not directions.
        for (int k = 0; k < 3; ++k) v.normal[k] = float(30 + 10 * i + k);
    }
    quadDirty = true;
    updateQuad();
}

void DRAWABLE_IMAGE_BASE::updateQuad() {
    quadDirty = false;
    Vertex* v = quad->vertices;
    const float uLeft = flipX ? 1.0f : 0.0f;  // vertices 0 and 1
    const float vBottom = flipY ? 0.0f : 1.0f;  // vertices 0 and 3
    v[0].uv0[0] = uLeft;
    v[1].uv0[0] = uLeft;
    v[2].uv0[0] = 1.0f - uLeft;
    v[3].uv0[0] = 1.0f - uLeft;
    v[0].uv0[1] = vBottom;
    v[3].uv0[1] = vBottom;
    v[1].uv0[1] = 1.0f - vBottom;
    v[2].uv0[1] = 1.0f - vBottom;
    uploadVertexBuffer(uint32_t(quad->vertexBuffer), quad->vertexCount * int(sizeof(Vertex)), quad->vertices);
}

Texture* DRAWABLE_IMAGE_BASE::spriteTexture() const {
    const Material* material = quad->part->material;
    return material->textures ? material->textures[0] : nullptr;
}

// ---- SPRITE_BASE -----------------------------------------------------------

void SPRITE_BASE::createBlankImage(int pixelOrder, int imageWidth, int imageHeight, int minFilter, int magFilter) {
    createBlank(spriteTexture(), pixelOrder, imageWidth, imageHeight, minFilter, magFilter);
}

void SPRITE_BASE::setImageFile(const char* path) {
    Texture*& slot = quad->part->material->textures[0];
    if (slot && slot->refCount == 0) {
        destroyTexture(slot);
        delete slot;
    }
    slot = loadTexture(path);
    const Image& image = *slot->image;
    // An image that did not decode keeps the sprite square instead of a
    // height of 0/0.
    const float aspect = image.width > 0 ? float(image.height) / float(image.width) : 1.0f;
    setSize(10.0f, 10.0f * aspect);
}

// ---- SPRITE3D --------------------------------------------------------------

SPRITE3D::SPRITE3D() { matrixIdentity(orientation); }

void SPRITE3D::appendItems(Scene* target) {
    CAMERA3D* camera = currentCamera();
    MatrixStack* stack = modelStack();
    if (!camera || !stack || !target) return;
    // On a full stack the push would be refused and the caller's own level
    // multiplied onto and popped: skip the sprite instead.
    if (stack->index + 1 >= stack->capacity) return;
    stack->push();

    Matrix4 local;
    switch (billboardMode) {
    case 0:
        localMatrix(*this, local);
        stack->multiplyTop(local);
        // Flips turn the quad over instead of changing its texture coordinates.
        if (flipY) {
            matrixRotation(orientation, kPi, 1.0f, 0.0f, 0.0f);
            stack->multiplyTop(orientation);
        }
        if (flipX) {
            matrixRotation(orientation, kPi, 0.0f, 1.0f, 0.0f);
            stack->multiplyTop(orientation);
        }
        break;
    case 1:
        matrixRotation(orientation, camera->rotation.x, 1.0f, 0.0f, 0.0f);
        localMatrix(*this, local);
        stack->multiplyTop(local);
        stack->multiplyTop(orientation);
        break;
    case 2: {
        const float dx = camera->position.x - position.x;
        const float dz = camera->position.z - position.z;
        const float angle = -float(std::atan2(dx, dz)) - camera->rotation.y;
        matrixRotation(orientation, angle, 0.0f, 1.0f, 0.0f);
        localMatrix(*this, local);
        stack->multiplyTop(local);
        stack->multiplyTop(orientation);
        break;
    }
    default: break;
    }

    Material* material = quad->part->material;
    material->reserved1 = 0;
    material->alpha = 0.5f;
    material->depthMode = DepthMode::TestAndWrite;

    RenderItem item;
    stack->readTop(item.world);
    item.shader = material->shader;
    item.mesh = quad;
    item.part = quad->part;
    item.cullMode = CullMode::None;  // camera-facing quads are seen from both sides
    item.depthMode = DepthMode::TestAndWrite;
    item.blendMode = BlendMode::Off;
    item.itemAlpha = alpha;
    item.position[0] = item.world.m[12];
    item.position[1] = item.world.m[13];
    item.position[2] = item.world.m[14];
    target->submit(item);

    stack->pop();
}
