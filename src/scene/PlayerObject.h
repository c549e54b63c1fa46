#pragma once
// The chocolate figure: a model tree whose geometry lives in its children, plus the player's
// game state. The model manager builds it once; every level reuses it.

#include "scene/SceneGeoObject.h"

class CAnchoredSceneCamera;

class CPlayerObject : public CSceneGeoObject {
public:
    // Scale 0.02: the figure is modelled fifty times too large.
    CPlayerObject();
    ~CPlayerObject() override;

    // Added to the world corners, scaled by `life`, to place the sun test's sample points: the
    // bottom corners rise and the top corners sink by half a unit.
    Vec3 sunProbeOffsets[8] = {{0.0f, 0.5f, 0.0f},  {0.0f, 0.5f, 0.0f},  {0.0f, -0.5f, 0.0f}, {0.0f, -0.5f, 0.0f},
                               {0.0f, 0.5f, 0.0f},  {0.0f, 0.5f, 0.0f},  {0.0f, -0.5f, 0.0f}, {0.0f, -0.5f, 0.0f}};
    CAnchoredSceneCamera* camera = nullptr;  // not owned; the play state's following camera
    int32_t walkState = 2;                   // 0 walking, 2 standing
    // Nodes of the player model found by name; not owned (they are children of the tree).
    CSceneObject* leftHand = nullptr;
    CSceneObject* rightHand = nullptr;
    CSceneObject* leftLeg = nullptr;
    CSceneObject* rightLeg = nullptr;
    CSceneObject* umbrella = nullptr;
    bool milkPicked = false;
    float life = 1.0f;          // 1 full, 0 dead
    float sunExposure = 0.0f;   // last sun value, 0..1
    float umbrellaTime = 0.0f;  // seconds of umbrella protection left
};
