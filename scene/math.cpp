#include "scene/math.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

void matrixIdentity(Matrix4& out) {
    std::memset(out.m, 0, sizeof(out.m));
    out.m[0] = out.m[5] = out.m[10] = out.m[15] = 1.0f;
}

void matrixMultiply(Matrix4& out, const Matrix4& a, const Matrix4& b) {
    const float* x = a.m;
    const float* y = b.m;
    for (int i = 0; i < 4; ++i) {
        const float b0 = y[4 * i + 0], b1 = y[4 * i + 1], b2 = y[4 * i + 2], b3 = y[4 * i + 3];
        // Summed in index order k = 0..3, each product rounded to float.
        out.m[4 * i + 0] = x[0] * b0 + x[4] * b1 + x[8] * b2 + x[12] * b3;
        out.m[4 * i + 1] = x[1] * b0 + x[5] * b1 + x[9] * b2 + x[13] * b3;
        out.m[4 * i + 2] = x[2] * b0 + x[6] * b1 + x[10] * b2 + x[14] * b3;
        out.m[4 * i + 3] = x[3] * b0 + x[7] * b1 + x[11] * b2 + x[15] * b3;
    }
}

void matrixRotation(Matrix4& out, float angle, float ax, float ay, float az) {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    const float len = std::sqrt(ax * ax + ay * ay + az * az);
    if (len != 0.0f) {
        x = ax / len;
        y = ay / len;
        z = az / len;
    }
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    float* m = out.m;
    m[0] = x * x * t + c;
    m[1] = x * y * t - z * s;
    m[2] = x * z * t + y * s;
    m[3] = 0.0f;
    m[4] = x * y * t + z * s;
    m[5] = y * y * t + c;
    m[6] = y * z * t - x * s;
    m[7] = 0.0f;
    m[8] = x * z * t - y * s;
    m[9] = y * z * t + x * s;
    m[10] = z * z * t + c;
    m[11] = 0.0f;
    m[12] = m[13] = m[14] = 0.0f;
    m[15] = 1.0f;
}

void matrixTranslation(Matrix4& out, float tx, float ty, float tz) {
    matrixIdentity(out);
    out.m[12] = tx;
    out.m[13] = ty;
    out.m[14] = tz;
}

void matrixScale(Matrix4& out, float sx, float sy, float sz) {
    std::memset(out.m, 0, sizeof(out.m));
    out.m[0] = sx;
    out.m[5] = sy;
    out.m[10] = sz;
    out.m[15] = 1.0f;
}

void matrixFrustum(Matrix4& out, double left, double right, double bottom, double top, double nearZ, double farZ) {
    std::memset(out.m, 0, sizeof(out.m));
    out.m[0] = static_cast<float>(2.0 * nearZ / (right - left));
    out.m[5] = static_cast<float>(2.0 * nearZ / (top - bottom));
    out.m[8] = static_cast<float>((right + left) / (right - left));
    out.m[9] = static_cast<float>((top + bottom) / (top - bottom));
    out.m[10] = static_cast<float>(-(farZ + nearZ) / (farZ - nearZ));
    out.m[11] = -1.0f;
    out.m[14] = static_cast<float>(-2.0 * farZ * nearZ / (farZ - nearZ));
}

void matrixPerspective(Matrix4& out, double fovyDegrees, double aspect, double nearZ, double farZ) {
    const double top = std::tan(fovyDegrees * 0.008726646259971648) * nearZ;  // pi / 360
    const double right = top * aspect;
    matrixFrustum(out, -right, right, -top, top, nearZ, farZ);
}

void matrixPixelOrthographic(Matrix4& out, float width, float height) {
    std::memset(out.m, 0, sizeof(out.m));
    out.m[0] = 2.0f / width;
    out.m[5] = -2.0f / height;
    out.m[10] = 1.0f;
    out.m[12] = -1.0f;
    out.m[13] = 1.0f;
    out.m[15] = 1.0f;
}

bool matrixInverse(const Matrix4& a, Matrix4& out) {
    const float* m = a.m;
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] -
              m[8] * m[2] * m[5];

    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0f) return false;
    const float invDet = 1.0f / det;
    for (int i = 0; i < 16; ++i) out.m[i] = inv[i] * invDet;
    return true;
}

