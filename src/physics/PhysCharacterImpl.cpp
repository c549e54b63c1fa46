#include "physics/PhysCharacterImpl.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "physics/BulletConvert.h"
#include "physics/PhysicsWorldState.h"
#include "scene/PlayerObject.h"

namespace {
const btScalar kStepHeight = 0.35f;
}

CPhysCharacterImpl::CPhysCharacterImpl(CPlayerObject* player_, btPairCachingGhostObject* ghost_,
                                       btDynamicsWorld* dynamicsWorld_, float fullRadius_, float fullHalfHeight_,
                                       float meltedRadius_, float meltedHalfHeight_, const Vec3& fullOffset_,
                                       const Vec3& meltedOffset_, int collisionGroup_, int collisionMask_)
    : player(player_),
      ghost(ghost_),
      dynamicsWorld(dynamicsWorld_),
      fullOffset(fullOffset_),
      meltedOffset(meltedOffset_),
      collisionGroup(collisionGroup_),
      collisionMask(collisionMask_),
      fullRadius(fullRadius_),
      fullHalfHeight(fullHalfHeight_),
      meltedRadius(meltedRadius_),
      meltedHalfHeight(meltedHalfHeight_) {
    shapes = new btCylinderShape*[shapeCount];
    for (unsigned i = 0; i < shapeCount; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(shapeCount - 1);
        const float r = fullRadius + (meltedRadius - fullRadius) * t;
        const float h = fullHalfHeight + (meltedHalfHeight - fullHalfHeight) * t;
        shapes[i] = new btCylinderShape(btVector3(r, h, r));
    }
    ghost->setCollisionShape(shapes[0]);

    // The controller turns its ghost when it is told that Y is up; the ghost's placement is
    // ours, so it gets its transform back at once.
    const btTransform placed = ghost->getWorldTransform();
    controller = new CMeltingCharacterController(ghost, shapes[0], kStepHeight, btVector3(0.0f, 1.0f, 0.0f));
    ghost->setWorldTransform(placed);
    controller->setGravity(btVector3(0.0f, -gravity, 0.0f));
    controller->setFallSpeed(fallSpeed);
    controller->setJumpSpeed(jumpSpeed);

    std::cout << "Using btKinematicCharacterController for Player movement" << std::endl;
}

CPhysCharacterImpl::~CPhysCharacterImpl() {
    delete controller;
    DetachFromWorld();
    delete ghost;
    for (unsigned i = 0; i < shapeCount; ++i) delete shapes[i];
    delete[] shapes;
}

void CPhysCharacterImpl::DetachFromWorld() {
    if (dynamicsWorld) {
        dynamicsWorld->removeAction(this);
        dynamicsWorld->removeCollisionObject(ghost);
        dynamicsWorld = nullptr;
    }
    if (world) {
        auto& list = world->characters;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        world = nullptr;
    }
}

void CPhysCharacterImpl::SetWalkVelocity(const Vec3& velocity) {
    btVector3 v = ToBt(velocity);
    if (!IsFinite(v)) {
        // A broken velocity would carry the figure (and the camera after it) off to nowhere.
        std::cerr << "WARNING: Walk velocity (" << velocity.x << ", " << velocity.y << ", " << velocity.z
                  << ") is not a number; the player stands still" << std::endl;
        v.setZero();
    }
    // The game sets the velocity every update and an update simulates at most 7/60 s, so a
    // second is never cut short: the figure covers the same ground per simulated second at
    // any frame rate.
    controller->ReplaceVelocity(v, 1.0f);
    walkVelocity = FromBt(v);
}

bool CPhysCharacterImpl::OnGround() { return controller->onGround(); }

void CPhysCharacterImpl::Jump() { controller->jump(); }

bool CPhysCharacterImpl::CanJump() { return controller->canJump(); }

void CPhysCharacterImpl::SetLife(float life) { lifeLeft = life; }

unsigned CPhysCharacterImpl::ShapeIndexForLife(float life) {
    const float clamped = std::isfinite(life) ? std::min(1.0f, std::max(0.0f, life)) : 0.0f;
    return static_cast<unsigned>(std::lround(static_cast<float>(kShapeCount - 1) * (1.0f - clamped)));
}

Vec3 CPhysCharacterImpl::OffsetForLife(float life) const {
    return meltedOffset + (fullOffset - meltedOffset) * life;
}

void CPhysCharacterImpl::updateAction(btCollisionWorld* collisionWorld, btScalar deltaTime) {
    const btVector3 offset = ToBt(OffsetForLife(std::isfinite(lifeLeft) ? std::min(1.0f, std::max(0.0f, lifeLeft)) : 0.0f));

    Mat4& m = player->transform;
    if (!IsFinite(m)) {
        // The library would take a broken transform into its broadphase; the figure waits
        // where its ghost last was until the game gives it a proper place again.
        if (!reportedBrokenTransform)
            std::cerr << "WARNING: The player's transform is not a number; the character stays where it was"
                      << std::endl;
        reportedBrokenTransform = true;
        return;
    }
    reportedBrokenTransform = false;
    const btMatrix3x3 basis = BasisOf(m);
    const btVector3 r = basis * offset;

    btCylinderShape* shape = shapes[ShapeIndexForLife(lifeLeft)];
    controller->SetConvexShape(shape);
    ghost->setCollisionShape(shape);

    ghost->setWorldTransform(btTransform(basis, btVector3(m[12], m[13], m[14]) + r));
    controller->KeepStepWhileIdle();
    // The controller's sweeps stop where the figure touches what it sweeps against, not a hair
    // inside (the world's allowance for bodies): a cylinder resting inside a floor overlaps the
    // seams between the floor's triangles, where the library reports deep contacts along the
    // ground, and the controller's push out of them shoved the figure back against its walk.
    // It stuck on seams for seconds, at places that shifted with every change of its size, so a
    // melting figure walked slower the fewer updates it had to shrink in.
    btScalar& allowedPenetration = collisionWorld->getDispatchInfo().m_allowedCcdPenetration;
    const btScalar worldAllowance = allowedPenetration;
    allowedPenetration = 0.0f;
    controller->updateAction(collisionWorld, deltaTime);
    allowedPenetration = worldAllowance;

    const btTransform& moved = ghost->getWorldTransform();
    SetBasis(m, moved.getBasis());
    const btVector3 p = moved.getOrigin() - r;
    m[12] = p.x();
    m[13] = p.y();
    m[14] = p.z();
    m[15] = 1.0f;
}
