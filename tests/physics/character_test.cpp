// The melting figure on the library's kinematic character controller, in fixed sub-steps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PhysicsKit.h"
#include "physics/PhysCharacterImpl.h"

namespace {

class CharacterTest : public testing::Test {
protected:
    void SetUp() override {
        scene.AddFloor();
        player = scene.Keep(new CPlayerObject());
        player->transform = Translation(Vec3(0.0f, 0.5f, 0.0f));
        character.reset(static_cast<CPhysCharacterImpl*>(scene.world.CreateCharacter(player)));
        // Settle on the floor.
        scene.Run(60);
    }
    void TearDown() override { character.reset(); }

    Vec3 Position() const { return Vec3(player->transform[12], player->transform[13], player->transform[14]); }
    // One frame of the play state: the velocity, then one sub-step.
    void Walk(const Vec3& velocity, int frames) {
        for (int i = 0; i < frames; ++i) {
            character->SetWalkVelocity(velocity);
            scene.Run(1);
        }
    }

    PhysicsScene scene;
    CPlayerObject* player = nullptr;
    std::unique_ptr<CPhysCharacterImpl> character;
};

// The figure's origin stands 0.2 below the cylinder's foot (and the library keeps a small gap).
const float kStandingY = -0.2f;

}  // namespace

TEST_F(CharacterTest, StandingFigureFallsWhenTheGroundIsGone) {
    // Put the figure 3 units up while it is told to stand still every frame.
    player->transform = Translation(Vec3(0.0f, 3.0f, 0.0f));
    Walk(Vec3(0.0f, 0.0f, 0.0f), 120);
    EXPECT_NEAR(Position().y, kStandingY, 0.06f);
}

TEST_F(CharacterTest, StandsOnTheFloorAndAJumpPeaksAboutOneAndAQuarterUnits) {
    const float ground = Position().y;
    EXPECT_NEAR(ground, kStandingY, 0.06f);
    EXPECT_TRUE(character->OnGround());
    ASSERT_TRUE(character->CanJump());
    character->Jump();
    float peak = ground;
    for (int i = 0; i < 90; ++i) {
        Walk(Vec3(0.0f, 0.0f, 0.0f), 1);
        peak = std::max(peak, Position().y);
    }
    // v^2 / 2g = 25 / 20, less a little for the fixed steps.
    EXPECT_NEAR(peak - ground, 1.25f, 0.1f);
    EXPECT_NEAR(Position().y, ground, 0.01f);
    EXPECT_TRUE(character->OnGround());
}

TEST_F(CharacterTest, ClimbsALowStepButNotAWall) {
    // A 0.3 step starting at x = 2, and a 0.5 wall starting at z = 2.
    CMesh* step = scene.AddMesh(MakeBoxMesh(Vec3(2.0f, 0.0f, -1.5f), Vec3(8.0f, 0.3f, 1.5f)));
    scene.world.AddStaticMesh(scene.AddObject(step, Mat4(), "step"));
    CMesh* wall = scene.AddMesh(MakeBoxMesh(Vec3(-10.0f, 0.0f, 2.0f), Vec3(-3.0f, 0.5f, 8.0f)));
    scene.world.AddStaticMesh(scene.AddObject(wall, Mat4(), "wall"));

    Walk(Vec3(4.0f, 0.0f, 0.0f), 90);
    EXPECT_GT(Position().x, 4.0f);
    EXPECT_NEAR(Position().y, kStandingY + 0.3f, 0.06f);

    player->transform = Translation(Vec3(-6.0f, kStandingY, 0.0f));
    Walk(Vec3(0.0f, 0.0f, 4.0f), 90);
    EXPECT_LT(Position().z, 2.0f - 0.45f);
    EXPECT_NEAR(Position().y, kStandingY, 0.06f);
}

TEST_F(CharacterTest, ShapeAndOffsetFollowTheLife) {
    btPairCachingGhostObject* ghost = character->GetGhost();
    EXPECT_EQ(ghost->getCollisionShape(), character->GetShape(0));
    EXPECT_EQ(character->GetShape(0)->getHalfExtentsWithMargin(), btVector3(0.5f, 1.8f, 0.5f));
    EXPECT_NEAR(ghost->getWorldTransform().getOrigin().y() - Position().y, 2.0f, 1e-4f);

    character->SetLife(0.5f);
    scene.Run(1);
    EXPECT_EQ(ghost->getCollisionShape(), character->GetShape(100));
    EXPECT_NEAR(ghost->getWorldTransform().getOrigin().y() - Position().y, 1.025f, 1e-4f);

    character->SetLife(0.0f);
    scene.Run(1);
    EXPECT_EQ(ghost->getCollisionShape(), character->GetShape(199));
    EXPECT_NEAR(character->GetShape(199)->getHalfExtentsWithMargin().x(), 0.1f, 1e-6f);
    EXPECT_NEAR(character->GetShape(199)->getHalfExtentsWithMargin().y(), 0.3f, 1e-6f);
    // Melted down, it still walks.
    const float x = Position().x;
    Walk(Vec3(8.0f, 0.0f, 0.0f), 30);
    EXPECT_NEAR(Position().x - x, 4.0f, 0.2f);
}

TEST_F(CharacterTest, BrokenVelocityOrTransformLeavesTheFigureStanding) {
    const Vec3 start = Position();
    testing::internal::CaptureStderr();
    Walk(Vec3(std::nanf(""), 0.0f, 8.0f), 10);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("WARNING: Walk velocity (nan, 0, 8) is not a number; the player stands still"),
              std::string::npos)
        << err;
    EXPECT_NEAR(Position().x, start.x, 1e-4f);
    EXPECT_NEAR(Position().z, start.z, 1e-4f);

    const btVector3 ghostAt = character->GetGhost()->getWorldTransform().getOrigin();
    player->transform[13] = std::nanf("");
    testing::internal::CaptureStderr();
    Walk(Vec3(8.0f, 0.0f, 0.0f), 10);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "WARNING: The player's transform is not a number; the character stays where it was\n");
    EXPECT_EQ(character->GetGhost()->getWorldTransform().getOrigin(), ghostAt);
    // Put back on its feet, it walks again.
    player->transform = Translation(start);
    Walk(Vec3(8.0f, 0.0f, 0.0f), 30);
    EXPECT_NEAR(Position().x - start.x, 4.0f, 0.2f);
}