void matrixTranspose(Matrix4& out, const Matrix4& a) {
    Matrix4 t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t.m[4 * i + j] = a.m[4 * j + i];
    out = t;
}

void matrixCopy(Matrix4& out, const Matrix4& a) { out = a; }

void matrixTransformPoint(const Matrix4& m, const float in[4], float out[4]) {
    float r[4];
    for (int row = 0; row < 4; ++row)
        r[row] = m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
    for (int i = 0; i < 4; ++i) out[i] = r[i];
}

Vector3 vectorAdd(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector3 vectorSubtract(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3 vectorScale(Vector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

Vector3 vectorCross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float vectorLength(Vector3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

Vector3 vectorNormalise(Vector3 a) {
    const float len = vectorLength(a);
    if (len == 0.0f) return {0.0f, 0.0f, 0.0f};
    return {a.x / len, a.y / len, a.z / len};
}

Vector3 vectorTransform3x3(const float m3[9], Vector3 v) {
    return {m3[0] * v.x + m3[3] * v.y + m3[6] * v.z, m3[1] * v.x + m3[4] * v.y + m3[7] * v.z,
            m3[2] * v.x + m3[5] * v.y + m3[8] * v.z};
}

Quaternion quaternionFromEuler(float rx, float ry, float rz) {
    const float hx = rx * 0.5f, hy = ry * 0.5f, hz = rz * 0.5f;
    const float cx = std::cos(hx), sx = std::sin(hx);
    const float cy = std::cos(hy), sy = std::sin(hy);
    const float cz = std::cos(hz), sz = std::sin(hz);
    Quaternion q;
    q.w = cx * cy * cz + sx * sy * sz;
    q.x = sx * cy * cz - cx * sy * sz;
    q.y = cx * sy * cz + sx * cy * sz;
    q.z = cx * cy * sz - sx * sy * cz;
    const float len = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    q.w /= len;
    q.x /= len;
    q.y /= len;
    q.z /= len;
    return q;
}

void quaternionToMatrix(Matrix4& out, Quaternion q, float tx, float ty, float tz) {
    const float w = q.w, x = q.x, y = q.y, z = q.z;
    float* m = out.m;
    m[0] = 1.0f - 2.0f * (y * y + z * z);
    m[1] = 2.0f * (x * y - w * z);
    m[2] = 2.0f * (x * z + w * y);
    m[3] = 0.0f;
    m[4] = 2.0f * (x * y + w * z);
    m[5] = 1.0f - 2.0f * (x * x + z * z);
    m[6] = 2.0f * (y * z - w * x);
    m[7] = 0.0f;
    m[8] = 2.0f * (x * z - w * y);
    m[9] = 2.0f * (y * z + w * x);
    m[10] = 1.0f - 2.0f * (x * x + y * y);
    m[11] = 0.0f;
    m[12] = tx;
    m[13] = ty;
    m[14] = tz;
    m[15] = 1.0f;
}

void MatrixStack::create(int capacityInMatrices) {
    capacity = capacityInMatrices;
    items = static_cast<Matrix4*>(std::malloc(sizeof(Matrix4) * static_cast<size_t>(capacity)));
    for (int i = 0; i < capacity; ++i) matrixIdentity(items[i]);
    index = 0;
    top = items;
}

void MatrixStack::destroy() {
    std::free(items);
    items = nullptr;
    top = nullptr;
    capacity = 0;
    index = 0;
}

bool MatrixStack::push() {
    assert(index + 1 < capacity && "matrix stack overflow");
    if (index + 1 >= capacity) return false;
    items[index + 1] = items[index];
    ++index;
    top = items + index;
    return true;
}

bool MatrixStack::pop() {
    assert(index > 0 && "matrix stack underflow");
    if (index <= 0) return false;
    --index;
    top = items + index;
    return true;
}

void MatrixStack::multiplyTop(const Matrix4& m) {
    Matrix4 product;
    matrixMultiply(product, *top, m);
    *top = product;
}

void MatrixStack::loadIdentity() { matrixIdentity(*top); }
void MatrixStack::load(const Matrix4& m) { *top = m; }
void MatrixStack::readTop(Matrix4& out) const { out = *top; }

static MatrixStack* g_modelStack = nullptr;
MatrixStack* modelStack() { return g_modelStack; }
void setModelStack(MatrixStack* stack) { g_modelStack = stack; }
