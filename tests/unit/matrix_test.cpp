// Matrix helpers against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/Matrix.h"

namespace {

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

void ExpectNear(const Mat4& a, const Mat4& b, float tolerance) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

TEST(Matrix, StorageIsColumnMajorAndDefaultIsIdentity) {
    Mat4 identity;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(identity.m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    Mat4 t = Translation(1, 2, 3);
    EXPECT_EQ(t.At(0, 3), 1.0f);
    EXPECT_EQ(t.m[13], 2.0f);
}

TEST(Matrix, MultiplyAppliesTheFirstOperandFirst) {
    // Scale by 2 then translate by (1,0,0): the point (1,0,0) goes to (3,0,0).
    Mat4 scale = FromRows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1});
    Mat4 translate = Translation(1, 0, 0);
    Vec3 p = TransformPoint(Multiply(scale, translate), Vec3(1, 0, 0));
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    // The other order translates first: (1+1)*2 = 4.
    EXPECT_FLOAT_EQ(TransformPoint(Multiply(translate, scale), Vec3(1, 0, 0)).x, 4.0f);

    // A full product worked out by hand: Multiply(a, b) = b * a.
    Mat4 a = FromRows({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Mat4 b = FromRows({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    Mat4 expected = FromRows({1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});  // b * a
    ExpectNear(Multiply(a, b), expected, 0.0f);
}

TEST(Matrix, InverseOfRandomInvertibleMatricesGivesIdentity) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> value(-5.0f, 5.0f);
    for (int round = 0; round < 200; ++round) {
        Mat4 m;
        for (float& v : m.m) v = value(rng);
        // Keep well away from singular matrices by making the diagonal dominant.
        for (int d = 0; d < 4; ++d) m.At(d, d) += 25.0f;
        ExpectNear(Multiply(Inverse(m), m), Mat4(), 1e-4f);
        ExpectNear(Multiply(m, Inverse(m)), Mat4(), 1e-4f);
    }
    // An exact case: a translation's inverse is the opposite translation.
    ExpectNear(Inverse(Translation(3, -4, 5)), Translation(-3, 4, -5), 1e-6f);
}

TEST(Matrix, TransposeSwapsRowsAndColumns) {
    Mat4 m = FromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Mat4 t = Transpose(m);
    EXPECT_EQ(t.At(0, 1), 5.0f);
    EXPECT_EQ(t.At(3, 0), 4.0f);
    ExpectNear(Transpose(t), m, 0.0f);
}

TEST(Matrix, PerspectiveMatchesTheWindowProjection) {
    const float t = std::tan(22.5f * 3.14159265f / 180.0f);
    for (float aspect : {4.0f / 3.0f, 16.0f / 9.0f}) {
        Mat4 p = Perspective(45.0f, aspect, 0.1f, 200.0f);
        EXPECT_NEAR(p.m[0], 1.0f / (t * aspect), 1e-5f) << aspect;
        EXPECT_NEAR(p.m[5], 1.0f / t, 1e-5f);
        EXPECT_NEAR(p.m[10], -1.0010005f, 1e-6f);
        EXPECT_FLOAT_EQ(p.m[11], -1.0f);
        EXPECT_NEAR(p.m[14], -0.20010005f, 1e-6f);
        for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p.m[i], 0.0f) << i;
    }
    EXPECT_NEAR(Perspective(45.0f, 4.0f / 3.0f, 0.1f, 200.0f).m[0], 1.8106601f, 1e-5f);
    EXPECT_NEAR(Perspective(45.0f, 16.0f / 9.0f, 0.1f, 200.0f).m[0], 1.3579951f, 1e-5f);
}

TEST(Matrix, OrthographicMapsItsBoxOntoTheClipCube) {
    struct Box { float l, r, b, t, n, f; };
    for (const Box& box : {Box{-100, 100, -100, 100, 0.1f, 1000}, Box{-10, 10, -10, 10, 0.1f, 1.0f},
                           Box{0, 10, 0, 20, -1, 1}}) {
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

TEST(Matrix, LookAtRowsAndTranslation) {
    // From (0,0,5) towards the origin with y up: the identity rotation, translation -5 on z.
    Mat4 v = LookAt(Vec3(0, 0, 5), Vec3(0, 0, 0), Vec3(0, 1, 0));
    ExpectNear(v, Translation(0, 0, -5), 1e-6f);

    // Looking down from (2,10,3) with up (0,0,1), as the power-up projectors do.
    Vec3 eye(2, 10, 3);
    Mat4 down = LookAt(eye, Vec3(2, 0, 3), Vec3(0, 0, 1));
    // f = (0,-1,0), s = f x up = (-1,0,0), u = s x f = (0,0,1).
    EXPECT_NEAR(down.At(0, 0), -1.0f, 1e-6f);
    EXPECT_NEAR(down.At(1, 2), 1.0f, 1e-6f);
    EXPECT_NEAR(down.At(2, 1), 1.0f, 1e-6f);  // row -f
    EXPECT_NEAR(down.At(0, 3), 2.0f, 1e-6f);  // -(s . eye)
    EXPECT_NEAR(down.At(1, 3), -3.0f, 1e-6f); // -(u . eye)
    EXPECT_NEAR(down.At(2, 3), -10.0f, 1e-6f); // f . eye
    // The eye maps to the origin, the target straight ahead on -z.
    Vec3 e = TransformPoint(down, eye);
    EXPECT_NEAR(Length(e), 0.0f, 1e-5f);
    Vec3 target = TransformPoint(down, Vec3(2, 0, 3));
    EXPECT_NEAR(target.z, -10.0f, 1e-5f);
}

TEST(Matrix, NormalMatrixUndoesNonUniformScale) {
    Mat4 m = FromRows({2, 0, 0, 7, 0, 4, 0, 8, 0, 0, 8, 9, 0, 0, 0, 1});
    float n[9];
    NormalMatrix(m, n);
    const float expected[9] = {0.5f, 0, 0, 0, 0.25f, 0, 0, 0, 0.125f};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(n[i], expected[i], 1e-6f) << i;

    // For a rotation the normal matrix is the rotation itself (column-major 3x3).
    Mat4 rot = FromRows({0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    NormalMatrix(rot, n);
    EXPECT_NEAR(n[1], 1.0f, 1e-6f);   // row 1, column 0
    EXPECT_NEAR(n[3], -1.0f, 1e-6f);  // row 0, column 1
}

TEST(Matrix, BiasMapsClipSpaceToTextureSpace) {
    Mat4 b = BiasMatrix();
    Vec3 low = TransformPoint(b, Vec3(-1, -1, -1));
    Vec3 high = TransformPoint(b, Vec3(1, 1, 1));
    EXPECT_FLOAT_EQ(low.x, 0.0f);
    EXPECT_FLOAT_EQ(low.z, 0.0f);
    EXPECT_FLOAT_EQ(high.y, 1.0f);
}

}  // namespace
