// Looping playback clocks. ANIMATION keeps a normalised position advanced by
// a fixed step per update and wrapped into [0, 1); KEYFRAME_ANIMATION adds
// frames of joint matrices picked (not blended) by the position.
#pragma once

#include "scene/math.h"

class ANIMATION {
public:
    virtual ~ANIMATION() = default;
    // advanced = 1; position += rate * step, wrapping at 1 and at 0 (sets wrapped).
    virtual void advance();

    float step = 1.0f / 240.0f;
    int advanced = 0;
    float rate = 1.0f;
    float position = 0.0f;
    bool wrapped = false;
};

struct AnimationFrame {
    int frameValue = 0;  // kept from the file, unused in playback
    int jointCount = 0;
    Matrix4* matrices = nullptr;  // one local matrix per joint index, owned
};

class KEYFRAME_ANIMATION : public ANIMATION {
public:
    KEYFRAME_ANIMATION() = default;
    KEYFRAME_ANIMATION(const KEYFRAME_ANIMATION&) = delete;  // owns its frames
    KEYFRAME_ANIMATION& operator=(const KEYFRAME_ANIMATION&) = delete;
    ~KEYFRAME_ANIMATION() override;
    // frameCount frames of jointCount identity matrices each.
    void allocateFrames(int count, int joints);
    // truncate((frameCount - 1) * position); -1 when there are no frames.
    int frameIndex() const;

    int frameCount = 0;
    int jointCount = 0;
    AnimationFrame* frames = nullptr;
};
