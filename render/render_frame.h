// The frame walk: every mesh of a Scene group becomes a RenderItem in the
// opaque or the transparent queue; each queue is put in its drawing order
// (render_order.h), culled (visibility.h) and drawn; then the group's
// screen-space sprites in the 2D pass.
#pragma once

#include <vector>

#include "scene/render_queue.h"

class SPRITE_BASE;
struct Scene;

// Renders the current Scene with its camera (the default camera when it has
// none): the viewport, then groups 0 and 1, twice with twoPass.
void renderFrame();
// What renderFrame leaves behind, without drawing: the Scene's camera and
// lights current, the camera's view rebuilt as renderFrame rebuilds it, and
// both queues empty. For frames that are updated but not shown.
void skipFrameDrawing();
void drawGroup(Scene* scene, int group);
void sortAndDraw(SortMode mode, std::vector<RenderItem>& items);
// The screen-space pass: design pixels (0, 0) at the top-left of the
// viewport to the design size at the bottom-right, no culling, no depth
// test, alpha blending; end2D restores the 3D state.
void begin2D();
void end2D();
// A sprite in screen pixels, inside the 2D pass: regionWidth x regionHeight
// texels of its image from (x, y), scaled and flipped as the sprite says.
void drawSpriteScreen(SPRITE_BASE& sprite, int x, int y, float scaleX, float scaleY, int regionWidth, int regionHeight);
