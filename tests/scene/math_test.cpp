#include <gtest/gtest.h>

#include <cmath>

#include "scene/math.h"

static void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

static Matrix4 filledMatrix(float first) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = first + static_cast<float>(i);
    return m;
}

TEST(Math, RotationAboutZTurnsClockwise) {
    Matrix4 r;
    matrixRotation(r, 1.5707963f, 0.0f, 0.0f, 1.0f);
    const float p[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    float q[4];
    matrixTransformPoint(r, p, q);
    EXPECT_NEAR(q[0], 0.0f, 1e-6f);
    EXPECT_NEAR(q[1], -1.0f, 1e-6f);
    EXPECT_NEAR(q[2], 0.0f, 1e-6f);
    EXPECT_EQ(q[3], 1.0f);
    // The sign pattern is stored data's contract: m[1] = -z*s, m[4] = +z*s.
    EXPECT_NEAR(r.m[1], -1.0f, 1e-6f);
    EXPECT_NEAR(r.m[4], 1.0f, 1e-6f);
}

TEST(Math, RotationSignsAboutXAndY) {
    Matrix4 r;
    const float s = std::sin(0.3f);
    matrixRotation(r, 0.3f, 2.0f, 0.0f, 0.0f);  // axis need not be unit length
    EXPECT_NEAR(r.m[6], -s, 1e-6f);
    EXPECT_NEAR(r.m[9], s, 1e-6f);
    EXPECT_NEAR(r.m[0], 1.0f, 1e-6f);
    matrixRotation(r, 0.3f, 0.0f, 5.0f, 0.0f);
    EXPECT_NEAR(r.m[2], s, 1e-6f);
    EXPECT_NEAR(r.m[8], -s, 1e-6f);
}

TEST(Math, RotationWithZeroAxisScalesByCosine) {
    Matrix4 r;
    matrixRotation(r, 0.7f, 0.0f, 0.0f, 0.0f);
    const float c = std::cos(0.7f);
    for (int i = 0; i < 16; ++i) {
        float expected = 0.0f;
        if (i == 0 || i == 5 || i == 10) expected = c;
        if (i == 15) expected = 1.0f;
        EXPECT_FLOAT_EQ(r.m[i], expected) << "element " << i;
    }
}

TEST(Math, MultiplyOrder) {
    const Matrix4 a = filledMatrix(1.0f);
    Matrix4 identity, out;
    matrixIdentity(identity);
    matrixMultiply(out, a, identity);
    expectMatrixNear(out, a, 0.0f);
    matrixMultiply(out, identity, a);
    expectMatrixNear(out, a, 0.0f);

    // B: rotation of 90 degrees about z with its own translation.
    Matrix4 b;
    matrixRotation(b, 1.5707963f, 0.0f, 0.0f, 1.0f);
    b.m[12] = 10.0f;
    b.m[13] = 20.0f;
    b.m[14] = 30.0f;
    Matrix4 t;
    matrixTranslation(t, 1.0f, 2.0f, 3.0f);

    // Translation on the left moves B's translation column by t.
    matrixMultiply(out, t, b);
    EXPECT_NEAR(out.m[12], 11.0f, 1e-5f);
    EXPECT_NEAR(out.m[13], 22.0f, 1e-5f);
    EXPECT_NEAR(out.m[14], 33.0f, 1e-5f);
    EXPECT_NEAR(out.m[1], b.m[1], 1e-6f);

    // Translation on the right adds B's 3x3 part times t: (2, -1, 3) here.
    matrixMultiply(out, b, t);
    EXPECT_NEAR(out.m[12], 12.0f, 1e-5f);
    EXPECT_NEAR(out.m[13], 19.0f, 1e-5f);
    EXPECT_NEAR(out.m[14], 33.0f, 1e-5f);
}

TEST(Math, MultiplyMatchesRowColumnFormula) {
    const Matrix4 a = filledMatrix(1.0f);
    const Matrix4 b = filledMatrix(-7.0f);
    Matrix4 out;
    matrixMultiply(out, a, b);
    // (row 1, column 2) = sum over k of a(1, k) * b(k, 2).
    float expected = 0.0f;
    for (int k = 0; k < 4; ++k) expected += a.m[4 * k + 1] * b.m[4 * 2 + k];
    EXPECT_EQ(out.m[4 * 2 + 1], expected);
}

TEST(Math, InverseOfGeneralMatrix) {
    Matrix4 rotation, translation, scale, tmp, a;
    matrixRotation(rotation, 0.8f, 1.0f, 2.0f, 3.0f);
    matrixTranslation(translation, 5.0f, -3.0f, 2.0f);
    matrixScale(scale, 2.0f, 3.0f, 0.5f);
    matrixMultiply(tmp, translation, rotation);
    matrixMultiply(a, tmp, scale);
    // A full bottom row, so that every term of every cofactor matters.
    a.m[3] = 0.25f;
    a.m[7] = -0.5f;
    a.m[11] = 0.125f;

    Matrix4 inverse, product, identity;
    ASSERT_TRUE(matrixInverse(a, inverse));
    matrixMultiply(product, a, inverse);
    matrixIdentity(identity);
    expectMatrixNear(product, identity, 1e-5f);
    matrixMultiply(product, inverse, a);
    expectMatrixNear(product, identity, 1e-5f);
}

TEST(Math, InverseOfSingularMatrixLeavesOutputUntouched) {
    Matrix4 zero = {};
    const Matrix4 before = filledMatrix(3.0f);
    Matrix4 out = before;
    EXPECT_FALSE(matrixInverse(zero, out));
    expectMatrixNear(out, before, 0.0f);

    Matrix4 rankThree;
    matrixScale(rankThree, 1.0f, 0.0f, 1.0f);
    EXPECT_FALSE(matrixInverse(rankThree, out));
    expectMatrixNear(out, before, 0.0f);
}

TEST(Math, PerspectiveValues) {
    Matrix4 p;
    matrixPerspective(p, 60.0, 1.0, 50.0, 50000.0);
    const double cotangent = 1.0 / std::tan(30.0 * 3.14159265358979323846 / 180.0);
    EXPECT_FLOAT_EQ(p.m[0], static_cast<float>(cotangent));
    EXPECT_FLOAT_EQ(p.m[5], static_cast<float>(cotangent));
    EXPECT_FLOAT_EQ(p.m[10], static_cast<float>(-50050.0 / 49950.0));
    EXPECT_FLOAT_EQ(p.m[14], static_cast<float>(-2.0 * 50000.0 * 50.0 / 49950.0));
    EXPECT_EQ(p.m[11], -1.0f);
    EXPECT_EQ(p.m[15], 0.0f);
    EXPECT_EQ(p.m[8], 0.0f);
    EXPECT_EQ(p.m[9], 0.0f);

    // Aspect widens x only.
    matrixPerspective(p, 60.0, 2.0, 50.0, 50000.0);
    EXPECT_FLOAT_EQ(p.m[0], static_cast<float>(cotangent / 2.0));
    EXPECT_FLOAT_EQ(p.m[5], static_cast<float>(cotangent));
}

TEST(Math, FrustumOffCentre) {
    Matrix4 p;
    matrixFrustum(p, -1.0, 3.0, -2.0, 2.0, 1.0, 11.0);
    EXPECT_FLOAT_EQ(p.m[0], 0.5f);
    EXPECT_FLOAT_EQ(p.m[5], 0.5f);
    EXPECT_FLOAT_EQ(p.m[8], 0.5f);
    EXPECT_FLOAT_EQ(p.m[9], 0.0f);
    EXPECT_FLOAT_EQ(p.m[10], -1.2f);
    EXPECT_FLOAT_EQ(p.m[14], -2.2f);
}

TEST(Math, PixelOrthographicCorners) {
    Matrix4 o;
    matrixPixelOrthographic(o, 1920.0f, 1080.0f);
    const float topLeft[4] = {0.0f, 0.0f, 0.5f, 1.0f};
    const float bottomRight[4] = {1920.0f, 1080.0f, -0.25f, 1.0f};
    float q[4];
    matrixTransformPoint(o, topLeft, q);
    EXPECT_FLOAT_EQ(q[0], -1.0f);
    EXPECT_FLOAT_EQ(q[1], 1.0f);
    EXPECT_FLOAT_EQ(q[2], 0.5f);
    matrixTransformPoint(o, bottomRight, q);
    EXPECT_FLOAT_EQ(q[0], 1.0f);
    EXPECT_FLOAT_EQ(q[1], -1.0f);
    EXPECT_FLOAT_EQ(q[2], -0.25f);
}

TEST(Math, TransposeInPlace) {
    Matrix4 a = filledMatrix(0.0f);
    matrixTranspose(a, a);
    EXPECT_EQ(a.m[1], 4.0f);
    EXPECT_EQ(a.m[4], 1.0f);
    EXPECT_EQ(a.m[14], 11.0f);
    EXPECT_EQ(a.m[15], 15.0f);
}

TEST(Math, VectorOperations) {
    const Vector3 x = {1.0f, 0.0f, 0.0f}, y = {0.0f, 1.0f, 0.0f};
    const Vector3 z = vectorCross(x, y);
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);

    const Vector3 n = vectorNormalise({3.0f, 0.0f, 4.0f});
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    const Vector3 zero = vectorNormalise({0.0f, 0.0f, 0.0f});
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);

    // Column-major 3x3: the first three floats are the image of x.
    const float m3[9] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f};
    const Vector3 v = vectorTransform3x3(m3, {1.0f, 10.0f, 100.0f});
    EXPECT_EQ(v.x, 741.0f);
    EXPECT_EQ(v.y, 852.0f);
    EXPECT_EQ(v.z, 963.0f);
}

