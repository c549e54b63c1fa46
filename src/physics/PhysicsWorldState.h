#pragma once
// The private state of CPhysicsWorld. The physics records and the character keep a pointer to
// it to leave the world when they die.

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

#include "physics/PhysDebugDrawer.h"

class CPhysicsWorld;
class CMeshPhysData;
class CSceneObjectPhysData;
class CPhysCharacterImpl;

struct CPhysicsWorldState {
    explicit CPhysicsWorldState(CPhysicsWorld* owner);
    // Deletes the dynamics world, solver, broadphase, dispatcher, configuration and the ghost
    // pair callback in that order (the library's objects refer to each other in that direction).
    ~CPhysicsWorldState();
    CPhysicsWorldState(const CPhysicsWorldState&) = delete;
    CPhysicsWorldState& operator=(const CPhysicsWorldState&) = delete;

    // Removes a ghost from one of the ghost lists: the first match, the order of the rest kept.
    static void RemoveGhost(std::vector<btPairCachingGhostObject*>& list, const btCollisionObject* ghost);

    CPhysicsWorld* owner;  // not owned
    std::unique_ptr<btDiscreteDynamicsWorld> dynamicsWorld;
    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btAxisSweep3> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btGhostPairCallback> ghostPairCallback;
    std::vector<btPairCachingGhostObject*> triggerGhosts;  // not owned, in the order added
    std::vector<btPairCachingGhostObject*> powerupGhosts;  // not owned, in the order added
    CPhysDebugDrawer debugDrawer;

    // Every record and character still linked to this world. Their owners are meant to delete
    // them before the world goes; a world destroyed earlier detaches the rest, so a late delete
    // cannot touch freed memory.
    std::vector<CMeshPhysData*> meshRecords;
    std::vector<CSceneObjectPhysData*> objectRecords;
    std::vector<CPhysCharacterImpl*> characters;
    bool reportedBadRay = false;
    // Seconds passed but not yet simulated: always less than one sub-step after a Step.
    btScalar pendingTime = 0.0f;
    // Set by Step: the library has just placed the kinematic bodies for the first sub-step.
    bool kinematicBodiesPlaced = false;
};
