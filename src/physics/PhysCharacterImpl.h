#pragma once
// The melting figure on the library's kinematic character controller. Its collision cylinder
// shrinks with the life the play state hands it (one of 200 prepared shapes, chosen every
// sub-step) and its ghost floats at a life-dependent offset above the figure's origin.

#include <BulletCollision/CollisionDispatch/btGhostObject.h>
#include <BulletDynamics/Character/btKinematicCharacterController.h>
#include <btBulletDynamicsCommon.h>

#include "physics/PhysCharacter.h"

class CPlayerObject;
struct CPhysicsWorldState;

// The library's controller has no way to change its shape after construction; the melting
// figure needs one every sub-step.
class CMeltingCharacterController : public btKinematicCharacterController {
public:
    using btKinematicCharacterController::btKinematicCharacterController;
    void SetConvexShape(btConvexShape* shape) { m_convexShape = shape; }
    btConvexShape* GetConvexShape() const { return m_convexShape; }
    // The library adds a new interval to what is left of the last one, so a velocity given
    // every frame would run on for as many seconds as frames were played. Here the newest
    // velocity replaces the old one and holds for its own interval.
    void ReplaceVelocity(const btVector3& velocity, btScalar interval) {
        m_velocityTimeInterval = 0.0f;
        setVelocityForTimeInterval(velocity, interval);
    }
    // With no velocity due the library skips its whole step, gravity and jumps included, which
    // would leave a standing figure hanging in the air. A zero walk keeps that step running.
    void KeepStepWhileIdle() {
        if (!m_useWalkDirection && (m_velocityTimeInterval <= 0.0f || m_walkDirection.fuzzyZero()))
            setWalkDirection(btVector3(0.0f, 0.0f, 0.0f));
    }
};

class CPhysCharacterImpl : public CPhysCharacter, public btActionInterface {
public:
    static const unsigned kShapeCount = 200;

    // Builds the shapes and the controller on `ghost` (which it then owns) and prints which
    // controller moves the player. Adding the ghost and the action is CreateCharacter's job.
    CPhysCharacterImpl(CPlayerObject* player, btPairCachingGhostObject* ghost, btDynamicsWorld* dynamicsWorld,
                       float fullRadius, float fullHalfHeight, float meltedRadius, float meltedHalfHeight,
                       const Vec3& fullOffset, const Vec3& meltedOffset, int collisionGroup, int collisionMask);
    // Deletes the controller, leaves the world (action, then ghost), deletes the ghost and the
    // shapes.
    ~CPhysCharacterImpl() override;
    CPhysCharacterImpl(const CPhysCharacterImpl&) = delete;
    CPhysCharacterImpl& operator=(const CPhysCharacterImpl&) = delete;

    void SetWalkVelocity(const Vec3& velocity) override;
    bool OnGround() override;
    void Jump() override;
    bool CanJump() override;
    void SetLife(float life) override;

    // Once per internal sub-step: pick shape and offset from the life, put the ghost at the
    // player, let the controller move it, and hand the result back to the player.
    void updateAction(btCollisionWorld* collisionWorld, btScalar deltaTime) override;
    void debugDraw(btIDebugDraw*) override {}

    // Shape index for a life value: 0 at full life, kShapeCount - 1 at none.
    static unsigned ShapeIndexForLife(float life);
    // Ghost centre above the player's origin for a life value.
    Vec3 OffsetForLife(float life) const;

    btPairCachingGhostObject* GetGhost() const { return ghost; }
    btCylinderShape* GetShape(unsigned index) const { return shapes[index]; }
    CMeltingCharacterController* GetController() const { return controller; }

    // Called by a world torn down while the character still lives.
    void DetachFromWorld();

    CPlayerObject* player;             // not owned; the character drives its transform
    btPairCachingGhostObject* ghost;   // owned
    btDynamicsWorld* dynamicsWorld;    // not owned; null once detached
    Vec3 walkVelocity;
    float lifeLeft = 1.0f;  // as last handed in by SetLife
    float fallSpeed = 30.0f;
    float gravity = 10.0f;
    float jumpSpeed = 5.0f;
    Vec3 fullOffset;
    Vec3 meltedOffset;
    int collisionGroup;
    int collisionMask;
    unsigned shapeCount = kShapeCount;
    btCylinderShape** shapes = nullptr;  // owned, index 0 the largest
    float fullRadius, fullHalfHeight;
    float meltedRadius, meltedHalfHeight;
    CMeltingCharacterController* controller = nullptr;  // owned
    CPhysicsWorldState* world = nullptr;                // not owned; set by CreateCharacter
    bool reportedBrokenTransform = false;               // one message per spell of bad input
};
