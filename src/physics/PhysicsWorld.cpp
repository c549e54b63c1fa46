#include "physics/PhysicsWorld.h"

#include <BulletCollision/CollisionShapes/btShapeHull.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

#include "physics/BulletConvert.h"
#include "physics/MeshPhysData.h"
#include "physics/PhysCharacterImpl.h"
#include "physics/PhysicsWorldState.h"
#include "physics/SceneObjectMotionState.h"
#include "physics/SceneObjectPhysData.h"
#include "scene/Mesh.h"
#include "scene/PlayerObject.h"
#include "scene/SceneTrigger.h"

namespace {

// Collision filter bits of the library: 1 default, 2 static, 4 kinematic, 8 debris, 16 sensor.
const int kStaticGroup = 2, kStaticMask = 5;
const int kDynamicGroup = 4, kDynamicMask = 23;
const int kPushBoxGroup = 16, kPushBoxMask = 12;
const int kGhostGroup = 8, kGhostMask = 16;
const int kCharacterGroup = 1, kCharacterMask = 6;
const int kRayGroup = 1, kRayMask = -1;
// Activation drops this bit from the push box's mask so that it stops shoving bodies.
const int kKinematicFilterBit = 4;

const float kDynamicFriction = 3.0f;
const btVector3 kUnitBoxHalfExtents(0.5f, 0.5f, 0.5f);
const btVector3 kPushBoxHalfExtents(25.0f, 90.0f, 25.0f);
// The player's scale reaches 0.001, which makes the push box 0.025 units wide: less than the
// library's default margin of 0.04, which would turn the box inside out.
const btScalar kPushBoxMargin = 0.004f;
const btVector3 kPowerupHalfExtents(1.0f, 1.0f, 1.0f);
const btVector3 kHullOffset(0.0f, 0.0f, 0.0f);
// Crates are unit cubes from local z 0 to 1: the box centre sits half a unit up local z.
const btVector3 kBoxOffset(0.0f, 0.0f, 0.5f);
const btVector3 kPushBoxOffset(0.0f, 90.0f, 0.0f);
// One frame longer than this only loses simulated time; far longer ones would overflow the
// library's sub-step count.
const double kLongestStep = 1.0;

// What one Step does with `dt` more seconds when `pending` seconds are still owed.
struct StepPlan {
    int subSteps = 0;
    btScalar leftover = 0.0f;  // owed afterwards
};

// Counted in the library's own single precision and the library's own way (whole sub-steps of
// the accumulated time, the remainder kept even beyond the cap), so that the plan is what the
// library then does.
StepPlan PlanSubSteps(btScalar pending, double dt) {
    StepPlan plan;
    plan.leftover = pending;
    if (!(dt >= 0.0)) return plan;
    const btScalar owed = pending + static_cast<btScalar>(std::min(dt, kLongestStep));
    plan.leftover = owed;
    if (owed >= CPhysicsWorld::kFixedSubStep) {
        const int due = static_cast<int>(owed / CPhysicsWorld::kFixedSubStep);
        plan.leftover = owed - static_cast<btScalar>(due) * CPhysicsWorld::kFixedSubStep;
        plan.subSteps = std::min(due, CPhysicsWorld::kMaxSubSteps);
    }
    return plan;
}

std::string Quoted(const CSceneObject* object) { return "'" + object->name + "'"; }

bool InsideWorld(const btVector3& p) {
    const float b = CPhysicsWorld::kWorldBound;
    return IsFinite(p) && std::fabs(p.x()) <= b && std::fabs(p.y()) <= b && std::fabs(p.z()) <= b;
}

btVector3 VertexPosition(const CMesh* mesh, uint32_t index) {
    const float* p = mesh->vertices[index].position;
    return btVector3(p[0], p[1], p[2]);
}

// Refuses objects whose placement the broadphase cannot hold: a broken matrix, or an origin
// outside the world's bounds.
bool CheckPlacement(const CSceneObject* object, const Mat4& modelMatrix, const char* what) {
    if (!IsFinite(modelMatrix)) {
        std::cerr << "WARNING: " << what << " " << Quoted(object)
                  << " has an invalid transform (not a number); it is not added to the physics world" << std::endl;
        return false;
    }
    const btVector3 origin(modelMatrix[12], modelMatrix[13], modelMatrix[14]);
    if (!InsideWorld(origin)) {
        std::cerr << "WARNING: " << what << " " << Quoted(object) << " at (" << origin.x() << ", " << origin.y()
                  << ", " << origin.z() << ") lies outside the physics world (+-" << CPhysicsWorld::kWorldBound
                  << " units); it is not added" << std::endl;
        return false;
    }
    return true;
}

// A ghost's basis carries the object's scale; a collapsed basis cannot be inverted, which the
// contact tests between ghost and push box need.
bool CheckGhostBasis(const CSceneObject* object, const btTransform& transform, const char* what) {
    if (std::fabs(transform.getBasis().determinant()) < 1e-12f) {
        std::cerr << "WARNING: " << what << " " << Quoted(object)
                  << " has a zero scale; it is not added to the physics world" << std::endl;
        return false;
    }
    return true;
}

// Every vertex that a triangle of the mesh names must exist and have usable coordinates:
// the library reads the arrays as they are.
bool CheckModelMesh(const CSceneObject* object, const CMesh* mesh, const char* what) {
    const uint32_t triangles = std::min(mesh->faceCount, mesh->indexCount / 3);
    if (!mesh->vertices || !mesh->indices || triangles == 0) {
        std::cerr << "WARNING: " << what << " " << Quoted(object) << " has no triangles; it is not added" << std::endl;
        return false;
    }
    for (uint32_t i = 0; i < triangles * 3; ++i) {
        if (mesh->indices[i] >= mesh->vertexCount) {
            std::cerr << "WARNING: " << what << " " << Quoted(object) << " names vertex " << mesh->indices[i]
                      << " of " << mesh->vertexCount << "; it is not added" << std::endl;
            return false;
        }
        if (!InsideWorld(VertexPosition(mesh, mesh->indices[i]))) {
            std::cerr << "WARNING: " << what << " " << Quoted(object)
                      << " has vertex coordinates that are not numbers or lie beyond +-" << CPhysicsWorld::kWorldBound
                      << " units; it is not added" << std::endl;
            return false;
        }
    }
    return true;
}

btTriangleIndexVertexArray* WrapModelArrays(CMesh* mesh) {
    const int triangles = static_cast<int>(std::min(mesh->faceCount, mesh->indexCount / 3));
    return new btTriangleIndexVertexArray(triangles, reinterpret_cast<int*>(mesh->indices), 3 * sizeof(uint32_t),
                                          static_cast<int>(mesh->vertexCount),
                                          reinterpret_cast<btScalar*>(mesh->vertices), sizeof(Vertex));
}

// True when the mesh's vertices span a solid: a point, a line or a plane has no convex hull
// that the library can build or give an inertia.
bool SpansVolume(const CMesh* mesh) {
    const uint32_t count = std::min(mesh->faceCount, mesh->indexCount / 3) * 3;
    auto point = [&](uint32_t i) { return VertexPosition(mesh, mesh->indices[i]); };
    // The farthest point from the first, the farthest from that line, then anything off the
    // plane of the three.
    const btVector3 a = point(0);
    btVector3 b = a;
    for (uint32_t i = 0; i < count; ++i)
        if ((point(i) - a).length2() > (b - a).length2()) b = point(i);
    const btScalar extent = (b - a).length();
    const btScalar tolerance = std::max(btScalar(1e-6), extent * btScalar(1e-4));
    if (extent <= tolerance) return false;
    const btVector3 axis = (b - a) / extent;
    btVector3 c = a;
    btScalar best = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const btScalar d = (point(i) - a).cross(axis).length();
        if (d > best) best = d, c = point(i);
    }
    if (best <= tolerance) return false;
    const btVector3 normal = (b - a).cross(c - a).normalized();
    for (uint32_t i = 0; i < count; ++i)
        if (std::fabs((point(i) - a).dot(normal)) > tolerance) return true;
    return false;
}

