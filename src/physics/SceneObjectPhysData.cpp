#include "physics/SceneObjectPhysData.h"

#include <algorithm>

#include "physics/PhysicsWorldState.h"

CSceneObjectPhysData::CSceneObjectPhysData(CPhysicsWorldState* world_) : world(world_) {
    if (world) world->objectRecords.push_back(this);
}

void CSceneObjectPhysData::DetachFromWorld() {
    if (!world) return;
    if (collisionObject) {
        // Only trigger and power-up ghosts carry a user pointer.
        if (collisionObject->getUserPointer()) {
            CPhysicsWorldState::RemoveGhost(world->triggerGhosts, collisionObject);
            CPhysicsWorldState::RemoveGhost(world->powerupGhosts, collisionObject);
        }
        world->dynamicsWorld->removeCollisionObject(collisionObject);
    }
    auto& records = world->objectRecords;
    records.erase(std::remove(records.begin(), records.end(), this), records.end());
    world = nullptr;
}

CSceneObjectPhysData::~CSceneObjectPhysData() {
    DetachFromWorld();
    delete collisionObject;
    delete ownShape;
    delete motionState;
}