// The quaternion matrix, like matrixRotation, is the transpose of the usual
// one; from Euler angles it is the rotation Rz * Ry * Rx, so its transpose
// must equal the product of the three transposed axis rotations in reverse.
TEST(Math, QuaternionFromEulerMatchesAxisRotations) {
    const float rx = 0.4f, ry = -1.1f, rz = 2.3f;
    const Quaternion q = quaternionFromEuler(rx, ry, rz);
    EXPECT_NEAR(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z, 1.0f, 1e-6f);

    Matrix4 fromQuaternion;
    quaternionToMatrix(fromQuaternion, q, 7.0f, 8.0f, 9.0f);
    EXPECT_EQ(fromQuaternion.m[12], 7.0f);
    EXPECT_EQ(fromQuaternion.m[13], 8.0f);
    EXPECT_EQ(fromQuaternion.m[14], 9.0f);
    EXPECT_EQ(fromQuaternion.m[15], 1.0f);
    fromQuaternion.m[12] = fromQuaternion.m[13] = fromQuaternion.m[14] = 0.0f;

    Matrix4 mx, my, mz, xy, expected;
    matrixRotation(mx, rx, 1.0f, 0.0f, 0.0f);
    matrixRotation(my, ry, 0.0f, 1.0f, 0.0f);
    matrixRotation(mz, rz, 0.0f, 0.0f, 1.0f);
    // (Rz Ry Rx)^T = Rx^T Ry^T Rz^T, and matrixRotation gives the transposes.
    matrixMultiply(xy, mx, my);
    matrixMultiply(expected, xy, mz);
    expectMatrixNear(fromQuaternion, expected, 1e-5f);
}

