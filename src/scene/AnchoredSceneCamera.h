#pragma once
// A camera that follows an anchor object (the player) from a distance and angles the player
// controls.

#include "scene/SceneCamera.h"

class CAnchoredSceneCamera : public CSceneCamera {
public:
    CAnchoredSceneCamera(CSceneObject* anchor, const Vec3& anchorOffset);
    ~CAnchoredSceneCamera() override;

    CSceneObject* anchor;     // not owned; must outlive the camera
    float yaw = 0.0f;         // degrees about world y
    float pitch = 45.0f;      // degrees; positive looks down on the anchor
    float distance = 10.0f;   // from the look-at point, before `sizeFactor`
    float sizeFactor = 1.0f;  // multiplies `anchorOffset` and the distance (the player's life)
    Vec3 anchorOffset;        // look-at point relative to the anchor's position
};
