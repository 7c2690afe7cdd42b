// The demo's global state, shared by start-up, scattering and the per-frame
// update, and the plain records of the scattered instances and flight paths.
#pragma once

#include <vector>

#include "landscape/heightfield.h"

struct Scene;
class SPRITE3D;
class MODEL3D;
class LIGHT;
class CAMERA3D;
struct FontList;
struct LineRecord;

struct FlightPath {
    float centreX = 0.0f;
    float baseY = 4000.0f;  // nudged by the update to keep the flyer above ground
    float centreZ = 0.0f;
    float phase = 0.0f;  // current angle of the path parameter
    float speed = 0.0f;  // angle increment per frame
    float radius = 0.0f;  // 1300 to 2600
    float bobAmplitude = 0.0f;  // 100 to 120
};

struct ScatterInstance {
    int templateIndex = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;  // y: ground when scattered; the update looks it up again
    float rotationX = 0.0f, rotationY = 0.0f, rotationZ = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f, scaleZ = 1.0f;
};

enum class CameraMode { Ride = 2, Orbit = 3 };

constexpr int kTreeTemplateCount = 5;
constexpr int kRockTemplateCount = 9;
constexpr int kFlyerCount = 20;
constexpr int kSkyFaceCount = 6;

struct DemoWorld {
    Heightfield terrain;
    Heightfield water;
    Scene* scene;
    float waterLevel;
    SPRITE3D* nightSky[kSkyFaceCount];
    SPRITE3D* daySky[kSkyFaceCount];
    MODEL3D* terrainModel;
    MODEL3D* waterModel;
    MODEL3D* rockTemplates[kRockTemplateCount];
    MODEL3D* plantTemplate;
    MODEL3D* treeTemplates[kTreeTemplateCount];
    MODEL3D* flyers[kFlyerCount];
    LIGHT* sun;
    CAMERA3D* camera;
    FontList* fontList;
    LineRecord* lineRecord;
    float animationTime;
    float scriptClock;
    int currentAct;
    int previousAct;
    CameraMode cameraMode;
    bool orbitSpin;
    float orbitPitch, orbitYaw, orbitDistance;
    bool breathing;
    bool night;
    std::vector<FlightPath> flightPaths;
    std::vector<ScatterInstance> trees, plants, rocks;
};

DemoWorld& demoWorld();
// Every field back to its initial value (objects are dropped, not freed).
void resetDemoWorld();