// The model's convex hull, reduced by the library's hull builder; the temporary mesh shape and
// arrays go again, the hull keeps its own copy of the points.
btConvexHullShape* BuildHull(CMesh* mesh) {
    btTriangleIndexVertexArray* arrays = WrapModelArrays(mesh);
    btConvexTriangleMeshShape* convexMesh = new btConvexTriangleMeshShape(arrays, true);
    const btScalar margin = convexMesh->getMargin();
    btShapeHull* hull = new btShapeHull(convexMesh);
    hull->buildHull(margin);
    btConvexHullShape* shape = nullptr;
    if (hull->numVertices() >= 4)
        shape = new btConvexHullShape(reinterpret_cast<const btScalar*>(hull->getVertexPointer()), hull->numVertices(),
                                      sizeof(btVector3));
    delete hull;
    delete convexMesh;
    delete arrays;
    return shape;
}

// Some pair in the ghost's own cache has a contact point with negative distance.
bool IsPenetrated(CPhysicsWorldState& state, btPairCachingGhostObject* ghost, btManifoldArray& manifolds) {
    btBroadphasePairArray& pairs = ghost->getOverlappingPairCache()->getOverlappingPairArray();
    btOverlappingPairCache* worldPairs = state.dynamicsWorld->getPairCache();
    for (int i = 0; i < pairs.size(); ++i) {
        btBroadphasePair* collisionPair = worldPairs->findPair(pairs[i].m_pProxy0, pairs[i].m_pProxy1);
        if (!collisionPair || !collisionPair->m_algorithm) continue;
        manifolds.resize(0);
        collisionPair->m_algorithm->getAllContactManifolds(manifolds);
        for (int j = 0; j < manifolds.size(); ++j) {
            const btPersistentManifold* manifold = manifolds[j];
            for (int k = 0; k < manifold->getNumContacts(); ++k)
                if (manifold->getContactPoint(k).getDistance() < 0.0f) return true;
        }
    }
    return false;
}

