#pragma once
// Small linear-algebra kit shared by the renderer, the scene and the gameplay code.
//
// Mat4 stores sixteen floats column-major (row r, column c at index c*4 + r), exactly as
// OpenGL takes a 4x4 uniform matrix without transposing. Products are written in
// mathematical order in comments (view * model); the helper Multiply(a, b) computes b * a,
// i.e. its first operand is the transform applied first.

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    Vec3() = default;
    Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, float s);
float Dot(const Vec3& a, const Vec3& b);
Vec3 Cross(const Vec3& a, const Vec3& b);
float Length(const Vec3& v);
Vec3 Normalize(const Vec3& v);

struct Mat4 {
    float m[16];
    Mat4();  // identity
    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    // Element at row r, column c.
    float& At(int r, int c) { return m[c * 4 + r]; }
    float At(int r, int c) const { return m[c * 4 + r]; }
};

// out[i*4 + j] = sum_k a[i*4 + k] * b[k*4 + j]: the mathematical product b * a.
Mat4 Multiply(const Mat4& a, const Mat4& b);
// General inverse by cofactors; a singular matrix gives non-finite values (not checked).
Mat4 Inverse(const Mat4& a);
Mat4 Transpose(const Mat4& a);
// Upper-left 3x3 of transpose(inverse(m)), column-major, ready for a 3x3 uniform matrix of OpenGL.
void NormalMatrix(const Mat4& m, float out[9]);

Mat4 Perspective(float fovYDegrees, float aspect, float zNear, float zFar);
Mat4 Orthographic(float left, float right, float bottom, float top, float zNear, float zFar);
Mat4 LookAt(const Vec3& eye, const Vec3& centre, const Vec3& up);
// Maps clip space -1..1 to texture space 0..1 on every axis (shadow lookups).
Mat4 BiasMatrix();
// Transforms a point (w = 1) by m.
Vec3 TransformPoint(const Mat4& m, const Vec3& p);

// The unit axes that rotations in scene and gameplay code name.
inline const Vec3 kAxisX{1.0f, 0.0f, 0.0f};
inline const Vec3 kAxisY{0.0f, 1.0f, 0.0f};
inline const Vec3 kAxisZ{0.0f, 0.0f, 1.0f};
// m * R, with R the rotation by angleDegrees about the normalised axis: the rotation happens
// in m's local frame, and m's translation column stays as it is.
Mat4 Rotate(const Mat4& m, float angleDegrees, const Vec3& axis);
