#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gameplay/Powerup.h"
#include "scene/PlayerObject.h"
#include "scene/SceneGeoObject.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectVecNear;

const float kVecTolerance = 1e-5f;

Vec3 Translation(const Mat4& m) { return {m[12], m[13], m[14]}; }

// A model root with one child, as the model manager keeps milk and umbrella.
struct Model {
    CSceneObject root;
    Model() { root.AddChild(new CSceneObject()); }
};

}  // namespace

TEST(Powerup, CopyHangsTiltedAndOffsetFromItsSpawn) {
    Model model;
    CPlayerObject player;
    auto powerup = CreatePowerup(model.root, POWERUP_KIND_MILK, 7, {10.0f, 2.0f, -4.0f}, &player);
    ASSERT_TRUE(powerup);
    EXPECT_EQ(powerup->number, 7);
    EXPECT_FALSE(powerup->object->ownsChildren);
    EXPECT_EQ(powerup->object->children, model.root.children);  // shared, not copied
    // Moved by (-0.5, 0, 0.4) along its own (still unrotated) axes, then turned 30 degrees
    // about its own Z axis.
    const Mat4& m = powerup->object->transform;
    ExpectVecNear(Translation(m), {9.5f, 2.0f, -3.6f}, kVecTolerance);
    const float c = std::cos(30.0f * 3.14159265f / 180.0f), s = std::sin(30.0f * 3.14159265f / 180.0f);
    ExpectVecNear({m[0], m[1], m[2]}, {c, s, 0.0f}, kVecTolerance);
    ExpectVecNear({m[4], m[5], m[6]}, {-s, c, 0.0f}, kVecTolerance);
    ExpectVecNear({m[8], m[9], m[10]}, {0.0f, 0.0f, 1.0f}, kVecTolerance);
    EXPECT_TRUE(model.root.ownsChildren);  // the model manager's tree is left as it was
}

TEST(Powerup, ProjectorLooksStraightDownFromTheSpawn) {
    Model model;
    auto powerup = CreatePowerup(model.root, POWERUP_KIND_UMBRELLA, 1, {3.0f, 1.0f, 5.0f}, nullptr);
    ExpectVecNear(Translation(powerup->projector->transform), {3.0f, 1.0f, 5.0f}, kVecTolerance);
    const Mat4& view = powerup->projector->viewMatrix;
    // The spawn point is the eye; the pad 0.95 below it lies 0.95 along the view's -Z, and
    // +Z of the world is the projector's up.
    ExpectVecNear(TransformPoint(view, {3.0f, 1.0f, 5.0f}), {0.0f, 0.0f, 0.0f}, kVecTolerance);
    ExpectVecNear(TransformPoint(view, {3.0f, 0.05f, 5.0f}), {0.0f, 0.0f, -0.95f}, kVecTolerance);
    ExpectVecNear(TransformPoint(view, {3.0f, 1.0f, 6.0f}), {0.0f, 1.0f, 0.0f}, kVecTolerance);
    // bias * orthographic(-10, 10, -10, 10, 0.1, 1): the corners of the square map to 0 and 1.
    const Mat4& p = powerup->projectorMatrix;
    ExpectVecNear(TransformPoint(p, {-10.0f, 10.0f, -0.1f}), {0.0f, 1.0f, 0.0f}, kVecTolerance);
    ExpectVecNear(TransformPoint(p, {10.0f, -10.0f, -1.0f}), {1.0f, 0.0f, 1.0f}, kVecTolerance);
    // At ground level the view is still a proper one.
    auto low = CreatePowerup(model.root, POWERUP_KIND_MILK, 2, {1.0f, 0.0f, 1.0f}, nullptr);
    ExpectVecNear(TransformPoint(low->projector->viewMatrix, {1.0f, -0.5f, 1.0f}), {0.0f, 0.0f, -0.5f}, kVecTolerance);
}

TEST(Powerup, SpinsAboutItsOwnYAndCountsDownToZero) {
    Model model;
    auto powerup = CreatePowerup(model.root, POWERUP_KIND_MILK, 1, {0.0f, 1.0f, 0.0f}, nullptr);
    const Mat4 before = powerup->object->transform;
    powerup->respawnTimer = 0.5f;
    AnimatePowerup(*powerup, 0.25f);
    EXPECT_FLOAT_EQ(powerup->respawnTimer, 0.25f);
    const Mat4 expected = Rotate(before, -12.5f, kAxisY);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(powerup->object->transform[i], expected[i], 1e-5f) << i;
    AnimatePowerup(*powerup, 1.0f);
    EXPECT_FLOAT_EQ(powerup->respawnTimer, 0.0f);
    // Spinning does not move it.
    ExpectVecNear(Translation(powerup->object->transform), Translation(before), kVecTolerance);
}

// What a touch of the push box does: milk heals at once and comes back after 30 s, the umbrella
// shields for 22 s and comes back after 60 s; one that is waiting to come back does nothing,
// and a kind the game does not know is reported and stays available.
TEST(Powerup, ATouchPicksUpWhatIsAvailable) {
    struct Case {
        const char* what;
        int type;
        float waiting;
        float life, umbrella, respawn;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {"milk", POWERUP_KIND_MILK, 0.0f, 1.0f, 0.0f, 30.0f, "Powerup hit! 0\n", ""},
        {"umbrella", POWERUP_KIND_UMBRELLA, 0.0f, 0.25f, 22.0f, 60.0f, "Powerup hit! 1\nUmbrella time!\n", ""},
        {"milk coming back", POWERUP_KIND_MILK, 0.5f, 0.25f, 0.0f, 0.5f, "", ""},
        {"unknown kind", 7, 0.0f, 0.25f, 0.0f, 0.0f, "Powerup hit! 7\n", "ERROR: Unknown powerup type!\n"},
    };
    Model model;
    for (const Case& c : cases) {
        CPlayerObject player;
        player.life = 0.25f;
        auto powerup = CreatePowerup(model.root, c.type, 1, {0.0f, 1.0f, 0.0f}, &player);
        powerup->respawnTimer = c.waiting;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        OnPowerupTouched(*powerup);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.what;
        EXPECT_FLOAT_EQ(player.life, c.life) << c.what;
        EXPECT_EQ(player.milkPicked, c.life == 1.0f) << c.what;
        EXPECT_FLOAT_EQ(player.umbrellaTime, c.umbrella) << c.what;
        EXPECT_FLOAT_EQ(powerup->respawnTimer, c.respawn) << c.what;
    }
}
