#include "render/mesh_draw.h"

#include <GL/glew.h>

#include <cstdint>
#include <string>

#include "image/texture.h"
#include "gpu/gl_buffers.h"
#include "gpu/gl_state_cache.h"
#include "scene/render_queue.h"
#include "gpu/shader_catalogue.h"
#include "gpu/shader_source.h"
#include "render/uniform_upload.h"

constexpr int kMaxTexturesPerMaterial = 2;
constexpr GLsizei kVertexStride = sizeof(Vertex);

static const void* byteOffset(uintptr_t offset) { return reinterpret_cast<const void*>(offset); }

// Positions, normals and first texture coordinates of the bound vertex buffer:
// the fixed-function arrays, or on WebGL the generic attributes that the
// shader header declares in their place.
static void setVertexArrays() {
#ifdef __EMSCRIPTEN__
    glVertexAttribPointer(kPositionAttribute, 4, GL_FLOAT, GL_FALSE, kVertexStride,
                          byteOffset(offsetof(Vertex, position)));
    glVertexAttribPointer(kNormalAttribute, 3, GL_FLOAT, GL_FALSE, kVertexStride, byteOffset(offsetof(Vertex, normal)));
    glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, kVertexStride, byteOffset(offsetof(Vertex, uv0)));
#else
    glVertexPointer(4, GL_FLOAT, kVertexStride, byteOffset(offsetof(Vertex, position)));
    glNormalPointer(GL_FLOAT, kVertexStride, byteOffset(offsetof(Vertex, normal)));
    glTexCoordPointer(2, GL_FLOAT, kVertexStride, byteOffset(offsetof(Vertex, uv0)));
#endif
}

#ifdef __EMSCRIPTEN__
// Whether the context lists the extension (its whole name, not a prefix).
static bool contextHasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return list && (" " + std::string(list) + " ").find(" " + std::string(name) + " ") != std::string::npos;
}
#endif

// Several index ranges in one call. WebGL 2 has it only through the
// WEBGL_multi_draw extension (which emscripten enables with the context);
// without it, one draw per range.
static void drawIndexRuns(const IndexRuns& runs) {
    static_assert(sizeof(GLsizei) == sizeof(int), "run counts are handed to GL as they are");
#ifdef __EMSCRIPTEN__
    static const bool multiDraw = contextHasExtension("WEBGL_multi_draw");
    if (!multiDraw) {
        for (int i = 0; i < runs.count; ++i)
            glDrawElements(GL_TRIANGLES, runs.counts[i], GL_UNSIGNED_SHORT, runs.offsets[i]);
        return;
    }
#endif
    glMultiDrawElements(GL_TRIANGLES, runs.counts, GL_UNSIGNED_SHORT, runs.offsets, runs.count);
}

static void setJointAttribute(int32_t location, uintptr_t offset) {
    if (location == -1) return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), 4, GL_FLOAT, GL_FALSE, kVertexStride, byteOffset(offset));
}

static void applyDepthMode(DepthMode mode) {
    setDepthTest(mode == DepthMode::TestOnly || mode == DepthMode::TestAndWrite);
    setDepthWrite(mode == DepthMode::WriteOnly || mode == DepthMode::TestAndWrite);
}

// The slots of a material the shaders can read.
static int textureSlots(const Material* material) {
    if (!material->textures) return 0;
    return material->textureCount < kMaxTexturesPerMaterial ? material->textureCount : kMaxTexturesPerMaterial;
}

static int filledTextureSlots(const Material* material) {
    int filled = 0;
    for (int i = 0; i < textureSlots(material); ++i)
        if (material->textures[i]) ++filled;
    return filled;
}

// True when every fragment of the material comes out with alpha exactly 1:
// its opacity (material alpha x item alpha, as the shader gets it) is at most
// 0 (texture alpha as it is) or at least 1 (texture alpha times exactly 1),
// and every texture it binds is opaque. Blending such a fragment over the
// frame writes the fragment as it is.
static bool opaqueFragments(const Material* material, float itemAlpha) {
    const float transparency = material->alpha * itemAlpha;
    if (!(transparency <= 0.0f || transparency >= 1.0f)) return false;
    for (int i = 0; i < textureSlots(material); ++i)
        if (material->textures[i] && !material->textures[i]->opaque) return false;
    return true;
}

// Program, depth, textures and uniforms of a material; blend and culling only
// when asked, since drawItem sets both itself right before drawing and
// toggling them for nothing costs the driver a state change per item.
static void applyMaterialState(const Material* material, ShaderProgram* program, float itemAlpha,
                               bool blendAndCulling) {
    if (!material || !program) return;
    makeCurrent(program);  // does nothing when program is already current

    if (blendAndCulling) {
        switch (material->blendMode) {
        case BlendMode::Off: setBlendEnabled(false); break;
        case BlendMode::Additive: setBlendAdditive(); break;
        case BlendMode::Alpha: setBlendAlpha(); break;
        }
        setCulling(material->cullMode == CullMode::BackFaces);
    }
    applyDepthMode(material->depthMode);

    // The filled slots go to units 0, 1, ... in order and only they are
    // counted: an empty slot would leave the previous draw's texture on its
    // unit for the shader to multiply in. Unit 0 is active again afterwards
    // because every other texture bind in the engine happens there.
    const int slots = textureSlots(material);
    int textureCount = 0;
    for (int i = 0; i < slots; ++i) {
        if (!material->textures[i]) continue;
        glActiveTexture(GL_TEXTURE0 + textureCount);
        bindTexture(material->textures[i], textureCount);
        ++textureCount;
    }
    if (textureCount > 0) glActiveTexture(GL_TEXTURE0);

    glUniform1i(program->numTexturesLocation, textureCount);
    uploadMaterial(material, itemAlpha);
}

