// The physics world on the real library: filtering, resting bodies, shared shapes and sub-step
// limits.

#include <gtest/gtest.h>

#include "PhysicsKit.h"
#include "physics/MeshPhysData.h"
#include "physics/PhysCharacter.h"
#include "physics/PhysicsWorldState.h"
#include "physics/SceneObjectPhysData.h"
#include "scene/CallbackTrigger.h"

namespace {

const Vec3 kX(1.0f, 0.0f, 0.0f), kY(0.0f, 1.0f, 0.0f);

// A crate as the levels place them: a unit cube from local z 0 to 1, its node turned -90
// degrees about X so that the cube stands on the object's origin.
Mat4 CratePlacement(const Vec3& at) { return Rotate(Translation(at), -90.0f, kX); }

btRigidBody* BodyOf(const CSceneObject* object) {
    auto* data = dynamic_cast<CSceneObjectPhysData*>(object->physData);
    return data ? btRigidBody::upcast(data->collisionObject) : nullptr;
}

Vec3 Origin(const CSceneObject* object) {
    return Vec3(object->transform[12], object->transform[13], object->transform[14]);
}

}  // namespace

// ---- Collision filter ---------------------------------------------------------------------

TEST(PhysicsFilter, RaysPassThroughPlayerGhostsAndHitSolids) {
    PhysicsScene scene;
    // Player, with character ghost and an active push box, on the ray's path at z = -6.
    auto* player = scene.Keep(new CPlayerObject());
    player->transform = Translation(Vec3(0.0f, -1.0f, -6.0f));
    std::unique_ptr<CPhysCharacter> character(scene.world.CreateCharacter(player));
    scene.world.AddKinematicObject(player);
    scene.world.ActivateBody(player);
    // A trigger at z = -2 and a power-up at z = 2 straddle the ray as well.
    CMesh* volume = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f)));
    auto* trigger = scene.Keep(new CCallbackTrigger({volume}, "TRIGGER"));
    trigger->transform = Translation(Vec3(0.0f, 0.0f, -2.0f));
    scene.world.AddTrigger(trigger);
    CSceneGeoObject milk({}, Translation(Vec3(0.0f, 1.0f, 2.0f)), "milk", Vec3());
    scene.world.AddPowerup(&milk, 1, [] {});
    scene.Run(1);

    const Vec3 from(0.0f, 1.0f, -10.0f), to(0.0f, 1.0f, 10.0f);
    EXPECT_FLOAT_EQ(scene.world.RayFraction(from, to), 1.0f);

    // A static wall between z = 4 and 5: the ray stops 14 of its 20 units in.
    CMesh* wallMesh = scene.AddMesh(MakeBoxMesh(Vec3(-2.0f, 0.0f, 4.0f), Vec3(2.0f, 3.0f, 5.0f)));
    scene.world.AddStaticMesh(scene.AddObject(wallMesh, Mat4(), "wall"));
    EXPECT_NEAR(scene.world.RayFraction(from, to), 0.7f, 1e-4f);

    // A crate standing at z = 0 (its faces at z = -0.5 and 0.5) comes first now.
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    scene.world.AddDynamicObject(scene.AddObject(crateMesh, CratePlacement(Vec3(0.0f, 0.5f, 0.0f)), "crate"), 5.0f,
                                 false);
    EXPECT_NEAR(scene.world.RayFraction(from, to), 9.5f / 20.0f, 1e-4f);
    // Backwards, the wall is first again.
    EXPECT_NEAR(scene.world.RayFraction(to, from), 5.0f / 20.0f, 1e-4f);
}

// ---- Bodies ---------------------------------------------------------------------------------

TEST(PhysicsBodies, CrateFallsAndRestsOnStaticFloor) {
    PhysicsScene scene;
    scene.AddFloor();
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CSceneGeoObject* crate = scene.AddObject(crateMesh, CratePlacement(Vec3(1.0f, 3.0f, 2.0f)), "PHYS_mass_5");
    scene.world.AddDynamicObject(crate, 5.0f, false);
    ASSERT_NE(BodyOf(crate), nullptr);
    EXPECT_FLOAT_EQ(BodyOf(crate)->getInvMass(), 0.2f);

    scene.Run(30);
    EXPECT_LT(Origin(crate).y, 2.0f);  // it is falling
    scene.Run(150);
    // The cube's bottom face (the object's origin) lies on the floor's top at y = 0.
    EXPECT_NEAR(Origin(crate).y, 0.0f, 0.05f);
    EXPECT_NEAR(Origin(crate).x, 1.0f, 0.1f);
    EXPECT_NEAR(Origin(crate).z, 2.0f, 0.1f);
    EXPECT_LT(BodyOf(crate)->getLinearVelocity().length(), 0.05f);
    // Still standing upright: the node's local z still points up.
    EXPECT_NEAR(crate->transform[9], 1.0f, 1e-3f);
}

