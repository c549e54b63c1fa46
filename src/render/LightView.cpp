#include "render/LightView.h"

#include <cmath>

namespace {

const Vec3 kDefaultUp{0.0f, 1.0f, 0.0f};
const Vec3 kPlanUp{0.0f, 0.0f, -1.0f};
const Vec3 kStraightDown{0.0f, -1.0f, 0.0f};
// Below this sine of the angle between sun and up vector the side vector of the look-at is
// too short to normalise reliably in single precision (about 0.06 degrees).
const float kMinSideLength = 1e-3f;

bool IsUsableDirection(const Vec3& d) {
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z)) return false;
    return Length(d) > 1e-6f;
}

}  // namespace

Mat4 LightProjection() { return Orthographic(-100.0f, 100.0f, -100.0f, 100.0f, 0.1f, 1000.0f); }

Mat4 LightNormMatrix() { return Multiply(LightProjection(), BiasMatrix()); }

Vec3 LightUpVector(const Vec3& sunDirection) {
    const Vec3 d = Normalize(sunDirection);
    return Length(Cross(d, kDefaultUp)) < kMinSideLength ? kPlanUp : kDefaultUp;
}

Mat4 LightViewMatrix(const Vec3& sunDirection) {
    const Vec3 d = IsUsableDirection(sunDirection) ? Normalize(sunDirection) : kStraightDown;
    const Vec3 eye = d * -kLightDistance;
    return LookAt(eye, Vec3(0.0f, 0.0f, 0.0f), LightUpVector(d));
}
