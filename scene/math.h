// Single-precision math shared by everything that places or draws: 4x4
// matrices in OpenGL's column-major layout (element (r, c) at m[4c + r],
// points are column vectors), 3-vectors, quaternions (w, x, y, z) and
// fixed-capacity matrix stacks. Angles are radians, except the vertical
// field of view of the perspective builders (degrees).
#pragma once

struct Matrix4 {
    float m[16];
};

struct Vector3 {
    float x, y, z;
};

struct Quaternion {
    float w, x, y, z;
};

// ---- matrices ------------------------------------------------------------

void matrixIdentity(Matrix4& out);
// out = a * b. out must not alias a or b.
void matrixMultiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
// Axis-angle rotation; the axis need not be unit length. With the layout
// above this is the transpose of the usual right-handed matrix.
void matrixRotation(Matrix4& out, float angle, float ax, float ay, float az);
void matrixTranslation(Matrix4& out, float tx, float ty, float tz);
void matrixScale(Matrix4& out, float sx, float sy, float sz);
// Computed in double, stored as float. m[15] = 0.
void matrixPerspective(Matrix4& out, double fovyDegrees, double aspect, double nearZ, double farZ);
void matrixFrustum(Matrix4& out, double left, double right, double bottom, double top, double nearZ, double farZ);
// Pixel x 0..width to -1..1, pixel y 0..height to 1..-1, z unchanged.
void matrixPixelOrthographic(Matrix4& out, float width, float height);
// General inverse by cofactors. Returns false and leaves out untouched when
// the determinant is exactly zero.
bool matrixInverse(const Matrix4& a, Matrix4& out);
void matrixTranspose(Matrix4& out, const Matrix4& a);
void matrixCopy(Matrix4& out, const Matrix4& a);
// p' = M * p for the point (x, y, z, w).
void matrixTransformPoint(const Matrix4& m, const float in[4], float out[4]);

// ---- vectors -------------------------------------------------------------

Vector3 vectorAdd(Vector3 a, Vector3 b);
Vector3 vectorSubtract(Vector3 a, Vector3 b);
Vector3 vectorScale(Vector3 a, float s);
Vector3 vectorCross(Vector3 a, Vector3 b);
// A zero-length vector yields (0, 0, 0).
Vector3 vectorNormalise(Vector3 a);
float vectorLength(Vector3 a);
// v' = M3 * v with M3 nine floats, column-major.
Vector3 vectorTransform3x3(const float m3[9], Vector3 v);

// ---- quaternions ---------------------------------------------------------

// The rotation Rz * Ry * Rx (X applied first), normalised.
Quaternion quaternionFromEuler(float rx, float ry, float rz);
// Like matrixRotation, the transpose of the usual matrix: the inverse rotation.
void quaternionToMatrix(Matrix4& out, Quaternion q, float tx, float ty, float tz);

// ---- matrix stack --------------------------------------------------------

// A fixed-capacity stack whose push duplicates the top. Users push and pop in
// strict pairs; a push beyond capacity or a pop below the bottom is refused
// (and asserts in debug builds) so nothing outside the array is touched.
struct MatrixStack {
    int capacity = 0;
    int index = 0;
    Matrix4* top = nullptr;
    Matrix4* items = nullptr;

    void create(int capacityInMatrices);
    void destroy();
    bool push();
    bool pop();
    void multiplyTop(const Matrix4& m);  // top = top * m
    void loadIdentity();
    void load(const Matrix4& m);  // top = m
    void readTop(Matrix4& out) const;
};

// The engine's model stack (64 entries), created by the renderer's start-up.
MatrixStack* modelStack();
void setModelStack(MatrixStack* stack);
