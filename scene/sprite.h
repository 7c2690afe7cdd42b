// Textured rectangles. DRAWABLE_IMAGE_BASE owns the quad (mesh, material,
// texture); SPRITE_BASE places it in a Scene and draws it in screen pixels in
// the 2D pass; SPRITE3D draws it in the world through the render queue and
// can turn toward the camera.
#pragma once

#include "scene/actor.h"

struct Mesh;
struct Texture;

class DRAWABLE_IMAGE_BASE {
public:
    DRAWABLE_IMAGE_BASE();  // builds the quad, then setSize(1, 1)
    virtual ~DRAWABLE_IMAGE_BASE() = default;  // the quad lives until the process ends

    void setSize(float newWidth, float newHeight);
    void updateQuad();
    Texture* spriteTexture() const;

    bool quadDirty = true;
    bool flipX = false;
    bool flipY = false;
    Mesh* quad = nullptr;
    float width = 1.0f;
    float height = 1.0f;
};

class SPRITE_BASE : public DRAWABLE_IMAGE_BASE, public DRAW_PROPERTIES, public ACTOR {
public:
    ~SPRITE_BASE() override = default;
    virtual void createBlankImage(int pixelOrder, int imageWidth, int imageHeight, int minFilter, int magFilter);

    // Shares the file's texture; size 10 wide keeping the image's aspect ratio.
    void setImageFile(const char* path);
};

class SPRITE3D : public SPRITE_BASE {
public:
    SPRITE3D();  // orientation identity, billboardMode 0

    // Appends one render item for the current camera (nothing without one).
    void appendItems(Scene* scene);

    Matrix4 orientation;
    int billboardMode = 0;  // 0 fixed, 1 pitch follows the camera, 2 turns about y toward it
};
