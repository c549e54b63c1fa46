#include "math/Matrix.h"

#include <cmath>

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
Vec3 Normalize(const Vec3& v) {
    float len = Length(v);
    return len > 0.0f ? v * (1.0f / len) : v;
}

Mat4::Mat4() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
    Mat4 out;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[i * 4 + k] * b.m[k * 4 + j];
            out.m[i * 4 + j] = sum;
        }
    return out;
}

Mat4 Inverse(const Mat4& in) {
    const float* a = in.m;
    Mat4 out;
    float* inv = out.m;
    // Cofactor expansion; the array layout does not matter for the inverse because
    // (A^T)^-1 = (A^-1)^T.
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];

    // Determinant along the first row.
    float det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    float invDet = 1.0f / det;
    for (int i = 0; i < 16; ++i) inv[i] *= invDet;
    return out;
}

Mat4 Transpose(const Mat4& a) {
    Mat4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.At(r, c) = a.At(c, r);
    return out;
}

void NormalMatrix(const Mat4& m, float out[9]) {
    Mat4 n = Transpose(Inverse(m));
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) out[c * 3 + r] = n.At(r, c);
}

Mat4 Perspective(float fovYDegrees, float aspect, float zNear, float zFar) {
    const float pi = 3.14159265358979323846f;
    float top = zNear * std::tan(fovYDegrees * pi / 360.0f);
    float right = top * aspect;
    Mat4 p;
    for (float& v : p.m) v = 0.0f;
    p.m[0] = 2.0f * zNear / (2.0f * right);
    p.m[5] = 2.0f * zNear / (2.0f * top);
    p.m[10] = -(zFar + zNear) / (zFar - zNear);
    p.m[11] = -1.0f;
    p.m[14] = -2.0f * zFar * zNear / (zFar - zNear);
    return p;
}

Mat4 Orthographic(float l, float r, float b, float t, float n, float f) {
    Mat4 o;
    for (float& v : o.m) v = 0.0f;
    o.m[0] = 2.0f / (r - l);
    o.m[5] = 2.0f / (t - b);
    o.m[10] = -2.0f / (f - n);
    o.m[12] = -(r + l) / (r - l);
    o.m[13] = -(t + b) / (t - b);
    o.m[14] = -(f + n) / (f - n);
    o.m[15] = 1.0f;
    return o;
}

Mat4 LookAt(const Vec3& eye, const Vec3& centre, const Vec3& up) {
    Vec3 f = Normalize(centre - eye);
    Vec3 s = Normalize(Cross(f, up));
    Vec3 u = Cross(s, f);
    Mat4 v;
    v.At(0, 0) = s.x;  v.At(0, 1) = s.y;  v.At(0, 2) = s.z;
    v.At(1, 0) = u.x;  v.At(1, 1) = u.y;  v.At(1, 2) = u.z;
    v.At(2, 0) = -f.x; v.At(2, 1) = -f.y; v.At(2, 2) = -f.z;
    v.At(0, 3) = -Dot(s, eye);
    v.At(1, 3) = -Dot(u, eye);
    v.At(2, 3) = Dot(f, eye);
    return v;
}

Mat4 BiasMatrix() {
    Mat4 b;
    b.m[0] = b.m[5] = b.m[10] = 0.5f;
    b.m[12] = b.m[13] = b.m[14] = 0.5f;
    return b;
}

Vec3 TransformPoint(const Mat4& m, const Vec3& p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[8] * p.z + m.m[12],
            m.m[1] * p.x + m.m[5] * p.y + m.m[9] * p.z + m.m[13],
            m.m[2] * p.x + m.m[6] * p.y + m.m[10] * p.z + m.m[14]};
}

Mat4 Rotate(const Mat4& m, float angleDegrees, const Vec3& axis) {
    const float radians = angleDegrees * 0.017453292f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    const float t = 1.0f - c;
    const Vec3 n = Normalize(axis);
    const float x = n.x, y = n.y, z = n.z;
    // Columns of R (upper 3x3 only; R's translation is zero and its w row is (0,0,0,1)).
    const float r[3][3] = {
        {c + t * x * x, t * x * y + s * z, t * x * z - s * y},
        {t * x * y - s * z, c + t * y * y, t * y * z + s * x},
        {t * x * z + s * y, t * y * z - s * x, c + t * z * z},
    };
    Mat4 out = m;
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 4; ++row)
            out.m[col * 4 + row] =
                m.m[0 * 4 + row] * r[col][0] + m.m[1 * 4 + row] * r[col][1] + m.m[2 * 4 + row] * r[col][2];
    return out;
}
