#include <gtest/gtest.h>

#include <cmath>

#include "app/input.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "demo/scatter.h"
#include "scene/camera.h"
#include "scene/light.h"

namespace {

DemoWorld& freshWorld() {
    resetDemoWorld();
    return demoWorld();
}

}  // namespace

TEST(Timeline, ActsHaveStrictBounds) {
    EXPECT_EQ(actAt(0.0f), -1);
    EXPECT_EQ(actAt(0.0167f), 0);
    EXPECT_EQ(actAt(8.0f), -1);
    EXPECT_EQ(actAt(8.01f), 1);
    EXPECT_EQ(actAt(16.0f), -1);
    EXPECT_EQ(actAt(71.99f), 8);
    EXPECT_EQ(actAt(72.0f), -1);
    EXPECT_EQ(actAt(100.0f), -1);
}

TEST(Timeline, EntersEachActOnItsFrameAndAppliesItsSettings) {
    DemoWorld& w = freshWorld();
    w.orbitSpin = true;
    timelineStep();  // the first frame enters act 0
    EXPECT_EQ(w.currentAct, 0);
    EXPECT_FALSE(w.orbitSpin);
    EXPECT_EQ(w.cameraMode, CAMERA_ORBIT);
    EXPECT_FALSE(w.night);

    int frame = 1;
    int enteredAt[kActCount] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    int previous = 0;
    while (frame < 4400) {
        const float before = w.scriptClock;
        timelineStep();
        ++frame;
        if (w.currentAct != previous) {
            enteredAt[w.currentAct] = frame;
            // The act starts on the first frame whose clock is past its start.
            EXPECT_GT(w.scriptClock, 8.0f * w.currentAct);
            EXPECT_LE(before, 8.0f * w.currentAct);
            previous = w.currentAct;
        }
        if (frame == enteredAt[1]) {
            EXPECT_EQ(w.cameraMode, CAMERA_RIDE);
        }
        if (frame == enteredAt[2]) {
            EXPECT_TRUE(w.orbitSpin);
            EXPECT_EQ(w.cameraMode, CAMERA_ORBIT);
        }
        if (frame == enteredAt[4]) {
            EXPECT_TRUE(w.breathing);
        }
        if (frame == enteredAt[5]) {
            EXPECT_TRUE(w.night);
            EXPECT_FALSE(w.orbitSpin);
        }
        if (frame == enteredAt[6]) {
            EXPECT_EQ(w.cameraMode, CAMERA_RIDE);
        }
    }
    for (int act = 1; act < kActCount; ++act) {
        EXPECT_NEAR(enteredAt[act], 480 * act + 1, 1) << "act " << act;
        EXPECT_GT(enteredAt[act], enteredAt[act - 1]);
    }
    // After the last act the state stays as act 8 left it.
    EXPECT_EQ(w.currentAct, 8);
    EXPECT_EQ(w.previousAct, 8);
    EXPECT_TRUE(w.night);
    EXPECT_TRUE(w.breathing);
    EXPECT_TRUE(w.orbitSpin);
}

TEST(Timeline, LastActLowersThePitchToItsFloor) {
    DemoWorld& w = freshWorld();
    w.scriptClock = 64.0f;  // the next step enters act 8
    w.previousAct = 7;
    w.currentAct = 7;
    w.orbitPitch = 0.5f;
    timelineStep();
    EXPECT_EQ(w.currentAct, 8);
    EXPECT_FLOAT_EQ(w.orbitPitch, 0.49f);
    for (int i = 0; i < 100; ++i) timelineStep();
    EXPECT_LE(w.orbitPitch, 0.05f);
    EXPECT_GT(w.orbitPitch, 0.039f);
    const float floor = w.orbitPitch;
    timelineStep();
    EXPECT_EQ(w.orbitPitch, floor);
}

TEST(Timeline, DayAndNightTable) {
    DemoWorld& w = freshWorld();
    Scene* scene = new Scene();
    w.scene = scene;
    w.sun = scene->createLight();
    w.night = false;
    applyDayNight();
    EXPECT_EQ(w.sun->colour[0], 1.0f);
    EXPECT_EQ(w.sun->colour[3], 1.0f);
    EXPECT_EQ(scene->ambient[0], 0.2f);
    EXPECT_EQ(scene->ambient[3], 1.0f);
    w.night = true;
    applyDayNight();
    EXPECT_EQ(w.sun->colour[0], 0.4f);
    EXPECT_EQ(w.sun->colour[2], 1.0f);
    EXPECT_EQ(w.sun->colour[3], 0.0f);
    EXPECT_EQ(scene->ambient[1], 0.03f);
    EXPECT_EQ(scene->ambient[3], 0.0f);
    delete scene;
    w.scene = nullptr;
    w.sun = nullptr;
}

TEST(Flyers, RidingCameraFollowsTheFirstFlyerOneFrameLate) {
    DemoWorld& w = freshWorld();
    scatterWorld(w, false, true, true);
    CAMERA3D camera;
    w.camera = &camera;
    setCurrentCamera(&camera);
    w.cameraMode = CAMERA_RIDE;

    cameraStep();
    flyersStep();
    const Vector3 afterFirst = camera.position;
    const float yaw = w.orbitYaw;
    EXPECT_FLOAT_EQ(yaw, w.flightPaths[0].phase + 1.570795f);

    cameraStep();  // looks from where the flyer was in the previous frame
    EXPECT_EQ(camera.target.x, afterFirst.x + std::sin(yaw));
    EXPECT_EQ(camera.target.y, afterFirst.y - std::sin(w.orbitPitch));
    flyersStep();
    EXPECT_NE(camera.position.x, afterFirst.x);

    setCurrentCamera(nullptr);
    w.camera = nullptr;
}

TEST(Flyers, DriftIntoTheBandAboveGroundOrWater) {
    DemoWorld& w = freshWorld();
    scatterWorld(w, false, false, false);  // flat terrain at 0
    w.waterLevel = 2000.0f;
    for (int frame = 0; frame < 12000; ++frame) flyersStep();
    for (const FlightPath& f : w.flightPaths) {
        EXPECT_GE(f.baseY, 2000.0f + 1000.0f - 200.0f);
        EXPECT_LE(f.baseY, 2000.0f + 1500.0f + 200.0f);
    }
}

TEST(WaterKeys, QHeldSixtyFramesRaisesTheWaterBy6000) {
    DemoWorld& w = freshWorld();
    KeyboardState keys;
    KeyboardState* saved = keyboardState();
    setKeyboardState(&keys);
    keys.held[KEY_Q] = 1;
    for (int i = 0; i < 60; ++i) demoUpdate();
    EXPECT_FLOAT_EQ(w.waterLevel, 6000.0f);
    keys.held[KEY_A] = 1;  // both held: no change
    demoUpdate();
    EXPECT_FLOAT_EQ(w.waterLevel, 6000.0f);
    keys.held[KEY_Q] = 0;
    for (int i = 0; i < 30; ++i) demoUpdate();
    EXPECT_FLOAT_EQ(w.waterLevel, 3000.0f);
    setKeyboardState(saved);
}
