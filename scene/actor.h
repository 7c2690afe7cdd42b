// The base of everything placed in the world, the draw settings of drawable
// objects, and the Scene that holds the object lists and the render queues.
#pragma once

#include "scene/render_queue.h"
#include "scene/math.h"

struct Scene;
class MODEL3D;
class CAMERA3D;
class LIGHT;
class SPRITE_BASE;
class SPRITE3D;

class ACTOR {
public:
    virtual ~ACTOR() = default;

    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 scale{1.0f, 1.0f, 1.0f};
    Vector3 rotation{0.0f, 0.0f, 0.0f};  // Euler radians about X, Y, Z
    ACTOR* next = nullptr;  // next object of the same list
    bool hidden = false;  // hides the whole subtree
};

struct DRAW_PROPERTIES {
    Scene* scene = nullptr;
    CullMode cullMode = CullMode::BackFaces;
    DepthMode depthMode = DepthMode::TestAndWrite;  // copied into render items, not read when drawing
    BlendMode blendMode = BlendMode::Off;  // likewise
    int reserved = 0;
    float alpha = 1.0f;

    // Negative values become 0; values above 1 stay.
    void setAlpha(float value) { alpha = value < 0.0f ? 0.0f : value; }
};

// T * Rx * Ry * Rz * S of an actor.
void localMatrix(const ACTOR& actor, Matrix4& out);
// model stack top = top * localMatrix(actor)
void applyLocalMatrix(const ACTOR& actor);

// Three lists with counts; the first group of a Scene is the world, the
// second is drawn after it with the same procedure.
struct ObjectGroup {
    MODEL3D* models = nullptr;
    int modelCount = 0;
    SPRITE3D* sprites3d = nullptr;  // linked through their ACTOR part
    int sprite3dCount = 0;
    SPRITE_BASE* sprites2d = nullptr;
    int sprite2dCount = 0;
};

struct Scene {
    Scene();  // reserves the queues, identity root, becomes the current Scene
    ~Scene();

    RenderQueue opaque{SortMode::Emission};
    RenderQueue transparent{SortMode::FarthestFirst};
    float ambient[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float secondColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // read by nothing that draws
    LIGHT* lights = nullptr;
    int lightCount = 0;  // also the id of the next light
    CAMERA3D* camera = nullptr;
    bool twoPass = false;
    ObjectGroup groups[2];
    CAMERA3D* cameras = nullptr;
    int cameraCount = 0;
    Matrix4 root;

    MODEL3D* createModel(int group = 0);
    LIGHT* createLight();
    CAMERA3D* createCamera();  // also becomes this Scene's camera
    SPRITE3D* create3DSprite(int group = 0);
    SPRITE_BASE* create2DSprite(int group = 0);

    // Appends to the transparent queue when itemAlpha < 1, else the opaque one.
    void submit(const RenderItem& item);
};

// The current Scene (set by the Scene constructor) and the Scene whose lights
// and ambient colour are uploaded (none until a Scene with a camera and a
// light is rendered).
Scene* currentScene();
void setCurrentScene(Scene* scene);
Scene* lightingScene();
void setLightingScene(Scene* scene);

// Draws a model and its subtree into the scene's queues with the given parent
// alpha; the model stack top holds the parent's world matrix.
void drawModelTree(MODEL3D* model, float parentAlpha, Scene* scene);