void ProcessTriggers(CPhysicsWorldState& state) {
    btManifoldArray manifolds;
    // By index: a notification may end up removing a trigger of this list.
    for (size_t i = 0; i < state.triggerGhosts.size(); ++i) {
        btPairCachingGhostObject* ghost = state.triggerGhosts[i];
        CSceneTrigger* trigger = static_cast<CSceneTrigger*>(ghost->getUserPointer());
        if (IsPenetrated(state, ghost, manifolds)) {
            trigger->OnInside();
            if (!trigger->inside) {
                if (trigger->firstEnterPending) {
                    trigger->OnFirstEnter();
                    trigger->firstEnterPending = false;
                }
                trigger->OnEnter();
                trigger->inside = true;
            }
        } else if (trigger->inside) {
            if (trigger->firstLeavePending) {
                trigger->OnFirstLeave();
                trigger->firstLeavePending = false;
            }
            trigger->OnLeave();
            trigger->inside = false;
        }
    }
}

void ProcessPowerups(CPhysicsWorldState& state) {
    btManifoldArray manifolds;
    for (size_t i = 0; i < state.powerupGhosts.size(); ++i) {
        btPairCachingGhostObject* ghost = state.powerupGhosts[i];
        const auto* record = static_cast<const CSceneObjectPhysData*>(ghost->getUserPointer());
        if (record->touched && IsPenetrated(state, ghost, manifolds)) record->touched();
    }
}

// The library places kinematic bodies (the push box) from their motion states once per Step and
// leaves them there for all its sub-steps, while the character moves on in every one: after a
// long update the push box trailed the figure by up to seven sub-steps and could pass a
// trigger's or power-up's face without ever touching it, so a small figure at a low frame rate
// walked through the level's end. Here they follow the figure at every further sub-step, as they
// do at one sub-step an update.
void BeforeSubStep(btDynamicsWorld* world, btScalar timeStep) {
    CPhysicsWorldState* state = static_cast<CPhysicsWorldState*>(world->getWorldUserInfo());
    if (state->kinematicBodiesPlaced) {
        state->kinematicBodiesPlaced = false;
        return;
    }
    btCollisionObjectArray& objects = world->getCollisionObjectArray();
    for (int i = 0; i < objects.size(); ++i) {
        btRigidBody* body = btRigidBody::upcast(objects[i]);
        if (body && body->isKinematicObject() && body->getActivationState() != ISLAND_SLEEPING)
            body->saveKinematicState(timeStep);
    }
}

