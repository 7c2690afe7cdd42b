// demo-tool thumbnail MODEL --out FILE.png [--size WxH]
// Renders MODEL in its bind pose with the engine's renderer on an offscreen
// context: the camera looks at the centre of the model's bounds from the
// front, right and above, far enough to see the whole box, and one white
// directional light shines from behind the camera. Writes the frame as an
// RGBA PNG. Run from the folder that holds shaders/ (the repository root).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/png_writer.h"
#include "gpu/frame_readback.h"
#include "gpu/gl_state_cache.h"
#include "render/render_frame.h"
#include "render/renderer.h"
#include "scene/actor.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"
#include "scene/model_file.h"
#include "platform/offscreen_gl.h"
#include "tools/demo_tool/options.h"

struct Box {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};
};

// Widens box by the corners of every mesh box of the tree, each placed by its
// mesh's local matrix (loaded child models sit at their parent's origin).
static void addModelBounds(const MODEL3D* model, Box& box) {
    for (const Mesh* mesh = model->meshes; mesh; mesh = mesh->next) {
        if (!mesh->part || mesh->boundsMin[0] > mesh->boundsMax[0]) continue;  // no vertices
        for (int corner = 0; corner < 8; ++corner) {
            float p[4] = {(corner & 1) ? mesh->boundsMax[0] : mesh->boundsMin[0],
                          (corner & 2) ? mesh->boundsMax[1] : mesh->boundsMin[1],
                          (corner & 4) ? mesh->boundsMax[2] : mesh->boundsMin[2], 1.0f};
            float q[4];
            matrixTransformPoint(mesh->part->localMatrix, p, q);
            for (int axis = 0; axis < 3; ++axis) {
                if (!std::isfinite(q[axis])) continue;
                if (q[axis] < box.min[axis]) box.min[axis] = q[axis];
                if (q[axis] > box.max[axis]) box.max[axis] = q[axis];
            }
        }
    }
    for (const ACTOR* child = model->children; child; child = child->next)
        addModelBounds(static_cast<const MODEL3D*>(child), box);
}

static int fail(const std::string& message) {
    std::fprintf(stderr, "demo-tool thumbnail: %s\n", message.c_str());
    return 1;
}

int thumbnailCommand(int argc, char** argv) {
    const char* modelPath = nullptr;
    const char* outPath = nullptr;
    int width = 256, height = 256;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            outPath = argv[++i];
        } else if (std::strcmp(argv[i], "--size") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!readSizeOption("thumbnail", "--size", value, width, height)) return kBadOptionExit;
        } else if (!modelPath && argv[i][0] != '-') {
            modelPath = argv[i];
        } else {
            std::fputs("usage: demo-tool thumbnail MODEL --out FILE.png [--size WxH]\n", stderr);
            return 1;
        }
    }
    if (!modelPath || !outPath) {
        std::fputs("usage: demo-tool thumbnail MODEL --out FILE.png [--size WxH]\n", stderr);
        return 1;
    }
    // The renderer's start-up ends the process when a shader does not build:
    // say why before that can happen.
    if (FILE* probe = std::fopen("shaders/static_meshes_vs.glsl", "rb")) {
        std::fclose(probe);
    } else {
        return fail("shaders/ not found: run from the repository root");
    }

    std::string error;
    if (!createOffscreenContext(width, height, &error)) return fail(error);
    renderInit(ScreenSize{});  // the camera below gets its own viewport

    int status = 0;
    {
        Scene scene;
        MODEL3D* model = scene.createModel();
        if (!loadModel(model, modelPath, &error)) {
            status = fail(std::string(modelPath) + ": " + error);
        } else {
            Box box;
            addModelBounds(model, box);
            if (box.min[0] > box.max[0]) box = Box{{-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}};
            Vector3 centre{(box.min[0] + box.max[0]) * 0.5f, (box.min[1] + box.max[1]) * 0.5f,
                           (box.min[2] + box.max[2]) * 0.5f};
            Vector3 half{(box.max[0] - box.min[0]) * 0.5f, (box.max[1] - box.min[1]) * 0.5f,
                         (box.max[2] - box.min[2]) * 0.5f};
            float radius = vectorLength(half);
            if (!(radius > 1e-3f)) radius = 1e-3f;

            // A sphere of that radius fits the narrower field of view.
            const double fovY = 40.0;
            const double aspect = (double)width / height;
            double halfFov = fovY * 0.5 * 3.14159265358979323846 / 180.0;
            if (aspect < 1.0) halfFov = std::atan(std::tan(halfFov) * aspect);
            const float distance = (float)(radius / std::sin(halfFov)) * 1.05f;
            const Vector3 direction = vectorNormalise(Vector3{0.6f, 0.45f, 1.0f});

            CAMERA3D* camera = scene.createCamera();
            camera->ownViewport = Viewport{0, 0, width, height};
            camera->viewport = &camera->ownViewport;
            const double nearZ = std::max((double)distance - radius * 1.5, distance * 0.01);
            camera->setPerspective(fovY, aspect, nearZ, (double)distance + radius * 1.5);
            camera->position = vectorAdd(centre, vectorScale(direction, distance));
            camera->lookAt(centre.x, centre.y, centre.z);

            LIGHT* light = scene.createLight();
            light->type = LIGHT_TYPE_DIRECTIONAL;
            light->colour[0] = light->colour[1] = light->colour[2] = light->colour[3] = 1.0f;
            light->position = vectorAdd(centre, vectorScale(Vector3{0.3f, 1.0f, 0.8f}, radius));
            light->target = centre;
            scene.ambient[0] = scene.ambient[1] = scene.ambient[2] = 0.35f;

            bindFramebuffer(0);
            clearFrame(0.25f, 0.28f, 0.32f);
            renderFrame();
            finishFrame();

            std::vector<unsigned char> pixels;
            readFrame(width, height, pixels);
            if (!writePng(outPath, width, height, pixels.data(), true, &error))
                status = fail(std::string(outPath) + ": " + error);
        }
    }  // the scene releases the model's buffers while the context lives
    destroyOffscreenContext();
    return status;
}