TEST(PhysicsBodies, ConvexBodyRestsOnItsHullNotOnABox) {
    PhysicsScene scene;
    scene.AddFloor();
    // A slab 4 wide and 0.4 high centred on its origin: on its hull the origin rests 0.2 above
    // the floor; as a unit box it would rest 0.5 up (centre at the origin plus the box offset).
    CMesh* slabMesh = scene.AddMesh(MakeBoxMesh(Vec3(-2.0f, -0.2f, -2.0f), Vec3(2.0f, 0.2f, 2.0f)));
    CSceneGeoObject* slab = scene.AddObject(slabMesh, Translation(Vec3(0.0f, 2.0f, 0.0f)), "PHYS_convex_true");
    scene.world.AddDynamicObject(slab, 1.0f, true);
    ASSERT_NE(BodyOf(slab), nullptr);
    EXPECT_EQ(BodyOf(slab)->getCollisionShape()->getShapeType(), CONVEX_HULL_SHAPE_PROXYTYPE);
    scene.Run(180);
    // The library's hull carries its collision margin (0.04) twice: once from the mesh shape's
    // support points, once as the hull's own.
    EXPECT_GT(Origin(slab).y, 0.19f);
    EXPECT_LT(Origin(slab).y, 0.2f + 2 * 0.04f + 0.01f);
    // Its edge reaches 2 units out: a ray down at x = 1.8 hits it, one at x = 2.3 meets the floor.
    EXPECT_LT(scene.world.RayFraction(Vec3(1.8f, 5.0f, 0.0f), Vec3(1.8f, -5.0f, 0.0f)), 0.47f);
    EXPECT_NEAR(scene.world.RayFraction(Vec3(2.3f, 5.0f, 0.0f), Vec3(2.3f, -5.0f, 0.0f)), 0.5f, 1e-3f);
}

TEST(PhysicsBodies, ObjectsOfOneModelShareOneShape) {
    PhysicsScene scene;
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CSceneGeoObject* a = scene.AddObject(crateMesh, CratePlacement(Vec3(0.0f, 1.0f, 0.0f)), "a");
    CSceneGeoObject* b = scene.AddObject(crateMesh, CratePlacement(Vec3(3.0f, 1.0f, 0.0f)), "b");
    b->scale = Vec3(2.0f, 2.0f, 2.0f);
    scene.world.AddDynamicObject(a, 1.0f, false);
    scene.world.AddDynamicObject(b, 1.0f, false);
    ASSERT_NE(BodyOf(a), nullptr);
    ASSERT_NE(BodyOf(b), nullptr);
    EXPECT_EQ(BodyOf(a)->getCollisionShape(), BodyOf(b)->getCollisionShape());
    EXPECT_EQ(BodyOf(a)->getCollisionShape(), dynamic_cast<CMeshPhysData*>(crateMesh->physData)->shape);
}

TEST(PhysicsBodies, AddingTwiceWarnsAndKeepsTheFirstBody) {
    PhysicsScene scene;
    CSceneGeoObject* floor = scene.AddFloor(5.0f);
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CSceneGeoObject* crate = scene.AddObject(crateMesh, Mat4(), "crate");
    scene.world.AddDynamicObject(crate, 1.0f, false);
    btRigidBody* first = BodyOf(crate);
    const int objects = scene.world.GetDynamicsWorld()->getNumCollisionObjects();
    testing::internal::CaptureStdout();
    scene.world.AddStaticMesh(floor);
    scene.world.AddDynamicObject(crate, 1.0f, false);
    scene.world.AddKinematicObject(crate);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WARNING: Tried to add static mesh twice!"), std::string::npos);
    EXPECT_NE(out.find("WARNING: Tried to add dynamic object while object is already attached"), std::string::npos);
    EXPECT_EQ(BodyOf(crate), first);
    EXPECT_EQ(scene.world.GetDynamicsWorld()->getNumCollisionObjects(), objects);
}

TEST(PhysicsBodies, PushBoxFollowsThePlayersScaleFromItsOrigin) {
    PhysicsScene scene;
    auto* player = scene.Keep(new CPlayerObject());
    player->transform = Translation(Vec3(3.0f, 1.0f, 0.0f));
    scene.world.AddKinematicObject(player);
    scene.world.ActivateBody(player);
    auto aabbOf = [&](btVector3& lo, btVector3& hi) {
        btRigidBody* body = BodyOf(player);
        body->getCollisionShape()->getAabb(body->getWorldTransform(), lo, hi);
    };
    scene.Run(1);
    btVector3 lo, hi;
    aabbOf(lo, hi);
    EXPECT_NEAR(hi.x() - lo.x(), 1.0f, 1e-3f);
    EXPECT_NEAR(hi.y() - lo.y(), 3.6f, 1e-3f);
    EXPECT_NEAR(lo.y(), 1.0f, 1e-3f);  // resting on the player's origin
    player->scale = Vec3(0.001f, 0.001f, 0.001f);
    scene.Run(1);
    aabbOf(lo, hi);
    EXPECT_NEAR(hi.x() - lo.x(), 0.05f, 1e-3f);
    EXPECT_NEAR(hi.y() - lo.y(), 0.18f, 1e-3f);
    EXPECT_NEAR(lo.y(), 1.0f, 1e-3f);
}

// ---- Stepping -----------------------------------------------------------------------------

TEST(PhysicsStep, AtMostSevenSubStepsPerCall) {
    PhysicsScene scene;
    int ticks = 0;
    // Count sub-steps through the world's tick (triggers see the same ticks).
    CMesh* volume = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f)));
    auto* trigger = scene.Keep(new CCallbackTrigger({volume}, "TRIGGER"));
    trigger->callbacks[CCallbackTrigger::kOnInside] = [](CSceneTrigger*, void* count) { ++*static_cast<int*>(count); };
    trigger->userData = &ticks;
    scene.world.AddTrigger(trigger);
    auto* player = scene.Keep(new CPlayerObject());
    scene.world.AddKinematicObject(player);

    scene.world.Step(0.01);  // less than one sub-step: none yet
    EXPECT_EQ(ticks, 0);
    scene.world.Step(0.01);  // the time adds up
    EXPECT_EQ(ticks, 1);
    scene.world.Step(0.5);  // 30 sub-steps due: only 7 run, the rest is lost
    EXPECT_EQ(ticks, 8);
    scene.world.Step(1.0 / 60.0);
    EXPECT_EQ(ticks, 9);
}
