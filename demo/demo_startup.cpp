#include <cstdio>

#include "app/engine.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "demo/scatter.h"
#include "image/font.h"
#include "scene/sprite.h"
#include "image/texture.h"
#include "landscape/landscape_mesh.h"
#include "platform/sound.h"
#include "render/mesh_draw.h"
#include "render/renderer.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"
#include "scene/model_file.h"

static const char* const kTreeFiles[kTreeTemplateCount] = {
    "data/Ultimate Models/DeadTree.bin", "data/Ultimate Models/Pine.bin", "data/Ultimate Models/SnowPine.bin",
    "data/Ultimate Models/SnowTree.bin", "data/Ultimate Models/Tree.bin",
};
static const char* const kPlantFile = "data/Ultimate Models/PlantsA.bin";
static const char* const kRockFiles[kRockTemplateCount] = {
    "data/Ultimate Models/RockA.bin",        "data/Ultimate Models/RockB.bin",
    "data/Ultimate Models/RockC.bin",        "data/Ultimate Models/RockADessert.bin",
    "data/Ultimate Models/RockBDessert.bin", "data/Ultimate Models/RockCDessert.bin",
    "data/Ultimate Models/RockASnow.bin",    "data/Ultimate Models/RockBSnow.bin",
    "data/Ultimate Models/RockCSnow.bin",
};

// Position and rotation of sky face i for a box of half-size d.
static void placeSkyFace(SPRITE3D* face, int i, float d) {
    static const float kPositions[kSkyFaceCount][3] = {
        {0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0},
    };
    static const float kRotations[kSkyFaceCount][3] = {
        {0, 0, 0}, {0, 3.14159f, 0}, {0, 1.570795f, 0}, {0, -1.570795f, 0}, {1.570795f, 0, 0}, {-1.570795f, 0, 0},
    };
    face->position = {kPositions[i][0] * d, kPositions[i][1] * d, kPositions[i][2] * d};
    face->rotation = {kRotations[i][0], kRotations[i][1], kRotations[i][2]};
}

// A template belongs to no scene: the update draws it once per instance.
static MODEL3D* loadTemplate(const char* path) {
    MODEL3D* model = new MODEL3D(nullptr);
    loadModel(model, path);  // a missing or bad file leaves it empty: its instances draw nothing
    return model;
}

static void createSkyBox(Scene* scene, SPRITE3D* faces[kSkyFaceCount], const char* image, float scale) {
    for (int i = 0; i < kSkyFaceCount; ++i) {
        faces[i] = scene->create3DSprite();
        faces[i]->setImageFile(image);
        faces[i]->scale = {scale, scale, scale};
    }
}

bool demoStartup() {
    DemoWorld& w = demoWorld();
    // The renderer draws at the window's client size; the overlay keeps the design size.
    ScreenSize screen;
    if (const Engine* record = engine()) {
        screen.width = record->width;
        screen.height = record->height;
        screen.designWidth = record->designWidth;
        screen.designHeight = record->designHeight;
    }
    renderInit(screen);

    w.scene = new Scene();
    for (int i = 0; i < kTreeTemplateCount; ++i) w.treeTemplates[i] = loadTemplate(kTreeFiles[i]);
    w.plantTemplate = loadTemplate(kPlantFile);
    for (int i = 0; i < kRockTemplateCount; ++i) w.rockTemplates[i] = loadTemplate(kRockFiles[i]);

    createSkyBox(w.scene, w.nightSky, "data/noche2.png", 8000.0f);
    createSkyBox(w.scene, w.daySky, "data/dia.png", 4000.0f);
    for (int i = 0; i < kSkyFaceCount; ++i) {
        placeSkyFace(w.nightSky[i], i, 20000.0f);
        placeSkyFace(w.daySky[i], i, 16000.0f);
    }

    // Both landscape meshes are generated from the terrain heightfield here;
    // the scattering pass below regenerates the real surfaces.
    w.waterModel = w.scene->createModel();
    createLandscapeMesh(w.waterModel, w.terrain, 1.0f);
    reloadFromFile(w.waterModel->meshes->part->material->textures[0], "data/agua.png");
    w.waterModel->scale = {1.0f, 1.0f, 1.0f};
    w.waterModel->cullMode = CullMode::None;
    w.waterModel->setAlpha(0.2f);

    w.terrainModel = w.scene->createModel();
    createLandscapeMesh(w.terrainModel, w.terrain, 10.0f);
    w.terrainModel->scale = {1.0f, 1.0f, 1.0f};
    w.terrainModel->cullMode = CullMode::None;

    releaseMaterialPictures();  // every model and landscape picture is loaded by now

    for (int i = 0; i < kFlyerCount; ++i) w.flyers[i] = w.scene->createModel();

    Engine* e = engine();
    if (e) {
        e->clearRed = 0.1f;
        e->clearGreen = 0.1f;
        e->clearBlue = 0.2f;
    }
    for (float& c : w.scene->secondColour) c = 0.0f;

    w.sun = w.scene->createLight();
    w.sun->type = LIGHT_TYPE_POINT;
    w.sun->position = {2000.0f, 4000.0f, 2000.0f};

    w.fontList = new FontList();
    initFontLibrary();
    openDefaultFont(*w.fontList);
    w.lineRecord = createLineRecord();

    if (!w.camera) {
        w.camera = w.scene->createCamera();
        w.camera->position = {0.0f, 4.0f, 10.0f};
        w.camera->fovY = 60.0;
        const Viewport* v = w.camera->viewport;
        const double aspect = v->height != 0 ? static_cast<double>(v->width) / v->height : 1.0;
        w.camera->setPerspective(60.0, aspect, w.camera->nearZ, w.camera->farZ);
    }

    scatter(false);
    playSoundLooping("data/fiesta2018.wav");
    return true;
}
