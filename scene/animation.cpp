#include "scene/animation.h"

void ANIMATION::advance() {
    advanced = 1;
    if (step == 0.0f) return;
    // A stopped clock at exactly 0 would otherwise count as an underflow and
    // jump to 1 on every advance.
    if (rate == 0.0f) return;
    position += rate * step;
    if (position >= 1.0f || position <= 0.0f) {
        wrapped = true;
        if (rate > 0.0f)
            position -= 1.0f;
        else
            position += 1.0f;
    }
}

KEYFRAME_ANIMATION::~KEYFRAME_ANIMATION() {
    for (int i = 0; i < frameCount; ++i) delete[] frames[i].matrices;
    delete[] frames;
}

void KEYFRAME_ANIMATION::allocateFrames(int count, int joints) {
    for (int i = 0; i < frameCount; ++i) delete[] frames[i].matrices;
    delete[] frames;
    frames = nullptr;
    frameCount = 0;
    jointCount = 0;
    if (count <= 0) return;
    if (joints < 0) joints = 0;

    frames = new AnimationFrame[count];
    frameCount = count;
    jointCount = joints;
    for (int i = 0; i < count; ++i) {
        frames[i].jointCount = joints;
        frames[i].matrices = new Matrix4[joints];
        for (int j = 0; j < joints; ++j) matrixIdentity(frames[i].matrices[j]);
    }
}

int KEYFRAME_ANIMATION::frameIndex() const {
    if (frameCount <= 0) return -1;
    const float last = static_cast<float>(frameCount - 1);
    const float scaled = last * position;
    // The position stays in [0, 1) while advancing; one set from outside is
    // clamped before converting, so NaN and huge values cannot reach the cast.
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= last) return frameCount - 1;
    return static_cast<int>(scaled);
}
