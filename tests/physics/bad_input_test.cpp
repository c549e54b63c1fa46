// Input that the physics library cannot take as it is: each case gets a clear message, the
// library never sees it, and the world goes on.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "PhysicsKit.h"
#include "physics/MeshPhysData.h"
#include "physics/PhysicsWorldState.h"
#include "physics/SceneObjectPhysData.h"
#include "scene/CallbackTrigger.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

btRigidBody* BodyOf(const CSceneObject* object) {
    auto* data = dynamic_cast<CSceneObjectPhysData*>(object->physData);
    return data ? btRigidBody::upcast(data->collisionObject) : nullptr;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Two floor triangles at y = 0 over x, z in -5..5, then one triangle with a bad corner.
std::unique_ptr<CMesh> FloorWithOneBadTriangle(const Vec3& bad) {
    return MakeMesh({{-5, 0, -5}, {5, 0, -5}, {5, 0, 5}, {-5, 0, 5}, {20, 0, 0}, {21, 0, 0}, bad},
                    {0, 2, 1, 0, 3, 2, 4, 5, 6});
}

TEST(PhysicsBadInput, StaticMeshDropsTrianglesWithNaNOrHugeCoordinates) {
    for (const Vec3& bad : {Vec3(kNaN, 0.0f, 0.0f), Vec3(20.0f, 1e30f, 0.0f), Vec3(2500.0f, 0.0f, 0.0f)}) {
        PhysicsScene scene;
        CMesh* mesh = scene.AddMesh(FloorWithOneBadTriangle(bad));
        testing::internal::CaptureStderr();
        scene.world.AddStaticMesh(scene.AddObject(mesh, Mat4(), "ground"));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Contains(err, "WARNING: Static object 'ground': left out 1 triangles")) << err;
        auto* record = dynamic_cast<CMeshPhysData*>(mesh->physData);
        ASSERT_NE(record, nullptr);
        ASSERT_NE(record->staticBody, nullptr);
        EXPECT_EQ(static_cast<btTriangleMesh*>(record->meshInterface)->getNumTriangles(), 2);
        EXPECT_NEAR(scene.world.RayFraction(Vec3(1.0f, 1.0f, 1.0f), Vec3(1.0f, -1.0f, 1.0f)), 0.5f, 1e-5f);
        scene.Run(2);
    }
}

TEST(PhysicsBadInput, StaticMeshWithNothingUsableMakesNoBody) {
    PhysicsScene scene;
    CMesh* mesh = scene.AddMesh(MakeMesh({{kNaN, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}}, {0, 1, 2, 3, 1, 9}));
    testing::internal::CaptureStderr();
    scene.world.AddStaticMesh(scene.AddObject(mesh, Mat4(), "broken"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Contains(err, "left out 2 triangles")) << err;
    EXPECT_TRUE(Contains(err, "WARNING: Static object 'broken' has no usable triangles; no collision mesh made")) << err;
    EXPECT_EQ(mesh->physData, nullptr);
    EXPECT_EQ(scene.world.GetDynamicsWorld()->getNumCollisionObjects(), 0);
}

// Each case builds one thing the library cannot take and adds it; it must be refused with its
// message, get no physics record and leave the world empty.
struct Refusal {
    const char* what;
    std::function<CSceneObject*(PhysicsScene&)> add;
    std::string message;
};

CSceneObject* AddDynamic(PhysicsScene& scene, std::unique_ptr<CMesh> mesh, const Mat4& at, const char* name,
                         bool convex, Vec3 scale = Vec3(1.0f, 1.0f, 1.0f)) {
    CSceneGeoObject* object = scene.AddObject(scene.AddMesh(std::move(mesh)), at, name);
    object->scale = scale;
    scene.world.AddDynamicObject(object, 1.0f, convex);
    return object;
}

CSceneObject* AddTrigger(PhysicsScene& scene, const Mat4& at, Vec3 scale) {
    CMesh* volume = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f)));
    auto* trigger = scene.Keep(new CCallbackTrigger({volume}, "TRIGGER"));
    trigger->name = "TRIGGERKILL_deep";
    trigger->transform = at;
    trigger->scale = scale;
    scene.world.AddTrigger(trigger);
    return trigger;
}

std::unique_ptr<CMesh> Crate() { return MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)); }

}  // namespace

