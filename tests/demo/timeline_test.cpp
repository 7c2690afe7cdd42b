#include <gtest/gtest.h>

#include <cmath>

#include "app/input.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "demo/scatter.h"
#include "image/sprite.h"
#include "image/texture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "tests/support/gl_test_context.h"

namespace {

DemoWorld& freshWorld() {
    resetDemoWorld();
    return demoWorld();
}

// A growing value of the update with the step it advances by.
struct GrowingValue {
    const char* name;
    float (*advance)(float value, float speed);
    float speed;
};

// The mean per-step increase over the second that follows `value`; a step
// that sheds whole periods is left out.
double incrementFrom(float value, const GrowingValue& growing) {
    double sum = 0.0;
    int counted = 0;
    for (int i = 0; i < 60; ++i) {
        const float next = growing.advance(value, growing.speed);
        if (next > value) {
            sum += static_cast<double>(next) - static_cast<double>(value);
            ++counted;
        }
        value = next;
    }
    return counted ? sum / counted : 0.0;  // frozen
}

}  // namespace

// A demo left running for days: the three growing values keep advancing by
// their first second's step (the breathing, the waves, the orbit and the
// flyers neither slow down, speed up nor freeze). The slowest flyer the
// scattering draws loses the most to rounding.
TEST(Timeline, ValuesAdvanceByTheirFirstStepsForAThousandHours) {
    const GrowingValue values[] = {
        {"animation time", [](float time, float) { return advanceAnimationTime(time); }, 0.1f},
        {"orbit yaw", [](float yaw, float) { return advanceOrbitYaw(yaw); }, 0.005f},
        {"slowest flyer", advanceFlyerPhase, 3.1f * 1300e-6f}};
    const long long stepsPerHour = 60LL * 3600;
    for (const GrowingValue& growing : values) {
        const double first = incrementFrom(0.0f, growing);
        long long done = 0;
        float value = 0.0f;
        for (long long hours : {12, 100, 1000}) {
            for (; done < hours * stepsPerHour; ++done) value = growing.advance(value, growing.speed);
            const double later = incrementFrom(value, growing);
            std::printf("%s: %.6g a step at first, %.6g after %lld h\n", growing.name, first, later, hours);
            EXPECT_NEAR(later / first, 1.0, 1e-3) << growing.name << " after " << hours << " hours";
        }
    }
}

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

// Each act's first frame (frames count from 1) and the settings it applies;
// -1 where the act leaves a setting as it is.
struct ActEntry {
    int frame;
    int cameraMode, orbitSpin, night, breathing;
    bool scatters;
};
const ActEntry kActEntries[kActCount] = {
    {1, CAMERA_ORBIT, 0, 0, -1, false},
    {480, CAMERA_RIDE, -1, -1, -1, false},
    {961, CAMERA_ORBIT, 1, -1, -1, false},
    {1441, CAMERA_RIDE, -1, -1, -1, false},
    {1921, -1, -1, -1, 1, true},
    {2401, CAMERA_ORBIT, 0, 1, -1, true},
    {2881, CAMERA_RIDE, -1, -1, -1, false},
    {3361, CAMERA_ORBIT, 1, -1, 1, false},
    {3841, CAMERA_ORBIT, 1, -1, 1, false},
};

TEST(Timeline, EntersEachActOnItsFrameAndAppliesItsSettings) {
    DemoWorld& w = freshWorld();
    int act = 0;
    for (int frame = 1; frame <= 4400; ++frame) {
        const bool entering = act < kActCount && frame == kActEntries[act].frame;
        const ActEntry& e = kActEntries[entering ? act : 0];
        if (entering) {
            // Every setting the wrong way round, so that each one the act
            // sets must be set by it; an emptied flight list shows a scatter.
            w.cameraMode = e.cameraMode == CAMERA_RIDE ? CAMERA_ORBIT : CAMERA_RIDE;
            w.orbitSpin = e.orbitSpin != 1;
            w.night = e.night != 1;
            w.breathing = e.breathing != 1;
            w.flightPaths.clear();
        }
        const int before = w.currentAct, mode = w.cameraMode;
        const bool spin = w.orbitSpin, night = w.night, breathing = w.breathing;
        timelineStep();
        if (!entering) {
            EXPECT_EQ(w.currentAct, before) << "frame " << frame;
            continue;
        }
        EXPECT_EQ(w.currentAct, act) << "frame " << frame;
        EXPECT_EQ(w.cameraMode, e.cameraMode == -1 ? mode : e.cameraMode) << "act " << act;
        EXPECT_EQ(w.orbitSpin, e.orbitSpin == -1 ? spin : e.orbitSpin == 1) << "act " << act;
        EXPECT_EQ(w.night, e.night == -1 ? night : e.night == 1) << "act " << act;
        EXPECT_EQ(w.breathing, e.breathing == -1 ? breathing : e.breathing == 1) << "act " << act;
        EXPECT_EQ(w.flightPaths.size(), e.scatters ? 20u : 0u) << "act " << act;
        ++act;
    }
    EXPECT_EQ(act, kActCount);
    // After the last act the state stays as act 8 left it.
    EXPECT_EQ(w.currentAct, 8);
    EXPECT_EQ(w.previousAct, 8);
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

// With the six day and six night faces of the sky: which are hidden, the
// light and ambient of each, and the night sky's emblem from act 8 on.
TEST(Timeline, DayAndNightTable) {
    ASSERT_TRUE(ensureTestGlContext());  // sprites own GL buffers
    DemoWorld& w = freshWorld();
    Scene* scene = new Scene();
    w.scene = scene;
    w.sun = scene->createLight();
    for (int i = 0; i < kSkyFaceCount; ++i) {
        w.daySky[i] = new SPRITE3D;
        w.nightSky[i] = new SPRITE3D;
        w.nightSky[i]->setImageFile("data/noche2.png");
    }
    auto hiddenFaces = [](SPRITE3D* const* faces) {
        int hidden = 0;
        for (int i = 0; i < kSkyFaceCount; ++i) hidden += faces[i]->hidden ? 1 : 0;
        return hidden;
    };
    w.night = false;
    applyDayNight();
    EXPECT_EQ(hiddenFaces(w.daySky), 0);
    EXPECT_EQ(hiddenFaces(w.nightSky), kSkyFaceCount);
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
    EXPECT_EQ(hiddenFaces(w.daySky), kSkyFaceCount);
    EXPECT_EQ(hiddenFaces(w.nightSky), 0);

    w.scriptClock = 63.99f;  // the next step enters act 8
    w.previousAct = w.currentAct = 7;
    EXPECT_EQ(w.nightSky[5]->spriteTexture()->path, "data/noche2.png");
    timelineStep();
    for (SPRITE3D* face : w.nightSky) EXPECT_EQ(face->spriteTexture()->path, "data/icono1.png");
    for (int i = 0; i < kSkyFaceCount; ++i) {
        delete w.daySky[i];
        delete w.nightSky[i];
        w.daySky[i] = w.nightSky[i] = nullptr;
    }
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
    for (int i = 0; i < 60; ++i) demoUpdate(false);
    EXPECT_FLOAT_EQ(w.waterLevel, 6000.0f);
    keys.held[KEY_A] = 1;  // both held: no change
    demoUpdate(false);
    EXPECT_FLOAT_EQ(w.waterLevel, 6000.0f);
    keys.held[KEY_Q] = 0;
    for (int i = 0; i < 30; ++i) demoUpdate(false);
    EXPECT_FLOAT_EQ(w.waterLevel, 3000.0f);
    setKeyboardState(saved);
}
