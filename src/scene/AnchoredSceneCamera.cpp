#include "scene/AnchoredSceneCamera.h"

#include <algorithm>
#include <cmath>

CAnchoredSceneCamera::CAnchoredSceneCamera(CSceneObject* anchor_, const Vec3& anchorOffset_)
    : anchor(anchor_), anchorOffset(anchorOffset_) {}

CAnchoredSceneCamera::~CAnchoredSceneCamera() = default;

float CAnchoredSceneCamera::BelowAnchorFactor() const {
    if (!(pitch < 0.0f)) return 1.0f;
    // Below 45 degrees the camera would only get closer to the ground: the angle is capped.
    const float angle = pitch < -45.0f ? 45.0f : -pitch;
    // Maps 0..45 degrees onto 0..1.3464 radians, so the factor falls from 1 to about 0.2222.
    return std::cos(angle * 0.022222223f * 1.3463968f);
}

Vec3 CAnchoredSceneCamera::LookAtPoint() const {
    Vec3 target = anchorOffset * sizeFactor;
    if (anchor) {
        const Mat4 anchorMatrix = anchor->GetModelMatrix();
        target = target + Vec3(anchorMatrix[12], anchorMatrix[13], anchorMatrix[14]);
    }
    return target;
}

Vec3 CAnchoredSceneCamera::BackDirection() const {
    // The camera's own z axis: it looks along -z, so backing off along +z keeps the target in view.
    const Mat4 turned = Rotate(Rotate(Mat4(), yaw, kAxisY), -pitch, kAxisX);
    return Vec3(turned[8], turned[9], turned[10]);
}

float CAnchoredSceneCamera::FullBackOff() const { return distance * sizeFactor * BelowAnchorFactor(); }

void CAnchoredSceneCamera::Update() {
    transform = Mat4();
    const Vec3 target = LookAtPoint();
    transform[12] = target.x;
    transform[13] = target.y;
    transform[14] = target.z;

    transform = Rotate(transform, yaw, kAxisY);
    transform = Rotate(transform, -pitch, kAxisX);

    // Back off along the camera's own z axis: it looks along -z, so the target stays in view.
    const float backOff = std::min(FullBackOff(), backOffLimit);
    transform[12] += transform[8] * backOff;
    transform[13] += transform[9] * backOff;
    transform[14] += transform[10] * backOff;

    if (anchor) anchor->visible = !(backOff < kHideDistance || pitch < kHidePitch);

    viewMatrix = Inverse(GetModelMatrix());
}

void CAnchoredSceneCamera::Turn(float yawDelta, float pitchDelta) {
    yaw = std::fmod(yaw + yawDelta, 360.0f);
    pitch = std::clamp(pitch + pitchDelta, -kMaxPitch, kMaxPitch);
}

void CAnchoredSceneCamera::SetDistance(float newDistance) {
    distance = std::clamp(newDistance, kMinDistance, kMaxDistance);
}

void CAnchoredSceneCamera::SetSizeFactor(float factor) { sizeFactor = std::clamp(factor, kMinSizeFactor, 1.0f); }