TEST(PhysicsBadInput, WhatTheLibraryCannotTakeIsRefusedWithItsMessage) {
    const std::string noHull =
        "WARNING: Dynamic object 'PHYS_convex_true' is flat or a single point: it has no convex hull, no body made";
    const Refusal cases[] = {
        {"flat hull", [](PhysicsScene& s) {
             return AddDynamic(s, MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {0, 1, 2, 0, 2, 3}),
                               Translation(Vec3(0, 5, 0)), "PHYS_convex_true", true); }, noHull},
        {"single-point hull", [](PhysicsScene& s) {
             return AddDynamic(s, MakeMesh({{2, 2, 2}, {2, 2, 2}, {2, 2, 2}}, {0, 1, 2}), Mat4(), "PHYS_convex_true",
                               true); }, noHull},
        {"hull with a NaN vertex", [](PhysicsScene& s) {
             auto mesh = MakeBoxMesh(Vec3(0, 0, 0), Vec3(1, 1, 1));
             mesh->vertices[3].position[1] = kNaN;
             return AddDynamic(s, std::move(mesh), Mat4(), "PHYS", true); }, "WARNING: Dynamic object 'PHYS'"},
        {"hull with an index out of range", [](PhysicsScene& s) {
             auto mesh = MakeBoxMesh(Vec3(0, 0, 0), Vec3(1, 1, 1));
             mesh->indices[5] = 4000;
             return AddDynamic(s, std::move(mesh), Mat4(), "PHYS", true); }, "WARNING: Dynamic object 'PHYS'"},
        {"zero scale", [](PhysicsScene& s) {
             return AddDynamic(s, Crate(), Mat4(), "PHYS_flat", false, Vec3(1, 0, 1)); },
         "WARNING: Dynamic object 'PHYS_flat' has a zero or invalid scale (1, 0, 1); no body made"},
        {"body far out", [](PhysicsScene& s) {
             return AddDynamic(s, Crate(), Translation(Vec3(0, 0, -2500)), "PHYS_far", false); },
         "WARNING: Dynamic object 'PHYS_far' at (0, 0, -2500) lies outside the physics world"},
        {"body at NaN", [](PhysicsScene& s) {
             return AddDynamic(s, Crate(), Translation(Vec3(kNaN, 0, 0)), "PHYS_nan", false); },
         "WARNING: Dynamic object 'PHYS_nan' has an invalid transform"},
        {"trigger far out", [](PhysicsScene& s) { return AddTrigger(s, Translation(Vec3(0, -3000, 0)), Vec3(1, 1, 1)); },
         "WARNING: Trigger 'TRIGGERKILL_deep' at (0, -3000, 0) lies outside"},
        {"trigger of zero scale", [](PhysicsScene& s) { return AddTrigger(s, Mat4(), Vec3(1, 0, 1)); },
         "WARNING: Trigger 'TRIGGERKILL_deep' has a zero scale"},
    };
    for (const Refusal& c : cases) {
        PhysicsScene scene;
        testing::internal::CaptureStderr();
        const CSceneObject* object = c.add(scene);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Contains(err, c.message)) << c.what << ": " << err;
        EXPECT_EQ(object->physData, nullptr) << c.what;
        EXPECT_EQ(scene.world.GetDynamicsWorld()->getNumCollisionObjects(), 0) << c.what;
        EXPECT_TRUE(scene.world.GetState()->triggerGhosts.empty()) << c.what;
        scene.Run(2);
    }
    // A power-up outside the world is refused the same way.
    PhysicsScene scene;
    CSceneGeoObject powerup({}, Translation(Vec3(5000.0f, 0.0f, 0.0f)), "pu", Vec3());
    testing::internal::CaptureStderr();
    scene.world.AddPowerup(&powerup, 1, [] {});
    EXPECT_TRUE(Contains(testing::internal::GetCapturedStderr(), "WARNING: Power-up 'pu' at (5000, 0, 0) lies outside"));
    EXPECT_TRUE(scene.world.GetState()->powerupGhosts.empty());
    // The flat mesh as a box is fine: a box body does not depend on the vertices.
    CSceneGeoObject* boxed = scene.AddObject(
        scene.AddMesh(MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, {0, 1, 2, 0, 2, 3})),
        Translation(Vec3(0.0f, 5.0f, 0.0f)), "PHYS");
    scene.world.AddDynamicObject(boxed, 1.0f, false);
    EXPECT_NE(BodyOf(boxed), nullptr);
}

