#include "demo/demo_world.h"

#include <cstring>

static DemoWorld g_world;

DemoWorld& demoWorld() { return g_world; }

static void resetHeightfield(Heightfield& h) {
    std::memset(&h, 0, sizeof(h));
    h.extentX = 20000.0f;
    h.extentZ = 20000.0f;
    h.heightScale = 40.0f;
}

void resetDemoWorld() {
    DemoWorld& w = g_world;
    resetHeightfield(w.terrain);
    resetHeightfield(w.water);
    w.scene = nullptr;
    w.waterLevel = 0.0f;
    for (int i = 0; i < kSkyFaceCount; ++i) w.nightSky[i] = w.daySky[i] = nullptr;
    w.terrainModel = w.waterModel = nullptr;
    for (MODEL3D*& m : w.rockTemplates) m = nullptr;
    w.plantTemplate = nullptr;
    for (MODEL3D*& m : w.treeTemplates) m = nullptr;
    for (MODEL3D*& m : w.flyers) m = nullptr;
    w.sun = nullptr;
    w.camera = nullptr;
    w.fontList = nullptr;
    w.lineRecord = nullptr;
    w.animationTime = 0.0f;
    w.scriptClock = 0.0f;
    w.currentAct = 0;
    w.previousAct = -1;
    w.cameraMode = CameraMode::Orbit;
    w.orbitSpin = true;
    w.orbitPitch = 0.5f;
    w.orbitYaw = 0.7f;
    w.orbitDistance = 12000.0f;
    w.breathing = false;
    w.night = false;
    w.flightPaths.clear();
    w.trees.clear();
    w.plants.clear();
    w.rocks.clear();
}

// The record starts with its initial values before the entry point runs.
static const bool g_worldInitialised = (resetDemoWorld(), true);
