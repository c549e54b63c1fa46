// A level's physics torn down as the game does it, and a world destroyed too early. Run this
// executable under valgrind or AddressSanitizer to see that nothing is left behind.

#include <gtest/gtest.h>

#include "PhysicsKit.h"
#include "physics/MeshPhysData.h"
#include "physics/PhysCharacterImpl.h"
#include "physics/PhysicsWorldState.h"
#include "physics/SceneObjectPhysData.h"
#include "scene/CallbackTrigger.h"

namespace {

// Everything one level puts into a world: scenery, a convex and a box body, a trigger, two
// power-ups, the character and the push box.
struct Level {
    explicit Level(CPhysicsWorld& world) {
        scenery = MakeBoxMesh(Vec3(-20.0f, -1.0f, -20.0f), Vec3(20.0f, 0.0f, 20.0f));
        crateMesh = MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f));
        rockMesh = MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 1.5f, 1.0f));
        volumeMesh = MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f));
        objects.emplace_back(new CSceneGeoObject({scenery.get()}, Mat4(), "ground", Vec3()));
        world.AddStaticMesh(objects.back().get());
        objects.emplace_back(new CSceneGeoObject({crateMesh.get()}, Translation(Vec3(3, 2, 0)), "PHYS", Vec3()));
        world.AddDynamicObject(objects.back().get(), 2.0f, false);
        objects.emplace_back(new CSceneGeoObject({rockMesh.get()}, Translation(Vec3(-3, 2, 0)), "PHYS", Vec3()));
        world.AddDynamicObject(objects.back().get(), 2.0f, true);
        auto* trigger = new CCallbackTrigger({volumeMesh.get()}, "TRIGGEREND");
        trigger->transform = Translation(Vec3(0.0f, 0.0f, 0.0f));
        objects.emplace_back(trigger);
        world.AddTrigger(trigger);
        for (int i = 0; i < 2; ++i) {
            powerups[i].reset(
                new CSceneGeoObject({}, Translation(Vec3(0.0f, 1.0f, 0.5f * static_cast<float>(i))), "pu", Vec3()));
            world.AddPowerup(powerups[i].get(), i, [] {});
        }
        character.reset(world.CreateCharacter(&player));
        world.AddKinematicObject(&player);
        world.DeactivateBody(&player);
    }
    // The level change's order: level objects (with their meshes), power-ups, character, the
    // player's record; the world goes last.
    void Release() {
        objects.clear();
        scenery.reset();
        crateMesh.reset();
        rockMesh.reset();
        volumeMesh.reset();
        for (auto& powerup : powerups) powerup.reset();
        character.reset();
        delete player.physData;
        player.physData = nullptr;
    }

    std::unique_ptr<CMesh> scenery, crateMesh, rockMesh, volumeMesh;
    std::vector<std::unique_ptr<CSceneObject>> objects;
    CPlayerObject player;
    std::unique_ptr<CSceneObject> powerups[2];
    std::unique_ptr<CPhysCharacter> character;
};

}  // namespace

TEST(PhysicsTeardown, LevelChangeLeavesNothingBehind) {
    CPhysicsWorld world;
    for (int level = 0; level < 3; ++level) {
        world.Init();
        Level content(world);
        CPhysicsWorldState* state = world.GetState();
        EXPECT_EQ(world.GetDynamicsWorld()->getNumCollisionObjects(), 8);
        for (int i = 0; i < 120; ++i) {
            content.character->SetWalkVelocity(Vec3(1.0f, 0.0f, 0.0f));
            world.Step(1.0 / 60.0);
        }
        content.Release();
        EXPECT_EQ(world.GetDynamicsWorld()->getNumCollisionObjects(), 0);
        EXPECT_TRUE(state->triggerGhosts.empty() && state->powerupGhosts.empty() && state->meshRecords.empty() &&
                    state->objectRecords.empty() && state->characters.empty());
        testing::internal::CaptureStderr();
        world.Destroy();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(world.IsInitialized());
    }
}

TEST(PhysicsTeardown, WorldDestroyedFirstDetachesWhatStillUsesIt) {
    CPhysicsWorld world;
    world.Init();
    Level content(world);
    world.Step(1.0 / 60.0);
    testing::internal::CaptureStderr();
    world.Destroy();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Physics world destroyed while 11 physics records or characters still use it; detaching "
              "them\n");
    // Deleting them now touches no freed memory (AddressSanitizer or valgrind would tell).
    content.Release();
}

TEST(PhysicsTeardown, RecordWithoutCollisionObjectTouchesNoWorld) {
    CPhysicsWorld world;
    world.Init();
    auto* record = new CSceneObjectPhysData(world.GetState());
    EXPECT_EQ(record->world, world.GetState());
    testing::internal::CaptureStderr();
    world.Destroy();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Physics world destroyed while 1 physics records or characters still use it; detaching "
              "them\n");
    EXPECT_EQ(record->world, nullptr);  // detached: deleting it touches no freed world
    delete record;
}
