// The sun test on the real physics library.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gameplay/SunTest.h"
#include "physics/PhysCharacter.h"
#include "PhysicsKit.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectVecNear;

const float kVecTolerance = 1e-4f;

const Vec3 kStraightDown(0.0f, -1.0f, 0.0f);

// A flat floor and a player standing on it at the origin. The figure's box is modelled 50 times
// too large, like the real one: at scale 0.02 it is 1 x 3.6 x 1 units, x and z from -0.5 to 0.5.
class SunScene : public ::testing::Test {
protected:
    SunScene() {
        testing::internal::CaptureStdout();  // the world's start-up lines
        scene.AddFloor();
        player = scene.Keep(new CPlayerObject);
        const Vec3 lo(-25.0f, 0.0f, -25.0f), hi(25.0f, 180.0f, 25.0f);
        for (int i = 0; i < 8; ++i) player->localCorners[i] = Vec3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
        testing::internal::GetCapturedStdout();
    }
    float SunValue(const Vec3& direction = kStraightDown) {
        const int shaded = CastSunRays(*player, scene.world, direction, rays);
        return SunValueFromShade(shaded, true, player->umbrellaTime);
    }
    // A static slab over the negative-x half of the player, 5 units up.
    void AddRoofOverNegativeX() {
        CMesh* mesh = scene.AddMesh(MakeBoxMesh(Vec3(-10.0f, 5.0f, -10.0f), Vec3(0.0f, 5.5f, 10.0f)));
        scene.world.AddStaticMesh(scene.AddObject(mesh, Mat4(), "roof"));
    }

    PhysicsScene scene;
    CPlayerObject* player = nullptr;
    CSunRays rays;
};

TEST_F(SunScene, OpenSkyIsFullSunFromAnyDirection) {
    EXPECT_FLOAT_EQ(SunValue(), 1.0f);
    EXPECT_FLOAT_EQ(SunValue(Normalize(Vec3(1.0f, -1.0f, 0.3f))), 1.0f);
    for (bool blocked : rays.blocked) EXPECT_FALSE(blocked);
    ExpectVecNear(Normalize(rays.end[0] - rays.start[0]), Normalize(Vec3(-1.0f, 1.0f, -0.3f)), kVecTolerance);
}

TEST_F(SunScene, HalfUnderARoofEdgeIsHalfSun) {
    AddRoofOverNegativeX();
    EXPECT_FLOAT_EQ(SunValue(), 0.5f);
    // Exactly the corners on the roof's side (index bit 0 clear: minimum x) are shaded.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rays.blocked[i], (i & 1) == 0) << "corner " << i;
    // With the sun low from +x the rays of all corners leave under the roof's open side...
    EXPECT_FLOAT_EQ(SunValue(Normalize(Vec3(-1.0f, -0.2f, 0.0f))), 1.0f);
    // ...and from -x they all pass under the roof.
    EXPECT_FLOAT_EQ(SunValue(Normalize(Vec3(1.0f, -0.5f, 0.0f))), 0.0f);
}

TEST_F(SunScene, UmbrellaAndDisabledLightDamageGiveZeroWhateverTheShade) {
    for (int shaded : {0, 3}) {
        EXPECT_EQ(SunValueFromShade(shaded, false, 0.0f), 0.0f);
        EXPECT_EQ(SunValueFromShade(shaded, true, 0.01f), 0.0f);
    }
    // An umbrella that has run out protects no more.
    player->umbrellaTime = 0.0f;
    EXPECT_FLOAT_EQ(SunValue(), 1.0f);
    player->umbrellaTime = 3.0f;
    EXPECT_EQ(SunValue(), 0.0f);
}

TEST_F(SunScene, SamplePointsSitInsideTheBoxAtFullLifeAndOnItsCornersAtZero) {
    player->transform[12] = 3.0f;
    player->transform[14] = -2.0f;
    player->life = 1.0f;
    SunValue();
    for (int i = 0; i < 8; ++i) {
        const bool top = (i & 2) != 0;
        ExpectVecNear(rays.start[i], player->worldCorners[i] + Vec3(0.0f, top ? -0.5f : 0.5f, 0.0f), kVecTolerance);
    }
    ExpectVecNear(rays.start[7], {3.5f, 3.1f, -1.5f}, kVecTolerance);
    player->life = 0.0f;
    SunValue();
    for (int i = 0; i < 8; ++i) ExpectVecNear(rays.start[i], player->worldCorners[i], kVecTolerance);
    // The corners are refreshed from the current model matrix: a melted figure is probed small.
    player->scale = {0.001f, 0.001f, 0.001f};
    SunValue();
    ExpectVecNear(rays.start[7], {3.025f, 0.18f, -1.975f}, kVecTolerance);
}

TEST_F(SunScene, ACrateOverThePlayerShadesUntilItFallsAway) {
    CMesh* slab = scene.AddMesh(MakeBoxMesh(Vec3(-1.0f, -0.1f, -1.0f), Vec3(0.0f, 0.1f, 1.0f)));
    CSceneGeoObject* crate = scene.AddObject(slab, Translation({0.0f, 6.0f, 0.0f}), "crate");
    testing::internal::CaptureStdout();
    scene.world.AddDynamicObject(crate, 1.0f, true);
    testing::internal::GetCapturedStdout();
    EXPECT_FLOAT_EQ(SunValue(), 0.5f);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rays.blocked[i], (i & 1) == 0) << "corner " << i;
    // Two seconds later it lies on the floor, below every sample point: full sun again.
    scene.Run(120);
    EXPECT_LT(crate->transform[13], 0.5f);
    EXPECT_FLOAT_EQ(SunValue(), 1.0f);
}

TEST(SunKeys, EachKeyTurnsTheLightItsWayAndKeypadFiveResets) {
    const float r = std::sqrt(0.5f);
    SunKeys keys;
    // Keypad 8 for half a second: a quarter turn about +y takes +x to -z.
    keys.turnYLeft = true;
    ExpectVecNear(TurnSunDirection({r, -r, 0.0f}, keys, 0.5), {0.0f, -r, -r}, kVecTolerance);
    keys = SunKeys();
    keys.turnXDown = true;  // keypad 4: straight down turns towards +z
    ExpectVecNear(TurnSunDirection(kStraightDown, keys, 0.5), {0.0f, 0.0f, 1.0f}, kVecTolerance);
    // Opposite keys cancel; keypad 5 wins over everything, being last.
    keys.turnXUp = true;
    ExpectVecNear(TurnSunDirection({r, -r, 0.0f}, keys, 0.25), {r, -r, 0.0f}, kVecTolerance);
    keys.turnYLeft = true;
    keys.reset = true;
    ExpectVecNear(TurnSunDirection({r, -r, 0.0f}, keys, 0.25), kStraightDown, kVecTolerance);
    // The result stays a unit vector after many small turns.
    keys = SunKeys();
    keys.turnXDown = keys.turnYLeft = true;
    Vec3 d = Normalize(Vec3(0.3f, -1.0f, 0.2f));
    for (int i = 0; i < 1000; ++i) d = TurnSunDirection(d, keys, 1.0 / 60.0);
    EXPECT_NEAR(Length(d), 1.0f, 1e-5f);
}

}  // namespace