void AfterSubStep(btDynamicsWorld* world, btScalar) {
    CPhysicsWorldState* state = static_cast<CPhysicsWorldState*>(world->getWorldUserInfo());
    ProcessTriggers(*state);
    ProcessPowerups(*state);
}

CMeshPhysData* MeshRecordOf(const CMesh* mesh) { return dynamic_cast<CMeshPhysData*>(mesh->physData); }
CSceneObjectPhysData* ObjectRecordOf(const CSceneObject* object) {
    return dynamic_cast<CSceneObjectPhysData*>(object->physData);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

CPhysicsWorldState::CPhysicsWorldState(CPhysicsWorld* owner_) : owner(owner_) {}

CPhysicsWorldState::~CPhysicsWorldState() {
    dynamicsWorld.reset();
    solver.reset();
    broadphase.reset();
    dispatcher.reset();
    collisionConfiguration.reset();
    ghostPairCallback.reset();
}

void CPhysicsWorldState::RemoveGhost(std::vector<btPairCachingGhostObject*>& list, const btCollisionObject* ghost) {
    auto found = std::find(list.begin(), list.end(), ghost);
    if (found != list.end()) list.erase(found);
}

CPhysicsWorld::CPhysicsWorld() = default;

CPhysicsWorld::~CPhysicsWorld() {
    if (state) Destroy();
}

btDiscreteDynamicsWorld* CPhysicsWorld::GetDynamicsWorld() const {
    return state ? state->dynamicsWorld.get() : nullptr;
}

CPhysDebugDrawer* CPhysicsWorld::GetDebugDrawer() const { return state ? &state->debugDrawer : nullptr; }

void CPhysicsWorld::Init() {
    if (state) Destroy();
    state = std::make_unique<CPhysicsWorldState>(this);
    CPhysicsWorldState& s = *state;
    s.collisionConfiguration = std::make_unique<btDefaultCollisionConfiguration>();
    s.dispatcher = std::make_unique<btCollisionDispatcher>(s.collisionConfiguration.get());
    const btVector3 bound(kWorldBound, kWorldBound, kWorldBound);
    s.broadphase = std::make_unique<btAxisSweep3>(-bound, bound, 16384, nullptr, false);
    s.solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    s.dynamicsWorld = std::make_unique<btDiscreteDynamicsWorld>(s.dispatcher.get(), s.broadphase.get(),
                                                                s.solver.get(), s.collisionConfiguration.get());
    // Ghost objects keep their own pair caches only with this callback installed.
    s.ghostPairCallback = std::make_unique<btGhostPairCallback>();
    s.broadphase->getOverlappingPairCache()->setInternalGhostPairCallback(s.ghostPairCallback.get());
    s.dynamicsWorld->setGravity(btVector3(0.0f, -10.0f, 0.0f));
    s.dynamicsWorld->setInternalTickCallback(BeforeSubStep, &s, true);
    s.dynamicsWorld->setInternalTickCallback(AfterSubStep, &s);
    std::cout << "Physics world initialized" << std::endl;
}

void CPhysicsWorld::Destroy() {
    if (!state) return;
    const size_t left = state->meshRecords.size() + state->objectRecords.size() + state->characters.size();
    if (left > 0) {
        std::cerr << "WARNING: Physics world destroyed while " << left
                  << " physics records or characters still use it; detaching them" << std::endl;
        while (!state->characters.empty()) state->characters.back()->DetachFromWorld();
        while (!state->objectRecords.empty()) state->objectRecords.back()->DetachFromWorld();
        while (!state->meshRecords.empty()) state->meshRecords.back()->DetachFromWorld();
    }
    state.reset();
}

void CPhysicsWorld::AddStaticMesh(CSceneObject* object) {
    if (!state) return;
    CMesh* mesh = object->GetMesh(0);
    if (!mesh) {
        std::cerr << "WARNING: Static object " << Quoted(object) << " has no mesh; no collision mesh made" << std::endl;
        return;
    }
    CMeshPhysData* record = MeshRecordOf(mesh);
    if (!record) {
        if (mesh->physData) {
            std::cerr << "WARNING: Static object " << Quoted(object)
                      << " has a model that is linked to physics otherwise; no collision mesh made" << std::endl;
            return;
        }
        const Mat4 model = object->GetModelMatrix();
        const uint32_t triangles = (mesh->vertices && mesh->indices) ? mesh->indexCount / 3 : 0;
        auto* triangleMesh = new btTriangleMesh(true, true);
        uint32_t dropped = 0;
        for (uint32_t t = 0; t < triangles; ++t) {
            btVector3 corner[3];
            bool usable = true;
            for (int k = 0; k < 3 && usable; ++k) {
                const uint32_t index = mesh->indices[t * 3 + static_cast<uint32_t>(k)];
                if (index >= mesh->vertexCount) {
                    usable = false;
                    break;
                }
                const float* p = mesh->vertices[index].position;
                corner[k] = ToBt(TransformPoint(model, Vec3(p[0], p[1], p[2])));
                usable = InsideWorld(corner[k]);
            }
            if (!usable) {
                ++dropped;
                continue;
            }
            triangleMesh->addTriangle(corner[0], corner[1], corner[2], true);
        }
        if (dropped > 0)
            std::cerr << "WARNING: Static object " << Quoted(object) << ": left out " << dropped
                      << " triangles with missing vertices, coordinates that are not numbers or beyond +-"
                      << kWorldBound << " units" << std::endl;
        if (triangleMesh->getNumTriangles() == 0) {
            std::cerr << "WARNING: Static object " << Quoted(object)
                      << " has no usable triangles; no collision mesh made" << std::endl;
            delete triangleMesh;
            return;
        }
        record = new CMeshPhysData(state.get());
        record->meshInterface = triangleMesh;
        record->shape = new btBvhTriangleMeshShape(triangleMesh, true, true);
        mesh->physData = record;
    }
    if (record->staticBody) {
        std::cout << "WARNING: Tried to add static mesh twice!" << std::endl;
        return;
    }
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, nullptr, record->shape, btVector3(0.0f, 0.0f, 0.0f));
    record->staticBody = new btRigidBody(info);
    state->dynamicsWorld->addRigidBody(record->staticBody, kStaticGroup, kStaticMask);
}

