#pragma once
// Conversions between the game's column-major matrices and the physics library's transforms.

#include <btBulletDynamicsCommon.h>

#include <cmath>

#include "math/Matrix.h"

inline btVector3 ToBt(const Vec3& v) { return btVector3(v.x, v.y, v.z); }
inline Vec3 FromBt(const btVector3& v) { return Vec3(v.x(), v.y(), v.z()); }

// Reads the upper-left 3x3 of a column-major matrix as the basis and elements 12-14 as the
// origin; a scale in the matrix stays in the basis.
inline btTransform ToBtTransform(const Mat4& m) {
    btMatrix3x3 basis(m[0], m[4], m[8],
                      m[1], m[5], m[9],
                      m[2], m[6], m[10]);
    return btTransform(basis, btVector3(m[12], m[13], m[14]));
}

// Upper-left 3x3 of a column-major matrix (rotation only for scene transforms).
inline btMatrix3x3 BasisOf(const Mat4& m) {
    return btMatrix3x3(m[0], m[4], m[8],
                       m[1], m[5], m[9],
                       m[2], m[6], m[10]);
}

// Writes a rotation into columns 0-2 of a column-major matrix (fourth components 0).
inline void SetBasis(Mat4& m, const btMatrix3x3& basis) {
    for (int c = 0; c < 3; ++c) {
        const btVector3 column = basis.getColumn(c);
        m[c * 4 + 0] = column.x();
        m[c * 4 + 1] = column.y();
        m[c * 4 + 2] = column.z();
        m[c * 4 + 3] = 0.0f;
    }
}

inline bool IsFinite(const btVector3& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

inline bool IsFinite(const Mat4& m) {
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(m[i])) return false;
    return true;
}
