// demo-tool model FILE
// Loads FILE as the engine does and prints one JSON object describing what
// was built: the meshes, the child models (recursively), the skeleton and
// the animation. Exit 1, with the reason on stderr, when the load fails.
// The shader catalogue is not built: loading needs no shaders.
#include <cmath>
#include <cstdio>
#include <string>

#include "image/texture.h"
#include "scene/model.h"
#include "scene/model_file.h"
#include "platform/offscreen_gl.h"

static std::string jsonString(const char* text) {
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += char(*p);
        } else if (*p < 0x20 || *p >= 0x7F) {
            // Names come from files: keep the output ASCII and valid.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
            out += escaped;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

// Floats from a file may be anything; JSON has no NaN or infinity.
static std::string jsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

static std::string jsonVector3(const float v[3]) {
    return "[" + jsonNumber(v[0]) + ", " + jsonNumber(v[1]) + ", " + jsonNumber(v[2]) + "]";
}

static std::string describeMesh(const Mesh* mesh) {
    const MeshPart* part = mesh->part;
    const Material* material = part ? part->material : nullptr;
    std::string texture = "null";
    if (material && material->textureCount > 0 && material->textures[0])
        texture = jsonString(material->textures[0]->path.c_str());
    char counts[96];
    std::snprintf(counts, sizeof counts, "\"vertexCount\": %d, \"indexCount\": %d", mesh->vertexCount,
                  part ? part->indexCount : 0);
    return std::string("{\"skinned\": ") + (mesh->skinned ? "true" : "false") + ", " + counts +
           ", \"texture\": " + texture + ", \"boundsMin\": " + jsonVector3(mesh->boundsMin) +
           ", \"boundsMax\": " + jsonVector3(mesh->boundsMax) + "}";
}

static std::string describeSkeleton(const Skeleton* skeleton) {
    if (!skeleton) return "null";
    std::string names;
    for (int i = 0; i < skeleton->jointCount; ++i) {
        if (i > 0) names += ", ";
        names += jsonString(skeleton->joints[i]->name.c_str());
    }
    char counts[64];
    std::snprintf(counts, sizeof counts, "\"jointCount\": %d, \"rootCount\": %d", skeleton->jointCount,
                  skeleton->rootCount);
    return std::string("{") + counts + ", \"names\": [" + names + "]}";
}

static std::string describeModel(const MODEL3D* model) {
    std::string meshes;
    for (const Mesh* mesh = model->meshes; mesh; mesh = mesh->next) {
        if (!meshes.empty()) meshes += ", ";
        meshes += describeMesh(mesh);
    }
    std::string children;
    for (const ACTOR* child = model->children; child; child = child->next) {
        if (!children.empty()) children += ", ";
        children += describeModel(static_cast<const MODEL3D*>(child));
    }
    std::string animation = "null";
    if (model->animation) animation = "{\"frameCount\": " + std::to_string(model->animation->frameCount) + "}";
    return "{\"meshes\": [" + meshes + "], \"children\": [" + children +
           "], \"skeleton\": " + describeSkeleton(model->skeleton) + ", \"animation\": " + animation + "}";
}

int modelCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: demo-tool model FILE\n", stderr);
        return 1;
    }
    std::string error;
    if (!createOffscreenContext(64, 64, &error)) {
        std::fprintf(stderr, "demo-tool model: %s\n", error.c_str());
        return 1;
    }
    int status = 0;
    {
        MODEL3D model;
        if (loadModel(&model, argv[0], &error)) {
            std::printf("%s\n", describeModel(&model).c_str());
        } else {
            std::fprintf(stderr, "demo-tool model: %s: %s\n", argv[0], error.c_str());
            status = 1;
        }
    }  // the model releases its buffers while the context lives
    destroyOffscreenContext();
    return status;
}