void CPhysicsWorld::AddDynamicObject(CSceneObject* object, float mass, bool convex) {
    if (!state) return;
    CMesh* mesh = object->GetMesh(0);
    if (!mesh) {
        std::cerr << "WARNING: Dynamic object " << Quoted(object) << " has no mesh; no body made" << std::endl;
        return;
    }
    const Mat4 model = object->GetModelMatrix();
    if (!CheckPlacement(object, model, "Dynamic object")) return;
    const Vec3& s = object->scale;
    if (!(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z)) || s.x == 0.0f || s.y == 0.0f ||
        s.z == 0.0f) {
        std::cerr << "WARNING: Dynamic object " << Quoted(object) << " has a zero or invalid scale (" << s.x << ", "
                  << s.y << ", " << s.z << "); no body made" << std::endl;
        return;
    }
    // Mass 0 is the library's fixed body (it never moves), as a level's author may want; only
    // masses that mean nothing become 1.
    if (!(mass >= 0.0f) || !std::isfinite(mass)) {
        std::cerr << "WARNING: Dynamic object " << Quoted(object) << " has mass " << mass
                  << "; a body needs a mass of 0 (fixed) or more, using 1" << std::endl;
        mass = 1.0f;
    }

    CMeshPhysData* record = MeshRecordOf(mesh);
    if (!record) {
        if (mesh->physData) {
            std::cerr << "WARNING: Dynamic object " << Quoted(object)
                      << " has a model that is linked to physics otherwise; no body made" << std::endl;
            return;
        }
        btCollisionShape* shape = nullptr;
        if (convex) {
            if (!CheckModelMesh(object, mesh, "Dynamic object")) return;
            if (!SpansVolume(mesh) || !(shape = BuildHull(mesh))) {
                std::cerr << "WARNING: Dynamic object " << Quoted(object)
                          << " is flat or a single point: it has no convex hull, no body made" << std::endl;
                return;
            }
        } else {
            shape = new btBoxShape(kUnitBoxHalfExtents);
        }
        record = new CMeshPhysData(state.get());
        record->shape = shape;
        mesh->physData = record;
    }
    if (object->physData) {
        std::cout << "WARNING: Tried to add dynamic object while object is already attached to the world. Remove it "
                     "from the world first!"
                  << std::endl;
        return;
    }
    // A box record holds a box shape; a hull record a hull: the offset follows the shape.
    const bool hull = record->shape->getShapeType() == CONVEX_HULL_SHAPE_PROXYTYPE;
    auto* data = new CSceneObjectPhysData(state.get());
    auto* motionState = new CSceneObjectMotionState(object, hull ? kHullOffset : kBoxOffset, record->shape);
    data->motionState = motionState;
    // The body reads the start transform (and sets this object's scale on the shared shape)
    // when it is made; the inertia should see that scale too.
    btTransform start;
    motionState->getWorldTransform(start);
    btVector3 inertia(0.0f, 0.0f, 0.0f);
    record->shape->calculateLocalInertia(mass, inertia);
    btRigidBody::btRigidBodyConstructionInfo info(mass, motionState, record->shape, inertia);
    auto* body = new btRigidBody(info);
    body->setFriction(kDynamicFriction);
    state->dynamicsWorld->addRigidBody(body, kDynamicGroup, kDynamicMask);
    data->collisionObject = body;
    object->physData = data;
}

