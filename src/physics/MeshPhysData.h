#pragma once
// What every scene object made from one model shares: the collision shape, the triangle mesh
// it was built from and, for static level geometry, the one static body.

#include "scene/PhysData.h"

class btCollisionShape;
class btStridingMeshInterface;
class btRigidBody;
struct CPhysicsWorldState;

class CMeshPhysData : public CPhysData {
public:
    explicit CMeshPhysData(CPhysicsWorldState* world);
    // Takes the static body out of the world and deletes it, then the shape, then the mesh.
    ~CMeshPhysData() override;

    // Called by a world torn down while this record still lives: the static body leaves the
    // world now, and the destructor no longer talks to it.
    void DetachFromWorld();

    btCollisionShape* shape = nullptr;               // owned
    btStridingMeshInterface* meshInterface = nullptr;  // owned; null where the shape keeps no mesh
    btRigidBody* staticBody = nullptr;                // owned; static level geometry only
    CPhysicsWorldState* world = nullptr;              // not owned
};
