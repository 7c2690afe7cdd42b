#include <cmath>

#include "app/input.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "demo/scatter.h"
#include "scene/sprite.h"
#include "landscape/landscape_mesh.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/model.h"

int actAt(float scriptClock) {
    for (int act = 0; act < kActCount; ++act) {
        const float start = float(kActSeconds) * static_cast<float>(act);
        if (scriptClock > start && scriptClock < start + float(kActSeconds)) return act;
    }
    return -1;
}

static void enterAct(DemoWorld& w, int act) {
    switch (act) {
    case 0:
        w.cameraMode = CameraMode::Orbit;
        w.night = false;
        w.orbitSpin = false;
        break;
    case 1: w.cameraMode = CameraMode::Ride; break;
    case 2:
        w.orbitSpin = true;
        w.cameraMode = CameraMode::Orbit;
        break;
    case 3: w.cameraMode = CameraMode::Ride; break;
    case 4:
        scatter(false);
        w.breathing = true;
        break;
    case 5:
        w.orbitSpin = false;
        w.cameraMode = CameraMode::Orbit;
        w.night = true;
        scatter(true);
        break;
    case 6: w.cameraMode = CameraMode::Ride; break;
    case 7:
        w.orbitSpin = true;
        w.cameraMode = CameraMode::Orbit;
        w.breathing = true;
        break;
    case 8:
        w.cameraMode = CameraMode::Orbit;
        w.breathing = true;
        w.orbitSpin = true;
        for (SPRITE3D* face : w.nightSky)
            if (face) face->setImageFile("data/icono1.png");
        break;
    default: break;
    }
}

void timelineStep() {
    DemoWorld& w = demoWorld();
    w.scriptClock += 0.016666668f;
    const int act = actAt(w.scriptClock);
    if (act >= 0) {
        w.currentAct = act;
        if (act == 8 && w.orbitPitch > 0.05f) w.orbitPitch -= 0.01f;
        if (w.currentAct != w.previousAct) enterAct(w, act);
    }
    w.previousAct = w.currentAct;
}