void CPhysicsWorld::AddKinematicObject(CSceneObject* object) {
    if (!state) return;
    btBoxShape* box = nullptr;
    CMesh* mesh = object->GetMesh(0);
    if (mesh && !mesh->physData) {
        box = new btBoxShape(kPushBoxHalfExtents);
        auto* record = new CMeshPhysData(state.get());
        record->shape = box;
        mesh->physData = record;
    }
    if (object->physData) {
        std::cout << "WARNING: Tried to add kinematic object while object is already attached to the world. Remove it "
                     "from the world first!"
                  << std::endl;
        return;
    }
    if (!CheckPlacement(object, object->GetModelMatrix(), "Kinematic object")) return;
    auto* data = new CSceneObjectPhysData(state.get());
    if (!box) {
        box = new btBoxShape(kPushBoxHalfExtents);
        data->ownShape = box;
    }
    box->setMargin(kPushBoxMargin);
    btVector3 inertia(0.0f, 0.0f, 0.0f);
    box->calculateLocalInertia(0.0f, inertia);
    auto* motionState = new CSceneObjectMotionState(object, kPushBoxOffset, box);
    data->motionState = motionState;
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, motionState, box, inertia);
    auto* body = new btRigidBody(info);
    body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
    body->setActivationState(DISABLE_DEACTIVATION);
    data->collisionGroup = kPushBoxGroup;
    data->collisionMask = kPushBoxMask;
    state->dynamicsWorld->addRigidBody(body, kPushBoxGroup, kPushBoxMask);
    data->collisionObject = body;
    object->physData = data;
}

