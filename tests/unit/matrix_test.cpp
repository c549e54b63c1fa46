// Matrix helpers against hand-computed values.
#include <gtest/gtest.h>

#include <random>

#include "math/Matrix.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectMatrixNear;

Mat4 FromRows(std::initializer_list<float> rowMajor) {
    Mat4 m;
    int i = 0;
    for (float v : rowMajor) {
        m.At(i / 4, i % 4) = v;
        ++i;
    }
    return m;
}

Mat4 Translation(float x, float y, float z) {
    Mat4 m;
    m.m[12] = x; m.m[13] = y; m.m[14] = z;
    return m;
}

TEST(Matrix, MultiplyAppliesTheFirstOperandFirst) {
    // Scale by 2 then translate by (1,0,0): the point (1,0,0) goes to (3,0,0); the other order gives 4.
    Mat4 scale = FromRows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
    Mat4 translate = Translation(1, 0, 0);
    EXPECT_FLOAT_EQ(TransformPoint(Multiply(scale, translate), Vec3(1, 0, 0)).x, 3.0f);
    EXPECT_FLOAT_EQ(TransformPoint(Multiply(translate, scale), Vec3(1, 0, 0)).x, 4.0f);
    // A full product worked out by hand: Multiply(a, b) = b * a.
    Mat4 a = FromRows({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Mat4 b = FromRows({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    ExpectMatrixNear(Multiply(a, b), FromRows({1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), 0.0f);
}

TEST(Matrix, InverseOfRandomInvertibleMatricesGivesIdentity) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> value(-5.0f, 5.0f);
    for (int round = 0; round < 200; ++round) {
        Mat4 m;
        for (float& v : m.m) v = value(rng);
        for (int d = 0; d < 4; ++d) m.At(d, d) += 25.0f;  // well away from singular
        ExpectMatrixNear(Multiply(Inverse(m), m), Mat4(), 1e-4f);
        ExpectMatrixNear(Multiply(m, Inverse(m)), Mat4(), 1e-4f);
    }
}

TEST(Matrix, OrthographicMapsItsBoxOntoTheClipCube) {
    struct Box { float l, r, b, t, n, f; };
    for (const Box& box : {Box{-100, 100, -100, 100, 0.1f, 1000}, Box{0, 10, 0, 20, -1, 1}}) {
        const Mat4 o = Orthographic(box.l, box.r, box.b, box.t, box.n, box.f);
        for (float sign : {-1.0f, 1.0f}) {
            const Vec3 p = TransformPoint(o, sign < 0 ? Vec3(box.l, box.b, -box.n) : Vec3(box.r, box.t, -box.f));
            EXPECT_NEAR(p.x, sign, 1e-5f);
            EXPECT_NEAR(p.y, sign, 1e-5f);
            EXPECT_NEAR(p.z, sign, 1e-5f);
        }
        EXPECT_EQ(o.m[3], 0.0f);
        EXPECT_EQ(o.m[15], 1.0f);
    }
}

TEST(Matrix, LookAtPutsTheEyeAtTheOriginAndTheTargetAhead) {
    ExpectMatrixNear(LookAt(Vec3(0, 0, 5), Vec3(0, 0, 0), Vec3(0, 1, 0)), Translation(0, 0, -5), 1e-6f);
    // Looking down from (2,10,3) with up (0,0,1), as the power-up projectors do.
    const Vec3 eye(2, 10, 3);
    const Mat4 down = LookAt(eye, Vec3(2, 0, 3), Vec3(0, 0, 1));
    EXPECT_NEAR(Length(TransformPoint(down, eye)), 0.0f, 1e-5f);
    EXPECT_NEAR(TransformPoint(down, Vec3(2, 0, 3)).z, -10.0f, 1e-5f);
    EXPECT_NEAR(TransformPoint(down, Vec3(2, 10, 4)).y, 1.0f, 1e-5f);  // up stays up
    EXPECT_NEAR(TransformPoint(down, Vec3(1, 10, 3)).x, 1.0f, 1e-5f);  // s = f x up = -x
}

TEST(Matrix, NormalMatrixUndoesNonUniformScale) {
    float n[9];
    NormalMatrix(FromRows({2, 0, 0, 7, 0, 4, 0, 8, 0, 0, 8, 9, 0, 0, 0, 1}), n);
    const float expected[9] = {0.5f, 0, 0, 0, 0.25f, 0, 0, 0, 0.125f};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(n[i], expected[i], 1e-6f) << i;
    // For a rotation the normal matrix is the rotation itself (column-major 3x3).
    NormalMatrix(FromRows({0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), n);
    EXPECT_NEAR(n[1], 1.0f, 1e-6f);
    EXPECT_NEAR(n[3], -1.0f, 1e-6f);
}

}  // namespace