TEST(Math, StackPushPopKeepsContents) {
    MatrixStack stack;
    stack.create(4);
    Matrix4 identity, t, s, read;
    matrixIdentity(identity);
    matrixTranslation(t, 1.0f, 2.0f, 3.0f);
    matrixScale(s, 2.0f, 2.0f, 2.0f);
    EXPECT_EQ(stack.top, stack.items);
    expectMatrixNear(stack.items[3], identity, 0.0f);

    stack.multiplyTop(t);
    Matrix4* const bottom = stack.top;
    const Matrix4 bottomContents = *stack.top;
    ASSERT_TRUE(stack.push());
    ASSERT_TRUE(stack.push());
    EXPECT_EQ(stack.index, 2);
    EXPECT_EQ(stack.top, stack.items + 2);
    expectMatrixNear(*stack.top, t, 0.0f);  // push duplicates the top

    stack.multiplyTop(s);  // top = T * S
    Matrix4 ts;
    matrixMultiply(ts, t, s);
    stack.readTop(read);
    expectMatrixNear(read, ts, 0.0f);

    ASSERT_TRUE(stack.pop());
    ASSERT_TRUE(stack.pop());
    EXPECT_EQ(stack.top, bottom);
    expectMatrixNear(*stack.top, bottomContents, 0.0f);
    // Pop does not restore or clear what was above.
    expectMatrixNear(stack.items[2], ts, 0.0f);
    stack.loadIdentity();
    expectMatrixNear(*stack.top, identity, 0.0f);
    stack.destroy();
}

// Going past either end is refused; debug builds stop at the assertion.
TEST(MathDeathTest, StackRefusesOverflowAndUnderflow) {
    MatrixStack stack;
    stack.create(2);
#ifdef NDEBUG
    EXPECT_FALSE(stack.pop());
    EXPECT_EQ(stack.index, 0);
    EXPECT_EQ(stack.top, stack.items);
    ASSERT_TRUE(stack.push());
    EXPECT_FALSE(stack.push());
    EXPECT_EQ(stack.index, 1);
    EXPECT_EQ(stack.top, stack.items + 1);
#else
    EXPECT_DEATH(stack.pop(), "underflow");
    ASSERT_TRUE(stack.push());
    EXPECT_DEATH(stack.push(), "overflow");
#endif
    stack.destroy();
}
