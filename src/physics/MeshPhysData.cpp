#include "physics/MeshPhysData.h"

#include <algorithm>

#include "physics/PhysicsWorldState.h"

CMeshPhysData::CMeshPhysData(CPhysicsWorldState* world_) : world(world_) {
    if (world) world->meshRecords.push_back(this);
}

void CMeshPhysData::DetachFromWorld() {
    if (!world) return;
    if (staticBody) world->dynamicsWorld->removeCollisionObject(staticBody);
    auto& records = world->meshRecords;
    records.erase(std::remove(records.begin(), records.end(), this), records.end());
    world = nullptr;
}

CMeshPhysData::~CMeshPhysData() {
    DetachFromWorld();
    delete staticBody;
    delete shape;
    delete meshInterface;
}
