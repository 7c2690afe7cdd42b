// A camera: a viewport, a perspective projection and a view matrix, the last
// two on stacks of their own so screen-space passes can push and pop them.
#pragma once

#include "scene/actor.h"
#include "scene/math.h"

struct Viewport {
    int x, y, width, height;
};

class CAMERA3D : public ACTOR {
public:
    CAMERA3D();  // viewport = the screen size (render/renderer.h), perspective 60 degrees, near 50, far 50000
    ~CAMERA3D() override;

    void setPerspective(double fovYDegrees, double aspectRatio, double nearZ, double farZ);
    void resetFieldOfView();
    void lookAt(float x, float y, float z);
    void viewFromRotation();
    void moveUp(float distance);
    void moveRight(float distance);
    void moveBack(float distance);

    const Matrix4& view() const { return *viewStack->top; }
    const Matrix4& projection() const { return *projectionStack->top; }

    Viewport* viewport = &ownViewport;
    Viewport ownViewport{0, 0, 0, 0};
    bool lookAtMode = true;
    double nearZ = 50.0;
    double farZ = 50000.0;
    double fovY = 60.0;
    double aspect = 1.0;
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
    Vector3 upAxis{0.0f, 0.0f, 0.0f};
    Vector3 backAxis{0.0f, 0.0f, 0.0f};
    Vector3 rightAxis{0.0f, 0.0f, 0.0f};
    Vector3 target{0.0f, 0.0f, -1.0f};
    MatrixStack* viewStack = nullptr;  // capacity 32
    MatrixStack* projectionStack = nullptr;  // capacity 32
};

// The camera whose view the shaders read: the current Scene's camera once a
// frame has been rendered with it, the default camera before.
CAMERA3D* currentCamera();
void setCurrentCamera(CAMERA3D* camera);
CAMERA3D* defaultCamera();
void setDefaultCamera(CAMERA3D* camera);

// The screen's client size changed from oldWidth x oldHeight: the default
// camera and every camera whose own viewport was the whole old screen take
// the new size as viewport and aspect ratio (keeping field of view and depth
// range). Cameras with a viewport of their own keep it.
void cameraScreenResized(int oldWidth, int oldHeight, int newWidth, int newHeight);