void CPhysicsWorld::AddTrigger(CSceneTrigger* trigger) {
    if (!state) return;
    CMesh* mesh = trigger->GetMesh(0);
    if (!mesh) {
        std::cerr << "WARNING: Trigger " << Quoted(trigger) << " has no mesh; no trigger made" << std::endl;
        return;
    }
    const Mat4 model = trigger->GetModelMatrix();
    if (!CheckPlacement(trigger, model, "Trigger")) return;
    const btTransform transform = ToBtTransform(model);
    if (!CheckGhostBasis(trigger, transform, "Trigger")) return;
    CMeshPhysData* record = MeshRecordOf(mesh);
    if (!record) {
        if (mesh->physData) {
            std::cerr << "WARNING: Trigger " << Quoted(trigger)
                      << " has a model that is linked to physics otherwise; no trigger made" << std::endl;
            return;
        }
        if (!CheckModelMesh(trigger, mesh, "Trigger")) return;
        record = new CMeshPhysData(state.get());
        btTriangleIndexVertexArray* arrays = WrapModelArrays(mesh);
        record->meshInterface = arrays;
        record->shape = new btBvhTriangleMeshShape(arrays, true, true);
        mesh->physData = record;
    }
    if (trigger->physData) {
        std::cout << "WARNING: Object already linked to physics, can't create Trigger from it!" << std::endl;
        return;
    }
    auto* data = new CSceneObjectPhysData(state.get());
    auto* ghost = new btPairCachingGhostObject();
    ghost->setCollisionShape(record->shape);
    ghost->setCollisionFlags(ghost->getCollisionFlags() | btCollisionObject::CF_NO_CONTACT_RESPONSE);
    ghost->setWorldTransform(transform);
    ghost->setUserPointer(trigger);
    state->dynamicsWorld->addCollisionObject(ghost, kGhostGroup, kGhostMask);
    data->collisionObject = ghost;
    trigger->physData = data;
    state->triggerGhosts.push_back(ghost);
}

void CPhysicsWorld::AddPowerup(CSceneObject* object, int number, std::function<void()> touched) {
    if (!state) return;
    if (!object) {
        std::cerr << "WARNING: Power-up " << number << " has no model; no ghost made" << std::endl;
        return;
    }
    if (object->physData) {
        std::cout << "WARNING: Object already linked to physics, can't create Powerup from it!" << std::endl;
        return;
    }
    const Mat4 model = object->GetModelMatrix();
    if (!CheckPlacement(object, model, "Power-up")) return;
    const btTransform transform = ToBtTransform(model);
    if (!CheckGhostBasis(object, transform, "Power-up")) return;
    auto* data = new CSceneObjectPhysData(state.get());
    data->ownShape = new btBoxShape(kPowerupHalfExtents);
    data->touched = std::move(touched);
    auto* ghost = new btPairCachingGhostObject();
    ghost->setCollisionShape(data->ownShape);
    ghost->setCollisionFlags(ghost->getCollisionFlags() | btCollisionObject::CF_NO_CONTACT_RESPONSE);
    ghost->setWorldTransform(transform);
    ghost->setUserPointer(data);
    state->dynamicsWorld->addCollisionObject(ghost, kGhostGroup, kGhostMask);
    data->collisionObject = ghost;
    object->physData = data;
    state->powerupGhosts.push_back(ghost);
}

namespace {
void ReAdd(btDiscreteDynamicsWorld* world, btCollisionObject* object, int group, int mask) {
    world->removeCollisionObject(object);
    // A rigid body goes back through addRigidBody so that the world keeps it in its body list.
    if (btRigidBody* body = btRigidBody::upcast(object))
        world->addRigidBody(body, group, mask);
    else
        world->addCollisionObject(object, group, mask);
}
}  // namespace

void CPhysicsWorld::ActivateBody(CSceneObject* object) {
    CSceneObjectPhysData* data = object ? ObjectRecordOf(object) : nullptr;
    if (!state || !data || !data->collisionObject) {
        std::cerr << "Could not activate body!" << std::endl;
        return;
    }
    ReAdd(state->dynamicsWorld.get(), data->collisionObject, data->collisionGroup, data->collisionMask);
}

void CPhysicsWorld::DeactivateBody(CSceneObject* object) {
    CSceneObjectPhysData* data = object ? ObjectRecordOf(object) : nullptr;
    if (!state || !data || !data->collisionObject) {
        std::cerr << "Could not deactivate body!" << std::endl;
        return;
    }
    ReAdd(state->dynamicsWorld.get(), data->collisionObject, data->collisionGroup,
          data->collisionMask & ~kKinematicFilterBit);
}

