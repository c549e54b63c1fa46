// Triggers, power-up ghosts and the push box, driven by the player's push box over scripted
// sub-steps of the real library.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PhysicsKit.h"
#include "scene/SceneGeoObject.h"
#include "physics/PhysicsWorldState.h"
#include "scene/CallbackTrigger.h"

namespace {

using Events = std::vector<std::string>;

// Records the five notifications of a callback trigger as they arrive, by their names.
template <int kEvent>
void Record(CSceneTrigger*, void* events) {
    static const char* const kNames[] = {"Inside", "FirstEnter", "FirstLeave", "Enter", "Leave"};
    static_cast<Events*>(events)->push_back(kNames[kEvent]);
}

CCallbackTrigger* RecordingTrigger(PhysicsScene& scene, CMesh* volume, const Vec3& at, Events* events) {
    auto* trigger = scene.Keep(new CCallbackTrigger({volume}, "TRIGGER"));
    trigger->transform = Translation(at);
    trigger->userData = events;
    const TriggerCallback record[] = {Record<0>, Record<1>, Record<2>, Record<3>, Record<4>};
    std::copy(std::begin(record), std::end(record), std::begin(trigger->callbacks));
    return trigger;
}

class TriggerTest : public testing::Test {
protected:
    void SetUp() override {
        // A 2 x 2 x 2 volume at x = 10; the push box (1 x 3.6 x 1 on the player's origin) pokes
        // through its top when the player stands in it.
        volume = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f)));
        player = scene.Keep(new CPlayerObject());
        scene.world.AddKinematicObject(player);
        scene.world.DeactivateBody(player);
    }
    void PlayerAt(float x) { player->transform = Translation(Vec3(x, 0.0f, 0.0f)); }
    // One sub-step with the player at x.
    void TickAt(float x) {
        PlayerAt(x);
        scene.Run(1);
    }

    PhysicsScene scene;
    CMesh* volume = nullptr;
    CPlayerObject* player = nullptr;
};

}  // namespace

TEST_F(TriggerTest, EnterStayLeaveAndEnterAgain) {
    Events events;
    auto* trigger = RecordingTrigger(scene, volume, Vec3(10.0f, 0.0f, 0.0f), &events);
    scene.world.AddTrigger(trigger);

    TickAt(0.0f);
    EXPECT_TRUE(events.empty());  // leaving without having entered sends nothing
    TickAt(10.0f);
    EXPECT_EQ(events, (Events{"Inside", "FirstEnter", "Enter"}));
    EXPECT_TRUE(trigger->inside);
    TickAt(10.0f);
    TickAt(10.2f);
    EXPECT_EQ(events, (Events{"Inside", "FirstEnter", "Enter", "Inside", "Inside"}));
    events.clear();
    TickAt(0.0f);
    EXPECT_EQ(events, (Events{"FirstLeave", "Leave"}));
    EXPECT_FALSE(trigger->inside);
    TickAt(0.0f);
    EXPECT_EQ(events.size(), 2u);
    events.clear();
    TickAt(10.0f);
    EXPECT_EQ(events, (Events{"Inside", "Enter"}));  // no second FirstEnter
    events.clear();
    TickAt(0.0f);
    EXPECT_EQ(events, (Events{"Leave"}));  // no second FirstLeave
}

TEST_F(TriggerTest, PushBoxTouchesTriggersWhetherActiveOrNot) {
    Events events;
    scene.world.AddTrigger(RecordingTrigger(scene, volume, Vec3(10.0f, 0.0f, 0.0f), &events));
    TickAt(10.0f);  // deactivated, as after a level load, and inside at the first tick
    EXPECT_EQ(events.size(), 3u);
    scene.world.ActivateBody(player);
    TickAt(0.0f);
    TickAt(10.0f);
    EXPECT_EQ(events, (Events{"Inside", "FirstEnter", "Enter", "FirstLeave", "Leave", "Inside", "Enter"}));
}

