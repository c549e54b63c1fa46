#pragma once
// Closeness checks for vectors and matrices, element by element, each failure naming what
// differs. The tolerance is the caller's: each suite knows how exact its arithmetic is.

#include <gtest/gtest.h>

#include "math/Matrix.h"

namespace testsupport {

inline void ExpectVecNear(const Vec3& actual, const Vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

inline void ExpectMatrixNear(const Mat4& actual, const Mat4& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

}  // namespace testsupport
