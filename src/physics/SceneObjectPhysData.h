#pragma once
// One scene object's link to the physics: its motion state, its rigid body or ghost, a shape of
// its own where the model's shape is not shared, and the filter it was added with.

#include <cstdint>
#include <functional>

#include "scene/PhysData.h"

class btMotionState;
class btCollisionObject;
class btCollisionShape;
struct CPhysicsWorldState;

class CSceneObjectPhysData : public CPhysData {
public:
    explicit CSceneObjectPhysData(CPhysicsWorldState* world);
    // A trigger's or power-up's ghost leaves the world's ghost lists first, then the object
    // leaves the world and is deleted; then the own shape and the motion state go.
    ~CSceneObjectPhysData() override;

    // Called by a world torn down while this record still lives (see CMeshPhysData).
    void DetachFromWorld();

    btMotionState* motionState = nullptr;          // owned; null for ghosts
    btCollisionObject* collisionObject = nullptr;  // owned
    btCollisionShape* ownShape = nullptr;          // owned; null when the model's shape is used
    // A power-up's ghost: what to do after a sub-step in which the push box touches it.
    std::function<void()> touched;
    int32_t collisionGroup = 0;
    int32_t collisionMask = 0;
    CPhysicsWorldState* world = nullptr;  // not owned
};
