#include "scene/camera.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/renderer.h"

static CAMERA3D* g_currentCamera = nullptr;
static CAMERA3D* g_defaultCamera = nullptr;
// Every live camera, for a change of the screen's size.
static std::vector<CAMERA3D*> g_cameras;

CAMERA3D* currentCamera() { return g_currentCamera ? g_currentCamera : g_defaultCamera; }
void setCurrentCamera(CAMERA3D* camera) { g_currentCamera = camera; }
CAMERA3D* defaultCamera() { return g_defaultCamera; }
void setDefaultCamera(CAMERA3D* camera) { g_defaultCamera = camera; }

// Width over height of a viewport; 1 for an empty one (no window yet) so the
// projection stays finite.
static double viewportAspect(const Viewport& viewport) {
    if (viewport.width <= 0 || viewport.height <= 0) return 1.0;
    return static_cast<double>(viewport.width) / static_cast<double>(viewport.height);
}

CAMERA3D::CAMERA3D() {
    ownViewport = Viewport{0, 0, screenSize().width, screenSize().height};
    viewStack = new MatrixStack;
    viewStack->create(32);
    projectionStack = new MatrixStack;
    projectionStack->create(32);
    setPerspective(60.0, viewportAspect(ownViewport), 50.0, 50000.0);
    g_cameras.push_back(this);
}

CAMERA3D::~CAMERA3D() {
    // A deleted camera must not stay reachable through the engine pointers.
    if (g_currentCamera == this) g_currentCamera = nullptr;
    if (g_defaultCamera == this) g_defaultCamera = nullptr;
    g_cameras.erase(std::remove(g_cameras.begin(), g_cameras.end(), this), g_cameras.end());
    viewStack->destroy();
    delete viewStack;
    projectionStack->destroy();
    delete projectionStack;
}

void CAMERA3D::setPerspective(double fovYDegrees, double aspectRatio, double nearPlane, double farPlane) {
    fovY = fovYDegrees;
    aspect = aspectRatio;
    nearZ = nearPlane;
    farZ = farPlane;
    top = std::tan(fovY * 3.14159265358979323846 / 360.0) * nearZ;
    bottom = -top;
    right = top * aspect;
    left = -right;
    matrixPerspective(*projectionStack->top, fovY, aspect, nearZ, farZ);
}

void cameraScreenResized(int oldWidth, int oldHeight, int newWidth, int newHeight) {
    for (CAMERA3D* camera : g_cameras) {
        Viewport& own = camera->ownViewport;
        const bool wholeScreen = own.x == 0 && own.y == 0 && own.width == oldWidth && own.height == oldHeight;
        if (camera != g_defaultCamera && !wholeScreen) continue;
        own = Viewport{0, 0, newWidth, newHeight};
        camera->setPerspective(camera->fovY, viewportAspect(own), camera->nearZ, camera->farZ);
    }
}

void CAMERA3D::resetFieldOfView() { setPerspective(60.0, viewportAspect(ownViewport), nearZ, farZ); }

void CAMERA3D::lookAt(float x, float y, float z) {
    target = Vector3{x, y, z};
    const Vector3 d = vectorSubtract(position, target);

    // Stored for camera-facing sprites; the view below does not use them.
    rotation.z = 0.0f;
    rotation.x = static_cast<float>(std::atan2(static_cast<double>(d.y), std::fabs(static_cast<double>(d.z))));
    rotation.y = static_cast<float>(-std::atan2(static_cast<double>(d.x), static_cast<double>(d.z)));

    // World up is (0, 1, 0); looking straight up or down leaves right and up zero.
    backAxis = vectorNormalise(d);
    rightAxis = vectorNormalise(Vector3{backAxis.z, 0.0f, -backAxis.x});
    upAxis = vectorCross(backAxis, rightAxis);

    Matrix4 axes = {};
    axes.m[0] = rightAxis.x;
    axes.m[4] = rightAxis.y;
    axes.m[8] = rightAxis.z;
    axes.m[1] = upAxis.x;
    axes.m[5] = upAxis.y;
    axes.m[9] = upAxis.z;
    axes.m[2] = backAxis.x;
    axes.m[6] = backAxis.y;
    axes.m[10] = backAxis.z;
    axes.m[15] = 1.0f;

    Matrix4 translation;
    matrixTranslation(translation, -position.x, -position.y, -position.z);
    viewStack->loadIdentity();
    viewStack->multiplyTop(axes);
    viewStack->multiplyTop(translation);
}

void CAMERA3D::viewFromRotation() {
    // The quaternion's matrix is the inverse rotation, which is what a view needs.
    const Quaternion q = quaternionFromEuler(rotation.x, rotation.y, rotation.z);
    Matrix4 inverseRotation;
    quaternionToMatrix(inverseRotation, q, 0.0f, 0.0f, 0.0f);
    Matrix4 translation;
    matrixTranslation(translation, -position.x, -position.y, -position.z);
    viewStack->loadIdentity();
    viewStack->multiplyTop(inverseRotation);
    viewStack->multiplyTop(translation);
}

void CAMERA3D::moveUp(float distance) { position = vectorAdd(position, vectorScale(upAxis, distance)); }
void CAMERA3D::moveRight(float distance) { position = vectorSubtract(position, vectorScale(rightAxis, distance)); }
void CAMERA3D::moveBack(float distance) { position = vectorAdd(position, vectorScale(backAxis, distance)); }
