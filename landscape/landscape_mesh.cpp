// The terrain and water meshes: one 255 x 255 vertex grid per model, with
// two triangles per cell. The indices never change and are written once; the
// vertices are rebuilt from the heightfield and uploaded every frame.

#include "landscape/landscape_mesh.h"

#include <GL/glew.h>

#include <cmath>

#include "image/texture.h"
#include "landscape/heightfield.h"
#include "render/gl_state_cache.h"
#include "render/shader_catalogue.h"
#include "scene/model.h"

constexpr int kCells = kGridSize - 1;
constexpr int kIndexCount = kCells * kCells * 6;
constexpr float kGridStep = 0.003937008f;  // 1/254 in single precision

static int createBuffer(unsigned target, int bytes) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    if (target == GL_ARRAY_BUFFER)
        bindArrayBuffer(name);
    else
        bindElementBuffer(name);
    glBufferData(target, bytes, nullptr, GL_STATIC_DRAW);
    return (int)name;
}

// Cell (r, c) with a = r * 255 + c: triangles (a+255, a+1, a) and (a+255, a+256, a+1).
static void writeGridIndices(uint16_t* out) {
    for (int r = 0; r < kCells; ++r) {
        for (int c = 0; c < kCells; ++c) {
            const int a = r * kGridSize + c;
            out[0] = (uint16_t)(a + 255);
            out[1] = (uint16_t)(a + 1);
            out[2] = (uint16_t)a;
            out[3] = (uint16_t)(a + 255);
            out[4] = (uint16_t)(a + 256);
            out[5] = (uint16_t)(a + 1);
            out += 6;
        }
    }
}

bool createLandscapeMesh(MODEL3D* model, Heightfield& heightfield, float amplitude) {
    Mesh* mesh = model->addMesh();
    MeshPart* part = model->addMeshPart(mesh);
    matrixIdentity(part->localMatrix);

    heightfield.generate(amplitude, false);

    part->indexCount = kIndexCount;
    part->indexBytes = kIndexCount * 2;
    part->indices = new uint16_t[kIndexCount];
    writeGridIndices(part->indices);
    part->indexBuffer = createBuffer(GL_ELEMENT_ARRAY_BUFFER, part->indexBytes);

    // Zeroed: border normals, uv1, joint slots and weights stay zero for good.
    mesh->vertexCount = kGridPoints;
    mesh->vertexBytes = kGridPoints * (int)sizeof(Vertex);
    mesh->vertices = new Vertex[kGridPoints]();
    mesh->vertexBuffer = createBuffer(GL_ARRAY_BUFFER, mesh->vertexBytes);

    Material* material = new Material();
    material->setTextureSlots(1);
    Texture* texture = createTexture();
    texture->path = "data/terrain_surface4.png";
    loadImage(*texture->image, texture->path.c_str());
    createGlTexture(texture, 1, 1);
    texture->needsUpload = false;
    material->textures[0] = texture;
    material->shader = shaderCatalogue().staticMeshes;
    part->material = material;

    updateLandscapeMesh(heightfield, model);
    model->upload();
    for (Mesh* m = model->meshes; m; m = m->next) MODEL3D::computeBounds(m);
    return true;
}

void updateLandscapeMesh(Heightfield& h, MODEL3D* model) {
    Mesh* mesh = model->meshes;
    if (!mesh || !mesh->vertices || mesh->vertexCount != kGridPoints) return;
    Vertex* vertices = mesh->vertices;
    const float extentX = h.extentX;
    const float extentZ = h.extentZ;
    const float heightScale = h.heightScale;

    for (int r = 0; r < kGridSize; ++r) {
        const float z = ((float)r * kGridStep - 0.5f) * extentZ;
        const float v = (extentZ * 0.5f + z) / extentZ * 8.0f;
        const float* heights = h.heights + r * kGridSize;
        Vertex* row = vertices + r * kGridSize;
        for (int c = 0; c < kGridSize; ++c) {
            const float x = ((float)c * kGridStep - 0.5f) * extentX;
            Vertex& out = row[c];
            out.position[0] = x;
            out.position[1] = heights[c] * heightScale;
            out.position[2] = z;
            out.position[3] = 1.0f;
            out.uv0[0] = (extentX * 0.5f + x) / extentX * 8.0f;
            out.uv0[1] = v;
        }
    }

    // Interior normals from the forward neighbours: cross(D - C, R - C) with
    // R the next column and D the next row; the border keeps (0, 0, 0).
    for (int r = 1; r < kCells; ++r) {
        for (int c = 1; c < kCells; ++c) {
            const int i = r * kGridSize + c;
            const float* p = vertices[i].position;
            const float* right = vertices[i + 1].position;
            const float* down = vertices[i + kGridSize].position;
            const float ax = down[0] - p[0], ay = down[1] - p[1], az = down[2] - p[2];
            const float bx = right[0] - p[0], by = right[1] - p[1], bz = right[2] - p[2];
            float nx = ay * bz - az * by;
            float ny = az * bx - ax * bz;
            float nz = ax * by - ay * bx;
            const float length = sqrtf(nx * nx + ny * ny + nz * nz);
            if (length == 0.0f) {
                nx = ny = nz = 0.0f;
            } else {
                const float inverse = 1.0f / length;
                nx *= inverse;
                ny *= inverse;
                nz *= inverse;
            }
            float* n = vertices[i].normal;
            n[0] = nx;
            n[1] = ny;
            n[2] = nz;
            float* stored = h.normals + 3 * i;
            stored[0] = nx;
            stored[1] = ny;
            stored[2] = nz;
        }
    }

    bindArrayBuffer((uint32_t)mesh->vertexBuffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, mesh->vertexBytes, vertices);
}