TEST_F(TriggerTest, DeletingTheTriggerRemovesItsGhost) {
    Events events, otherEvents;
    auto* trigger = RecordingTrigger(scene, volume, Vec3(10.0f, 0.0f, 0.0f), &events);
    scene.world.AddTrigger(trigger);
    CMesh* otherVolume = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, 0.0f, -1.0f), Vec3(1.0f, 2.0f, 1.0f)));
    scene.world.AddTrigger(RecordingTrigger(scene, otherVolume, Vec3(-10.0f, 0.0f, 0.0f), &otherEvents));
    CPhysicsWorldState* state = scene.world.GetState();
    ASSERT_EQ(state->triggerGhosts.size(), 2u);
    const int objects = scene.world.GetDynamicsWorld()->getNumCollisionObjects();

    TickAt(10.0f);
    EXPECT_EQ(events.size(), 3u);
    btCollisionObject* otherGhost = state->triggerGhosts[1];
    scene.Delete(trigger);
    ASSERT_EQ(state->triggerGhosts.size(), 1u);
    EXPECT_EQ(state->triggerGhosts[0], otherGhost);
    EXPECT_EQ(scene.world.GetDynamicsWorld()->getNumCollisionObjects(), objects - 1);
    events.clear();
    TickAt(0.0f);
    TickAt(10.0f);
    EXPECT_TRUE(events.empty());
    // The other trigger still works.
    TickAt(-10.0f);
    EXPECT_EQ(otherEvents, (Events{"Inside", "FirstEnter", "Enter"}));
}

// ---- Power-ups ----------------------------------------------------------------------------

class PowerupTest : public TriggerTest {
protected:
    // A power-up's ghost (a box of half extents 1) around x; a touch notes its name.
    CSceneObject* AddPowerupAt(const std::string& name, float x) {
        objects.emplace_back(new CSceneGeoObject({}, Translation(Vec3(x, 1.0f, 0.0f)), name, Vec3()));
        scene.world.AddPowerup(objects.back().get(), static_cast<int>(objects.size()),
                               [this, name] { touches.push_back(name); });
        return objects.back().get();
    }
    std::vector<std::unique_ptr<CSceneObject>> objects;
    std::vector<std::string> touches;
};

// Every power-up the push box touches reports after the sub-step, in the order added, and
// again after each sub-step it still touches; what the touch means is the game's business.
TEST_F(PowerupTest, EachTouchedGhostReportsAfterEverySubStep) {
    AddPowerupAt("near", 4.5f);
    AddPowerupAt("far", 5.5f);
    AddPowerupAt("away", 20.0f);
    TickAt(0.0f);
    EXPECT_TRUE(touches.empty());
    TickAt(5.0f);
    EXPECT_EQ(touches, (std::vector<std::string>{"near", "far"}));
    TickAt(5.0f);
    EXPECT_EQ(touches.size(), 4u);
}

TEST_F(PowerupTest, GhostLeavesWithTheObject) {
    AddPowerupAt("spot", 5.0f);
    CPhysicsWorldState* state = scene.world.GetState();
    ASSERT_EQ(state->powerupGhosts.size(), 1u);
    objects.clear();  // the object goes, its ghost with it
    EXPECT_TRUE(state->powerupGhosts.empty());
    TickAt(5.0f);
    EXPECT_TRUE(touches.empty());
}

// ---- Push box -----------------------------------------------------------------------------

TEST_F(TriggerTest, PushBoxShovesADynamicBoxOnlyWhileActive) {
    scene.AddFloor();
    CMesh* crateMesh = scene.AddMesh(MakeBoxMesh(Vec3(-0.5f, -0.5f, 0.0f), Vec3(0.5f, 0.5f, 1.0f)));
    CSceneGeoObject* crate =
        scene.AddObject(crateMesh, Rotate(Translation(Vec3(1.5f, 0.0f, 0.0f)), -90.0f, Vec3(1.0f, 0.0f, 0.0f)),
                        "crate");
    scene.world.AddDynamicObject(crate, 2.0f, false);
    // Sweep the (inactive) push box from x = -1 right through the crate to x = 2.
    for (int i = 0; i <= 60; ++i) TickAt(-1.0f + 3.0f * static_cast<float>(i) / 60.0f);
    EXPECT_NEAR(crate->transform[12], 1.5f, 0.05f);

    // Back out, switch it on, and sweep again: now the crate is shoved.
    for (int i = 0; i < 10; ++i) TickAt(-1.0f);
    scene.world.ActivateBody(player);
    for (int i = 0; i <= 60; ++i) TickAt(-1.0f + 3.0f * static_cast<float>(i) / 60.0f);
    EXPECT_GT(crate->transform[12], 2.3f);

    // Switched off again, the sweep passes through once more.
    for (int i = 0; i < 60; ++i) TickAt(-1.0f);
    const float x = crate->transform[12];
    scene.world.DeactivateBody(player);
    for (int i = 0; i <= 60; ++i) TickAt(-1.0f + (x + 0.5f) * static_cast<float>(i) / 60.0f);
    EXPECT_NEAR(crate->transform[12], x, 0.05f);
}
