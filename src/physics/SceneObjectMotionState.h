#pragma once
// Moves a scene object with its rigid body. The body's centre sits at `offset` (local, unscaled
// units) from the object's origin; the object's scale reaches the shape through its local
// scaling, so one shared shape serves objects of different sizes.

#include <btBulletDynamicsCommon.h>

class CSceneObject;

class CSceneObjectMotionState : public btMotionState {
public:
    CSceneObjectMotionState(CSceneObject* object, const btVector3& offset, btCollisionShape* shape);

    // The object's transform with the scaled, rotated offset added; sets the shape's scaling.
    void getWorldTransform(btTransform& worldTransform) const override;
    // Writes the body's rotation and position (less the offset) back; the scale stays.
    void setWorldTransform(const btTransform& worldTransform) override;

    CSceneObject* object;     // not owned
    btVector3 offset;         // four floats, the fourth 0
    btCollisionShape* shape;  // not owned
};
