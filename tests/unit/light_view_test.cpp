// The sun's view for the shadow map, for every sun direction the keypad can reach.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "render/LightView.h"

namespace {

// The keypad's sun rotations (degrees about world X, then about world Y), as play applies them.
Vec3 RotateX(const Vec3& v, float degrees) {
    const float a = degrees * 0.017453292f;
    return {v.x, std::cos(a) * v.y - std::sin(a) * v.z, std::sin(a) * v.y + std::cos(a) * v.z};
}
Vec3 RotateY(const Vec3& v, float degrees) {
    const float a = degrees * 0.017453292f;
    return {std::cos(a) * v.x + std::sin(a) * v.z, v.y, std::cos(a) * v.z - std::sin(a) * v.x};
}

// Straight down, straight up, hair-breadth tilts off both, and every direction on a 3 degree
// grid of keypad turns (3 degrees is one frame of a held key at 60 frames per second).
std::vector<Vec3> ReachableSunDirections() {
    std::vector<Vec3> out = {{0, -1, 0}, {0, 1, 0}, {1e-6f, -1, 0}, {0, -1, 1e-5f}, {-1e-4f, 1, 1e-4f},
                             {0.3f, -0.8f, 0.2f}, {1, 0, 0}, {0, 0, -1}};
    for (int ax = 0; ax < 360; ax += 3)
        for (int ay = 0; ay < 360; ay += 15) out.push_back(Normalize(RotateY(RotateX({0, -1, 0}, float(ax)), float(ay))));
    return out;
}

bool AllFinite(const Mat4& m) {
    for (float v : m.m)
        if (!std::isfinite(v)) return false;
    return true;
}

Vec3 Row(const Mat4& m, int r) { return {m.At(r, 0), m.At(r, 1), m.At(r, 2)}; }

TEST(LightView, EveryReachableSunGivesAProperViewThatCastsShadowsAlongTheLight) {
    const Mat4 ln = LightNormMatrix();
    for (const Vec3& d : ReachableSunDirections()) {
        SCOPED_TRACE(testing::Message() << "sun " << d.x << ", " << d.y << ", " << d.z);
        const Mat4 view = LightViewMatrix(d);
        ASSERT_TRUE(AllFinite(view));
        // A rotation: orthonormal rows with determinant +1.
        const Vec3 s = Row(view, 0), u = Row(view, 1), b = Row(view, 2);
        EXPECT_NEAR(Length(s), 1.0f, 1e-4f);
        EXPECT_NEAR(Length(u), 1.0f, 1e-4f);
        EXPECT_NEAR(Dot(s, u), 0.0f, 1e-4f);
        EXPECT_NEAR(Dot(Cross(s, u), b), 1.0f, 1e-4f);
        // The world origin sits 500 units straight ahead of the light camera.
        const Vec3 origin = TransformPoint(view, {0, 0, 0});
        EXPECT_NEAR(Length(origin - Vec3(0, 0, -500)), 0.0f, 2e-2f);
        // An occluder 5 units towards the sun from a ground point falls on the same map texel
        // and is nearer to the light: the ground point is in its shadow.
        const Vec3 n = Normalize(d);
        for (const Vec3& ground : {Vec3(0, 0, 0), Vec3(40, 0, -30), Vec3(-20, 3, 45)}) {
            const Vec3 g = TransformPoint(ln, TransformPoint(view, ground));
            const Vec3 o = TransformPoint(ln, TransformPoint(view, ground - n * 5.0f));
            EXPECT_NEAR(g.x, o.x, 1e-5f);
            EXPECT_NEAR(g.y, o.y, 1e-5f);
            EXPECT_LT(o.z, g.z);
            EXPECT_GT(g.x, 0.0f);
            EXPECT_LT(g.x, 1.0f);
            EXPECT_GT(g.z, 0.0f);
            EXPECT_LT(g.z, 1.0f);
        }
    }
}

TEST(LightView, UnusableSunDirectionsFallBackToStraightDown) {
    const Mat4 down = LightViewMatrix({0, -1, 0});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Vec3& bad : {Vec3(0, 0, 0), Vec3(nan, -1, 0), Vec3(0, inf, 0)}) {
        const Mat4 view = LightViewMatrix(bad);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(view.m[i], down.m[i]) << "element " << i;
    }
    // A tiny but valid direction is a direction like any other.
    const Mat4 small = LightViewMatrix({0, -1e-3f, 0});
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(small.m[i], down.m[i], 1e-4f);
}

}  // namespace
