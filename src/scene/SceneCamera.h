#pragma once
// A camera is a scene object whose transform places it in the world; its view matrix is the
// world-to-camera matrix the renderer reads. The projection belongs to the window.

#include "scene/SceneObject.h"

class CSceneCamera : public CSceneObject {
public:
    CSceneCamera();
    ~CSceneCamera() override;

    // Runs once per play-state update for the active camera: the view is the inverse of where
    // the camera stands.
    virtual void Update();
    // For views computed elsewhere (the sun's light camera, the power-up projectors).
    void SetViewMatrix(const Mat4& view) { viewMatrix = view; }

    Mat4 viewMatrix;
};