void applyMaterial(const Material* material, ShaderProgram* program, float itemAlpha) {
    applyMaterialState(material, program, itemAlpha, true);
}

void drawItem(const RenderItem& item, int level, const IndexRuns* runs) {
    const Mesh* mesh = item.mesh;
    const MeshPart* part = item.part;
    if (!mesh || !part || !part->material || mesh->vertexBuffer <= 0 || part->indexBuffer <= 0) return;

    // Meshes skinned by the shader use the item's program (skinnedMeshes);
    // everything else draws with its material's program.
    const bool shaderSkinned = mesh->skinned && !item.cpuSkinning;
    ShaderProgram* program = meshProgram(shaderSkinned ? item.shader : part->material->shader, part->material,
                                         filledTextureSlots(part->material));
    if (!program) return;

    const bool coarser = level > 0 && level <= part->detailLevelCount && part->detailIndexBuffer > 0;
    bindArrayBuffer(static_cast<uint32_t>(mesh->vertexBuffer));
    bindElementBuffer(static_cast<uint32_t>(coarser ? part->detailIndexBuffer : part->indexBuffer));
    applyMaterialState(part->material, program, item.itemAlpha, false);
    uploadTransforms(program);

    setVertexArrays();
    if (mesh->skinned) {
        setJointAttribute(program->jointIndicesAttribute, offsetof(Vertex, jointSlots));
        setJointAttribute(program->jointWeightsAttribute, offsetof(Vertex, weights));
        if (shaderSkinned && item.skeleton) {
            // The map first: its name then keeps a place in the program's
            // bounded uniform cache ahead of the 128 joint matrix names.
            uploadMeshJoints(part, item.skeleton);
            uploadSkeleton(item.skeleton);
        }
    }

    // Whatever the material asked for, meshes draw with the item's culling and
    // alpha blending; fragments that blending would write unchanged skip it,
    // which spares a software rasteriser reading and mixing every pixel.
    setCulling(item.cullMode == CullMode::BackFaces);
    if (opaqueFragments(part->material, item.itemAlpha))
        setBlendEnabled(false);
    else
        setBlendAlpha();
    if (coarser) {
        const MeshDetailLevel& detail = part->detailLevels[level - 1];
        glDrawElements(GL_TRIANGLES, detail.indexCount, GL_UNSIGNED_SHORT,
                       byteOffset((uintptr_t)detail.firstIndex * sizeof(uint16_t)));
    } else if (runs) {
        drawIndexRuns(*runs);
    } else {
        glDrawElements(GL_TRIANGLES, part->indexCount, GL_UNSIGNED_SHORT, byteOffset(0));
    }
}

// ---- lines ---------------------------------------------------------------

static LineRecord* g_lineRecord = nullptr;

LineRecord* lineRecord() { return g_lineRecord; }

LineRecord* createLineRecord() {
    if (g_lineRecord) return g_lineRecord;
    LineRecord* line = new LineRecord;
    for (Vertex& vertex : line->vertices) vertex.position[3] = 1.0f;
    static const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};

    GLuint buffers[2];
    glGenBuffers(2, buffers);
    line->vertexBuffer = static_cast<int>(buffers[0]);
    line->indexBuffer = static_cast<int>(buffers[1]);
    bindArrayBuffer(buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof(line->vertices), line->vertices, GL_DYNAMIC_DRAW);
    bindElementBuffer(buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(indices), indices, GL_STATIC_DRAW);
    g_lineRecord = line;
    return line;
}

void drawLine(const float from[3], const float to[3], float width) {
    LineRecord* line = g_lineRecord;
    ShaderProgram* program = shaderCatalogue().primitives3d;
    if (!line || !program) return;

    Vertex& start = line->vertices[0];
    Vertex& end = line->vertices[1];
    for (int i = 0; i < 3; ++i) {
        start.position[i] = from[i];
        end.position[i] = to[i];
    }
    start.position[3] = end.position[3] = 1.0f;
    start.uv0[0] = 0.0f;
    start.uv0[1] = 0.0f;
    end.uv0[0] = 0.0f;
    end.uv0[1] = 1.0f;
    bindArrayBuffer(static_cast<uint32_t>(line->vertexBuffer));
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(line->vertices), line->vertices);

    setCulling(false);
    if (!line->keepDepthTest) setDepthTest(false);
    setBlendAlpha();

    makeCurrent(program);
    uploadTransforms(program);
    if (program->emissionLocation != -1) glUniform3fv(program->emissionLocation, 1, line->colour);
    if (program->transparencyLocation != -1) glUniform1f(program->transparencyLocation, line->alpha);

    bindElementBuffer(static_cast<uint32_t>(line->indexBuffer));
    setVertexArrays();
    setLineWidth(width);
    glDrawElements(GL_LINES, 2, GL_UNSIGNED_SHORT, byteOffset(0));
}

// ---- sprites -------------------------------------------------------------

void drawSpriteQuad(const Mesh* quad, Texture* texture, float alpha) {
    uploadVertexBuffer(static_cast<uint32_t>(quad->vertexBuffer), quad->vertexCount * int(sizeof(Vertex)),
                       quad->vertices);
    bindTexture(texture, 0);

    const ShaderProgram* program = shaderCatalogue().current;
    if (program && program->transparencyLocation != -1) glUniform1f(program->transparencyLocation, alpha);

    bindElementBuffer(static_cast<uint32_t>(quad->part->indexBuffer));
    setVertexArrays();
    glDrawElements(GL_TRIANGLES, quad->part->indexCount, GL_UNSIGNED_SHORT, byteOffset(0));
}
