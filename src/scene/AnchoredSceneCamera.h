#pragma once
// A camera that follows an anchor object (the player) from a distance and angles the player
// controls. It shortens its distance when it swings below the anchor, so it does not dig into
// the ground, comes no farther back than `backOffLimit` (scenery between it and the anchor),
// and hides the anchor when it gets inside it or looks up from beneath it.

#include <limits>

#include "scene/SceneCamera.h"

class CAnchoredSceneCamera : public CSceneCamera {
public:
    CAnchoredSceneCamera(CSceneObject* anchor, const Vec3& anchorOffset);
    ~CAnchoredSceneCamera() override;

    // Places the camera behind the look-at point and refreshes `viewMatrix`; also decides
    // whether the anchor is drawn.
    void Update() override;

    // The input side keeps the fields inside their bounds through these.
    // Yaw wraps with a floating-point remainder (keeping the sign of the sum); pitch stops just
    // short of straight up or down, where the view would flip.
    void Turn(float yawDelta, float pitchDelta);
    void SetDistance(float newDistance);  // clamped to [kMinDistance, kMaxDistance]
    void SetSizeFactor(float factor);     // clamped to [kMinSizeFactor, 1]

    // The point the camera looks at: above the anchor by the offset times the size factor.
    Vec3 LookAtPoint() const;
    // Unit vector from the look-at point towards the camera, for the current yaw and pitch.
    Vec3 BackDirection() const;
    // How far behind the look-at point the camera stands when nothing is in the way.
    float FullBackOff() const;
    // The camera stands no farther back than `backOffLimit` (scenery in the way); the chosen
    // `distance` is kept for when the way is clear again.
    void ReleaseObstruction() { backOffLimit = kUnobstructed; }

    // Multiplier of the distance for the current pitch: 1 from above or level, shrinking as the
    // camera swings below the anchor down to about 0.22 at 45 degrees and beyond.
    float BelowAnchorFactor() const;

    static constexpr float kMaxPitch = 89.9f;
    static constexpr float kMinDistance = 0.0f;
    static constexpr float kMaxDistance = 100.0f;
    // A melted figure still gets a usable view.
    static constexpr float kMinSizeFactor = 0.2f;
    // Closer than this the camera is inside the figure; below this pitch it looks up through it.
    static constexpr float kHideDistance = 0.01f;
    static constexpr float kHidePitch = -80.0f;
    static constexpr float kUnobstructed = std::numeric_limits<float>::infinity();

    CSceneObject* anchor;     // not owned; must outlive the camera
    float yaw = 0.0f;         // degrees about world y
    float pitch = 45.0f;      // degrees; positive looks down on the anchor
    float distance = 10.0f;   // from the look-at point, before `sizeFactor`
    float sizeFactor = 1.0f;  // multiplies `anchorOffset` and the distance (the player's life)
    Vec3 anchorOffset;        // look-at point relative to the anchor's position
    float backOffLimit = kUnobstructed;  // set by whoever keeps the anchor in sight
};