CPhysCharacter* CPhysicsWorld::CreateCharacter(CPlayerObject* player) {
    if (!state) return nullptr;
    const Mat4 model = player->GetModelMatrix();
    btVector3 origin(model[12], model[13], model[14]);
    if (!InsideWorld(origin)) {
        std::cerr << "WARNING: The player at (" << origin.x() << ", " << origin.y() << ", " << origin.z()
                  << ") is outside the physics world; its character starts at the origin" << std::endl;
        origin.setValue(0.0f, 0.0f, 0.0f);
    }
    auto* ghost = new btPairCachingGhostObject();
    btTransform start;
    start.setIdentity();
    start.setOrigin(origin);
    ghost->setWorldTransform(start);
    ghost->setCollisionFlags(btCollisionObject::CF_CHARACTER_OBJECT);
    auto* character = new CPhysCharacterImpl(player, ghost, state->dynamicsWorld.get(), 0.5f, 1.8f, 0.1f, 0.3f,
                                             Vec3(0.0f, 2.0f, 0.0f), Vec3(0.0f, 0.05f, 0.0f), kCharacterGroup,
                                             kCharacterMask);
    character->world = state.get();
    state->characters.push_back(character);
    state->dynamicsWorld->addCollisionObject(ghost, kCharacterGroup, kCharacterMask);
    state->dynamicsWorld->addAction(character);
    return character;
}

float CPhysicsWorld::RayFraction(const Vec3& from, const Vec3& to, bool staticOnly) {
    if (!state) return 1.0f;
    const btVector3 a = ToBt(from), b = ToBt(to);
    // The library normalises the ray's direction: a zero-length or broken ray would divide by
    // zero inside it. Nothing can block a ray that goes nowhere.
    if (!IsFinite(a) || !IsFinite(b) || (b - a).length2() < 1e-12f) {
        if (!state->reportedBadRay) {
            std::cerr << "WARNING: Ray of zero length or with invalid coordinates; counted as unblocked"
                         " (reported once per level)"
                      << std::endl;
            state->reportedBadRay = true;
        }
        return 1.0f;
    }
    btCollisionWorld::ClosestRayResultCallback callback(a, b);
    callback.m_collisionFilterGroup = kRayGroup;
    callback.m_collisionFilterMask = staticOnly ? kStaticGroup : kRayMask;
    state->dynamicsWorld->rayTest(a, b, callback);
    return callback.m_closestHitFraction;
}

double CPhysicsWorld::Step(double dt) {
    if (!state) return 0.0;
    if (!(dt >= 0.0)) {
        std::cerr << "WARNING: Physics step of " << dt << " seconds ignored" << std::endl;
        return 0.0;
    }
    // Counted here as well as by the library (the same way), so that PlanStep knows them in
    // advance.
    const StepPlan plan = PlanSubSteps(state->pendingTime, dt);
    state->pendingTime = plan.leftover;
    state->kinematicBodiesPlaced = true;
    const int due = state->dynamicsWorld->stepSimulation(static_cast<btScalar>(std::min(dt, kLongestStep)),
                                                         kMaxSubSteps, kFixedSubStep);
    if (std::min(due, kMaxSubSteps) != plan.subSteps)
        std::cerr << "WARNING: Physics ran " << std::min(due, kMaxSubSteps) << " sub-steps where " << plan.subSteps
                  << " were planned" << std::endl;
    return plan.subSteps * static_cast<double>(kFixedSubStep);
}

double CPhysicsWorld::PlanStep(double dt) const {
    if (!state) return 0.0;
    return PlanSubSteps(state->pendingTime, dt).subSteps * static_cast<double>(kFixedSubStep);
}

void CPhysicsWorld::SetDebugDrawer(DebugLineSink lines, int debugMode) {
    if (!state) return;
    state->debugDrawer.lines = std::move(lines);
    state->dynamicsWorld->setDebugDrawer(&state->debugDrawer);
    state->dynamicsWorld->getDebugDrawer()->setDebugMode(debugMode);
}

void CPhysicsWorld::DebugDraw() {
    if (state) state->dynamicsWorld->debugDrawWorld();
}