TEST(PhysicsBadInput, NegativeOrBrokenMassBecomesOneAndZeroIsAFixedBody) {
    PhysicsScene scene;
    scene.AddFloor();
    CMesh* crateMesh = scene.AddMesh(Crate());
    for (float mass : {-3.0f, kNaN}) {
        CSceneGeoObject* crate = scene.AddObject(crateMesh, Translation(Vec3(0.0f, 3.0f, 0.0f)), "PHYS_mass_x");
        testing::internal::CaptureStderr();
        scene.world.AddDynamicObject(crate, mass, false);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Contains(err, "WARNING: Dynamic object 'PHYS_mass_x' has mass ")) << err;
        EXPECT_TRUE(Contains(err, "using 1")) << err;
        ASSERT_NE(BodyOf(crate), nullptr);
        EXPECT_FLOAT_EQ(BodyOf(crate)->getInvMass(), 1.0f);
        scene.Delete(crate);
    }
    // Mass 0, as the library reads it: a body that stays where it was put, hanging in the air.
    CSceneGeoObject* fixed = scene.AddObject(crateMesh, Translation(Vec3(0.0f, 3.0f, 0.0f)), "PHYS_mass_0");
    testing::internal::CaptureStderr();
    scene.world.AddDynamicObject(fixed, 0.0f, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(BodyOf(fixed), nullptr);
    EXPECT_TRUE(BodyOf(fixed)->isStaticObject());
    scene.Run(60);
    EXPECT_FLOAT_EQ(fixed->transform[13], 3.0f);
    scene.Delete(fixed);
}

TEST(PhysicsBadInput, ZeroLengthAndBrokenRaysCountAsUnblocked) {
    PhysicsScene scene;
    scene.AddFloor();
    testing::internal::CaptureStderr();
    EXPECT_FLOAT_EQ(scene.world.RayFraction(Vec3(0.0f, -0.5f, 0.0f), Vec3(0.0f, -0.5f, 0.0f)), 1.0f);
    EXPECT_FLOAT_EQ(scene.world.RayFraction(Vec3(0.0f, 1.0f, 0.0f), Vec3(kNaN, -1.0f, 0.0f)), 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Ray of zero length or with invalid coordinates; counted as unblocked (reported once per "
              "level)\n");
    // Ordinary rays still work.
    EXPECT_NEAR(scene.world.RayFraction(Vec3(0.0f, 1.0f, 0.0f), Vec3(0.0f, -1.0f, 0.0f)), 0.5f, 1e-5f);
}

TEST(PhysicsBadInput, BrokenStepTimesAreIgnoredOrCut) {
    PhysicsScene scene;
    scene.AddFloor();
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CSceneGeoObject* crate = scene.AddObject(crateMesh, Translation(Vec3(0.0f, 5.0f, 0.0f)), "PHYS");
    scene.world.AddDynamicObject(crate, 1.0f, false);
    testing::internal::CaptureStderr();
    scene.world.Step(std::nan(""));
    scene.world.Step(-1.0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Contains(err, "WARNING: Physics step of nan seconds ignored")) << err;
    EXPECT_TRUE(Contains(err, "WARNING: Physics step of -1 seconds ignored")) << err;
    EXPECT_FLOAT_EQ(crate->transform[13], 5.0f);
    scene.world.Step(1e30);  // at most seven sub-steps, as for any long frame
    EXPECT_LT(crate->transform[13], 5.0f);
    EXPECT_TRUE(std::isfinite(crate->transform[13]));
}

TEST(PhysicsBadInput, NothingHappensOnAWorldNotBuilt) {
    CPhysicsWorld world;
    CMesh* none = nullptr;
    CSceneGeoObject object({none}, Mat4(), "o", Vec3());
    world.AddStaticMesh(&object);
    world.Step(1.0 / 60.0);
    EXPECT_FLOAT_EQ(world.RayFraction(Vec3(0, 0, 0), Vec3(0, 1, 0)), 1.0f);
    EXPECT_EQ(world.GetDynamicsWorld(), nullptr);
}

TEST(PhysicsBadInput, PushBoxStaysPutWhileThePlayersTransformIsBroken) {
    PhysicsScene scene;
    auto* player = scene.Keep(new CPlayerObject());
    player->transform = Translation(Vec3(2.0f, 0.0f, 0.0f));
    scene.world.AddKinematicObject(player);
    scene.Run(1);
    btRigidBody* pushBox = BodyOf(player);
    const btVector3 at = pushBox->getWorldTransform().getOrigin();
    player->transform[12] = kNaN;
    scene.Run(3);
    EXPECT_EQ(pushBox->getWorldTransform().getOrigin(), at);
    player->transform = Translation(Vec3(4.0f, 0.0f, 0.0f));
    scene.Run(1);
    EXPECT_FLOAT_EQ(pushBox->getWorldTransform().getOrigin().x(), 4.0f);
}