void applyDayNight() {
    DemoWorld& w = demoWorld();
    for (int i = 0; i < kSkyFaceCount; ++i) {
        if (w.daySky[i]) w.daySky[i]->hidden = w.night;
        if (w.nightSky[i]) w.nightSky[i]->hidden = !w.night;
    }
    static const float kSunDay[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const float kSunNight[4] = {0.4f, 0.4f, 1.0f, 0.0f};
    static const float kAmbientDay[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    static const float kAmbientNight[4] = {0.03f, 0.03f, 0.03f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        if (w.sun) w.sun->colour[i] = w.night ? kSunNight[i] : kSunDay[i];
        if (w.scene) w.scene->ambient[i] = w.night ? kAmbientNight[i] : kAmbientDay[i];
    }
}

// A float that grows by a fixed step loses more of each step the larger it
// gets (after 12 hours the animation time advances by 0.094 instead of 0.1;
// later the values freeze). Each value therefore sheds whole periods of the
// sines it drives once it passes a bound, a multiple of those periods beyond
// what the 72 seconds of the timeline reach, so that the timeline's steps
// stay exactly as they were. Breathing and waves repeat every 20 pi of
// animation time; the orbit every 2 pi of yaw; a flyer's path and turn every
// 20 pi of phase (the periods of its sines: 2 pi, 20 pi / 3, 20 pi / 9, 10 pi
// and 5 pi / 2).
constexpr float kPi = 3.14159265358979f;
constexpr float kAnimationTimeBound = 160.0f * kPi;  // 8 periods; 72 seconds reach 432
constexpr float kOrbitYawBound = 8.0f * kPi;  // 4 periods; 72 seconds reach 13.6
constexpr float kFlyerPhaseBound = 20.0f * kPi;  // 1 period; 72 seconds reach 15.6

static float shedPeriods(float value, float bound) { return value > bound ? value - bound : value; }

float advanceAnimationTime(float time) { return shedPeriods(time + 0.1f, kAnimationTimeBound); }
float advanceOrbitYaw(float yaw) { return shedPeriods(yaw + 0.005f, kOrbitYawBound); }
float advanceFlyerPhase(float phase, float speed) { return shedPeriods(phase + speed, kFlyerPhaseBound); }

void cameraStep() {
    DemoWorld& w = demoWorld();
    CAMERA3D* camera = currentCamera();
    if (!camera) return;
    if (w.cameraMode == CameraMode::Orbit) {
        if (w.orbitSpin) w.orbitYaw = advanceOrbitYaw(w.orbitYaw);
        camera->position = {std::sin(w.orbitYaw) * w.orbitDistance, std::sin(w.orbitPitch) * w.orbitDistance,
                            std::cos(w.orbitPitch) * std::cos(w.orbitYaw) * w.orbitDistance};
        camera->target = {0.0f, 0.0f, 0.0f};
    } else if (w.camera) {
        // Riding: look along the path from the demo camera's place (set by
        // the first flyer in the previous frame).
        const Vector3 p = w.camera->position;
        camera->target = {p.x + std::sin(w.orbitYaw), p.y - std::sin(w.orbitPitch),
                          p.z + std::cos(w.orbitPitch) * std::cos(w.orbitYaw)};
    }
    camera->lookAt(camera->target.x, camera->target.y, camera->target.z);
}

void flyersStep() {
    DemoWorld& w = demoWorld();
    const int count =
        static_cast<int>(w.flightPaths.size()) < kFlyerCount ? static_cast<int>(w.flightPaths.size()) : kFlyerCount;
    for (int i = 0; i < count; ++i) {
        FlightPath& f = w.flightPaths[static_cast<size_t>(i)];
        f.phase = advanceFlyerPhase(f.phase, f.speed);
        const float a = f.phase;
        const float x = std::sin(a) * (2000.0f * std::sin(0.3f * a) + f.radius) + f.centreX;
        const float z = std::cos(0.9f * a) * (2000.0f * std::sin(0.2f * a) + f.radius) + f.centreZ;
        float y = std::sin(0.8f * a) * f.bobAmplitude + f.baseY;
        const float terrainHeight = w.terrain.heightAt(x, z);
        const float ground = terrainHeight > w.waterLevel ? terrainHeight : w.waterLevel;
        // Drift back into the band 1000 to 1500 above the ground or water.
        if (ground + 1000.0f > y) {
            f.baseY += 0.5f;
            y += 0.5f;
        } else if (y > ground + 1500.0f) {
            f.baseY -= 0.5f;
            y -= 0.5f;
        }
        MODEL3D* flyer = w.flyers[i];
        if (flyer) flyer->position = {x, y, z};
        if (i == 0 && w.cameraMode == CameraMode::Ride && w.camera) {
            w.camera->position = {x, y - 10.0f, z};
            w.orbitYaw = f.phase + 1.570795f;
        }
        if (flyer) flyer->rotation = {0.0f, -f.phase - 1.570795f, 3.14159f};
    }
}

// Each template is moved to every instance of it in turn and submitted with
// parent alpha 0, so its items go to the distance-sorted transparent queue.
static void submitInstances(const std::vector<ScatterInstance>& instances, MODEL3D* const* templates,
                            int templateCount) {
    DemoWorld& w = demoWorld();
    Scene* scene = currentScene();
    for (const ScatterInstance& s : instances) {
        if (s.templateIndex < 0 || s.templateIndex >= templateCount) continue;
        MODEL3D* m = templates[s.templateIndex];
        if (!m) continue;
        m->position = {s.x, w.terrain.heightAt(s.x, s.z), s.z};
        m->scale = {s.scaleX, s.scaleY, s.scaleZ};
        m->rotation = {s.rotationX, s.rotationY, s.rotationZ};
        drawModelTree(m, 0.0f, scene);
    }
}

void submitScatteredInstances() {
    DemoWorld& w = demoWorld();
    submitInstances(w.trees, w.treeTemplates, kTreeTemplateCount);
    submitInstances(w.plants, &w.plantTemplate, 1);
    submitInstances(w.rocks, w.rockTemplates, kRockTemplateCount);
}

static void updateModelList(MODEL3D* model) {
    for (; model; model = static_cast<MODEL3D*>(model->next)) model->update();
}

void demoUpdate(bool catchUp) {
    DemoWorld& w = demoWorld();
    w.animationTime = advanceAnimationTime(w.animationTime);
    // The meshes are a function of the heights and their scale alone: the
    // drawn step's rebuild makes them what every step's rebuild would.
    if (w.terrainModel) {
        w.terrain.heightScale = w.breathing ? (std::sin(w.animationTime * 0.1f) + 1.0f) * 2000.0f : 2000.0f;
        if (!catchUp) updateLandscapeMesh(w.terrain, w.terrainModel);
    }
    if (w.waterModel) {
        w.water.heightScale = std::sin(w.animationTime * 0.2f) * 50.0f;
        if (!catchUp) updateLandscapeMesh(w.water, w.waterModel);
    }

    const KeyboardState* keys = keyboardState();
    if (keys && keys->held[KEY_Q]) w.waterLevel += 100.0f;
    if (keys && keys->held[KEY_A]) w.waterLevel -= 100.0f;
    if (w.waterModel) w.waterModel->position = {0.0f, w.waterLevel, 0.0f};

    timelineStep();
    applyDayNight();
    cameraStep();
    flyersStep();
    if (!catchUp) submitScatteredInstances();

    if (w.scene)
        for (const ObjectGroup& group : w.scene->groups) updateModelList(group.models);
}
