#include <gtest/gtest.h>

#include <cmath>

#include "scene/camera.h"

namespace {

// Point through the camera's view.
void viewPoint(const CAMERA3D& camera, float x, float y, float z, float out[4]) {
    const float in[4] = {x, y, z, 1.0f};
    matrixTransformPoint(camera.view(), in, out);
}

// Builds a camera while the screen has the given window size.
CAMERA3D* cameraForWindow(int width, int height) {
    const Viewport saved = cameraScreen();
    setCameraScreen(width, height);
    CAMERA3D* camera = new CAMERA3D;
    setCameraScreen(saved.width, saved.height);
    return camera;
}

}  // namespace

TEST(Camera, ProjectionFollowsTheWindowSize) {
    CAMERA3D* camera = cameraForWindow(800, 600);
    EXPECT_EQ(camera->viewport, &camera->ownViewport);
    EXPECT_EQ(camera->ownViewport.width, 800);
    EXPECT_EQ(camera->ownViewport.height, 600);
    EXPECT_NEAR(camera->aspect, 800.0 / 600.0, 1e-12);
    EXPECT_NEAR(camera->projection().m[5], 1.7320508f, 1e-6f);
    EXPECT_NEAR(camera->projection().m[0], camera->projection().m[5] / camera->aspect, 1e-6f);
    EXPECT_NEAR(camera->top, std::tan(3.14159265358979 / 6.0) * 50.0, 1e-9);
    EXPECT_DOUBLE_EQ(camera->left, -camera->right);

    camera->setPerspective(90.0, 2.0, 1.0, 10.0);
    camera->resetFieldOfView();
    EXPECT_EQ(camera->fovY, 60.0);
    EXPECT_NEAR(camera->aspect, 800.0 / 600.0, 1e-12);
    EXPECT_EQ(camera->nearZ, 1.0);
    EXPECT_EQ(camera->farZ, 10.0);
    delete camera;
}

TEST(Camera, WithoutAWindowTheViewportIsEmptyAndTheProjectionFinite) {
    CAMERA3D* camera = cameraForWindow(0, 0);
    EXPECT_EQ(camera->ownViewport.width, 0);
    EXPECT_EQ(camera->aspect, 1.0);
    for (float value : camera->projection().m) EXPECT_TRUE(std::isfinite(value));
    delete camera;
}

TEST(Camera, LookAtBuildsTheAxesAndTheView) {
    CAMERA3D camera;
    camera.position = {0.0f, 0.0f, 10.0f};
    camera.lookAt(0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.backAxis.z, 1.0f);
    EXPECT_FLOAT_EQ(camera.rightAxis.x, 1.0f);
    EXPECT_FLOAT_EQ(camera.upAxis.y, 1.0f);
    float p[4];
    viewPoint(camera, 0.0f, 0.0f, 0.0f, p);
    EXPECT_NEAR(p[0], 0.0f, 1e-6f);
    EXPECT_NEAR(p[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], -10.0f, 1e-6f);

    // From the side: a quarter turn, the origin still straight ahead.
    camera.position = {10.0f, 0.0f, 0.0f};
    camera.lookAt(0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(camera.rotation.y, -3.14159265f / 2.0f, 1e-6f);
    EXPECT_EQ(camera.rotation.z, 0.0f);
    viewPoint(camera, 0.0f, 0.0f, 0.0f, p);
    EXPECT_NEAR(p[0], 0.0f, 1e-5f);
    EXPECT_NEAR(p[2], -10.0f, 1e-5f);
    EXPECT_FLOAT_EQ(camera.target.x, 0.0f);
}

TEST(Camera, LookAtItsOwnPositionCollapsesToTheTranslation) {
    CAMERA3D camera;
    camera.position = {1.0f, 2.0f, 3.0f};
    camera.lookAt(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(camera.backAxis.x, 0.0f);
    EXPECT_EQ(camera.rightAxis.x, 0.0f);
    EXPECT_EQ(camera.upAxis.y, 0.0f);
    for (float value : camera.view().m) EXPECT_TRUE(std::isfinite(value));
}

TEST(Camera, MovesAlongTheAxesOfTheLastLookAt) {
    CAMERA3D camera;
    camera.position = {0.0f, 0.0f, 10.0f};
    camera.lookAt(0.0f, 0.0f, 0.0f);
    camera.moveBack(5.0f);
    camera.moveRight(2.0f);
    camera.moveUp(1.0f);
    EXPECT_FLOAT_EQ(camera.position.x, -2.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 1.0f);
    EXPECT_FLOAT_EQ(camera.position.z, 15.0f);
}

TEST(Camera, ViewFromRotationTurnsTheWorldTheOtherWay) {
    CAMERA3D camera;
    camera.position = {0.0f, 0.0f, 10.0f};
    camera.viewFromRotation();
    float ahead[4];
    viewPoint(camera, 0.0f, 0.0f, 0.0f, ahead);
    EXPECT_NEAR(ahead[2], -10.0f, 1e-5f);

    // Turned to look along -x from the origin, a point on -x is straight ahead.
    camera.position = {0.0f, 0.0f, 0.0f};
    camera.rotation.y = 3.14159265f / 2.0f;
    camera.viewFromRotation();
    float turned[4];
    viewPoint(camera, -10.0f, 0.0f, 0.0f, turned);
    EXPECT_NEAR(turned[0], 0.0f, 1e-5f);
    EXPECT_NEAR(turned[2], -10.0f, 1e-5f);
}

TEST(Camera, PushingAndPoppingBothStacksRestoresViewAndProjection) {
    CAMERA3D camera;
    camera.position = {3.0f, 4.0f, 5.0f};
    camera.lookAt(0.0f, 1.0f, 0.0f);
    const Matrix4 view = camera.view();
    const Matrix4 projection = camera.projection();
    camera.viewStack->push();
    camera.viewStack->loadIdentity();
    camera.projectionStack->push();
    matrixScale(*camera.projectionStack->top, 2.0f, 2.0f, 2.0f);
    camera.viewStack->pop();
    camera.projectionStack->pop();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(camera.view().m[i], view.m[i]);
        EXPECT_EQ(camera.projection().m[i], projection.m[i]);
    }
}

TEST(Camera, CurrentCameraFallsBackToTheDefault) {
    CAMERA3D* fallback = new CAMERA3D;
    CAMERA3D* savedDefault = defaultCamera();
    setDefaultCamera(fallback);
    CAMERA3D* other = new CAMERA3D;
    setCurrentCamera(other);
    EXPECT_EQ(currentCamera(), other);
    delete other;  // a deleted camera is no longer current
    EXPECT_EQ(currentCamera(), fallback);
    setDefaultCamera(savedDefault);
    delete fallback;
}
