// The plain camera and the camera that follows the player: placement, the factor that pulls
// the camera in below the player, hiding the player, and the bounds the input must respect.
#include <gtest/gtest.h>

#include <cmath>

#include "math/Matrix.h"
#include "scene/AnchoredSceneCamera.h"
#include "scene/PlayerObject.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectVecNear;

const float kVecTolerance = 1e-4f;

Vec3 Position(const CSceneObject& object) {
    return {object.transform[12], object.transform[13], object.transform[14]};
}

// A player standing at (4, 1, -2), followed at the play state's offset of 3 units up.
class FollowCamera : public ::testing::Test {
protected:
    FollowCamera() {
        player.transform[12] = 4.0f;
        player.transform[13] = 1.0f;
        player.transform[14] = -2.0f;
    }
    Vec3 Target() const { return Vec3(4.0f, 1.0f, -2.0f) + Vec3(0.0f, 3.0f, 0.0f) * camera.sizeFactor; }
    float DistanceToTarget() const { return Length(Position(camera) - Target()); }

    CPlayerObject player;
    CAnchoredSceneCamera camera{&player, {0.0f, 3.0f, 0.0f}};
};

TEST(SceneCamera, ViewIsTheInverseOfWhereTheCameraStands) {
    CSceneCamera camera;
    camera.transform = Rotate(Mat4(), 30.0f, kAxisY);
    camera.transform[12] = 5.0f;
    camera.transform[14] = 7.0f;
    camera.Update();
    // The camera's own position lands on the view-space origin, a point in front of it on -z.
    ExpectVecNear(TransformPoint(camera.viewMatrix, {5.0f, 0.0f, 7.0f}), {0, 0, 0}, kVecTolerance);
    const Vec3 ahead = Vec3(5.0f, 0.0f, 7.0f) - Vec3(camera.transform[8], camera.transform[9], camera.transform[10]) * 2.0f;
    ExpectVecNear(TransformPoint(camera.viewMatrix, ahead), {0, 0, -2}, kVecTolerance);
}

TEST_F(FollowCamera, DefaultsLookDownFortyFiveDegreesFromTheFrontAtTheTarget) {
    camera.Update();
    const float leg = 10.0f * std::sqrt(0.5f);
    ExpectVecNear(Position(camera), Target() + Vec3(0.0f, leg, leg), kVecTolerance);
    // The target sits straight ahead of the camera at the full distance.
    ExpectVecNear(TransformPoint(camera.viewMatrix, Target()), {0.0f, 0.0f, -10.0f}, kVecTolerance);
    EXPECT_TRUE(player.visible);
}

TEST_F(FollowCamera, LevelPitchAndYawPlaceTheCameraBehindTheTarget) {
    camera.pitch = 0.0f;
    camera.Update();
    EXPECT_FLOAT_EQ(camera.BelowAnchorFactor(), 1.0f);
    ExpectVecNear(Position(camera), Target() + Vec3(0.0f, 0.0f, 10.0f), kVecTolerance);
    camera.yaw = 90.0f;
    camera.Update();
    ExpectVecNear(Position(camera), Target() + Vec3(10.0f, 0.0f, 0.0f), kVecTolerance);
    ExpectVecNear(TransformPoint(camera.viewMatrix, Target()), {0.0f, 0.0f, -10.0f}, kVecTolerance);
}

TEST_F(FollowCamera, BelowThePlayerTheCameraPullsInAndTheAngleIsCappedAtFortyFive) {
    camera.pitch = -45.0f;
    camera.Update();
    const float at45 = DistanceToTarget();
    EXPECT_NEAR(at45, 10.0f * 0.2225f, 1e-3f);  // cos(1.3464 rad)
    camera.pitch = -60.0f;
    camera.Update();
    EXPECT_NEAR(DistanceToTarget(), at45, 1e-4f);
    EXPECT_NEAR(camera.BelowAnchorFactor() * 10.0f, at45, 1e-4f);
    // Half way down the factor lies between the two ends, and the camera is below the target.
    camera.pitch = -20.0f;
    camera.Update();
    EXPECT_GT(DistanceToTarget(), at45 + 1.0f);
    EXPECT_LT(DistanceToTarget(), 10.0f);
    EXPECT_LT(camera.transform[13], Target().y);
}

TEST_F(FollowCamera, ThePlayerIsHiddenFromBeneathPastMinusEightyAndFromInsideIt) {
    struct Case {
        float pitch, distance, sizeFactor;
        bool visible;
    };
    const Case cases[] = {{-80.0f, 10.0f, 1.0f, true}, {-80.5f, 10.0f, 1.0f, false}, {30.0f, 10.0f, 1.0f, true},
                          {45.0f, 0.005f, 1.0f, false}, {45.0f, 0.02f, 1.0f, true}, {45.0f, 0.0f, 1.0f, false},
                          // a short distance that the melting scale shrinks below the limit
                          {45.0f, 0.015f, 0.5f, false}};
    for (const Case& c : cases) {
        camera.pitch = c.pitch;
        camera.distance = c.distance;
        camera.sizeFactor = c.sizeFactor;
        camera.Update();
        EXPECT_EQ(player.visible, c.visible) << c.pitch << " " << c.distance << " " << c.sizeFactor;
    }
}

TEST_F(FollowCamera, InputKeepsYawPitchDistanceAndSizeInTheirBounds) {
    camera.Turn(350.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 350.0f);
    camera.Turn(20.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.yaw, 10.0f);
    camera.Turn(-30.0f, 0.0f);  // the remainder keeps the sign of the sum
    EXPECT_FLOAT_EQ(camera.yaw, -20.0f);
    camera.Turn(0.0f, 100.0f);
    EXPECT_FLOAT_EQ(camera.pitch, 89.9f);
    camera.Turn(0.0f, -500.0f);
    EXPECT_FLOAT_EQ(camera.pitch, -89.9f);
    camera.SetDistance(-3.0f);
    EXPECT_EQ(camera.distance, 0.0f);
    camera.SetDistance(250.0f);
    EXPECT_EQ(camera.distance, 100.0f);
    camera.SetSizeFactor(0.05f);
    EXPECT_EQ(camera.sizeFactor, 0.2f);
    camera.SetSizeFactor(1.7f);
    EXPECT_EQ(camera.sizeFactor, 1.0f);
}

TEST_F(FollowCamera, StraightDownAndUpStillGiveAFiniteView) {
    for (float pitch : {89.9f, -89.9f}) {
        camera.pitch = pitch;
        camera.Update();
        for (float v : camera.viewMatrix.m) EXPECT_TRUE(std::isfinite(v));
        ExpectVecNear(TransformPoint(camera.viewMatrix, Target()), {0.0f, 0.0f, -10.0f * camera.BelowAnchorFactor()}, kVecTolerance);
    }
}

}  // namespace
