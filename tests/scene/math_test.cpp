#include <gtest/gtest.h>

#include "scene/math.h"

TEST(Math, RotationAboutZTurnsClockwise) {
    Matrix4 r;
    matrixRotation(r, 1.5707963f, 0.0f, 0.0f, 1.0f);
    const float p[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    float q[4];
    matrixTransformPoint(r, p, q);
    EXPECT_NEAR(q[0], 0.0f, 1e-6f);
    EXPECT_NEAR(q[1], -1.0f, 1e-6f);
}
