// Player control on real physics, driven by scripted keys, mouse and gamepad at a fixed frame time.
#include <gtest/gtest.h>

#include <BulletCollision/BroadphaseCollision/btBroadphaseProxy.h>
#include <BulletCollision/CollisionDispatch/btCollisionObject.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "services/InputManager.h"
#include "gameplay/PlayerControl.h"
#include "gameplay/SunTest.h"
#include "physics/PhysCharacter.h"
#include "PhysicsKit.h"
#include "physics/SceneObjectPhysData.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "scene/AnchoredSceneCamera.h"
#include "support/TestSupport.h"
#include "support/Near.h"

namespace {

using testsupport::ExpectVecNear;
using testsupport::ExpectMatrixNear;

const float kVecTolerance = 1e-3f;
const float kMatrixTolerance = 1e-4f;

// A power of two, so that timer sums are exact: 32 frames are exactly half a second.
constexpr double kFrameTime = 1.0 / 64.0;
// Frames without input first, so that the figure stands on the floor.
constexpr int kSettleFrames = 30;

Vec3 Position(const CSceneObject& object) { return {object.transform[12], object.transform[13], object.transform[14]}; }
Vec3 Flat(const Vec3& v) { return Normalize(Vec3(v.x, 0.0f, v.z)); }
// The way the figure looks: its local -z.
Vec3 Facing(const CSceneObject& object) { return Flat(Vec3(-object.transform[8], -object.transform[9], -object.transform[10])); }

struct FrameRecord {
    PlayerMoveResult move;
    bool onGround = false;
};

// A floor, the player with its push box and character, both cameras and a light, driven frame
// by frame the way the play state drives them: movement, animation, physics, cameras, swap.
class PlayerControl : public ::testing::Test {
protected:
    void Start(const wl::InputScript& events) {
        script = events;
        script.frameTime = kFrameTime;
        script.frames = 100000;
        wl::UseInputScript(&script);
        gl = std::make_unique<testsupport::ScopedGLContext>();
        ASSERT_TRUE(gl->ok);
        input = std::make_unique<CInputManager>();

        testing::internal::CaptureStdout();
        scene = std::make_unique<PhysicsScene>();
        scene->AddFloor(200.0f);
        player = scene->Keep(new CPlayerObject);
        player->transform[12] = start.x;
        player->transform[13] = start.y;
        player->transform[14] = start.z;
        for (int i = 0; i < 4; ++i) limbs[i] = new CSceneObject;
        player->rightHand = limbs[0];
        player->leftHand = limbs[1];
        player->rightLeg = limbs[2];
        player->leftLeg = limbs[3];
        player->umbrella = new CSceneObject;
        for (CSceneObject* child : limbs) player->AddChild(child);
        player->AddChild(player->umbrella);
        scene->world.AddKinematicObject(player);
        scene->world.DeactivateBody(player);
        character.reset(scene->world.CreateCharacter(player));
        testing::internal::GetCapturedStdout();

        cameras.playerCamera = std::make_unique<CAnchoredSceneCamera>(player, Vec3(0.0f, 3.0f, 0.0f));
        cameras.freeCamera = std::make_unique<CSceneCamera>();
        cameras.active = cameras.playerCamera.get();
        levelStart = &start;
        cameras.playerCamera->Update();
    }
    PlayerControlContext Context() { return {player, character.get(), &scene->world, levelStart, cameras, control}; }

    FrameRecord Frame() {
        FrameRecord record;
        const PlayerInput in = ReadPlayerInput(input.get());
        record.move = MovePlayer(Context(), in, kFrameTime);
        AnimatePlayer(Context(), kFrameTime);
        scene->world.Step(kFrameTime);
        ControlCameras(Context(), in, kFrameTime);
        record.onGround = character->OnGround();
        wl::SwapBuffers();
        input->Update();
        ++frame;
        return record;
    }
    std::vector<FrameRecord> Frames(int count) {
        std::vector<FrameRecord> records;
        for (int i = 0; i < count; ++i) records.push_back(Frame());
        return records;
    }
    // Frame numbers (counted from 0 in `records`) with a footstep.
    static std::vector<int> Footsteps(const std::vector<FrameRecord>& records) {
        std::vector<int> frames;
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i].move.footstep) frames.push_back(static_cast<int>(i));
        return frames;
    }
    int PushBoxMask() const {
        auto* data = dynamic_cast<CSceneObjectPhysData*>(player->physData);
        return data ? data->collisionObject->getBroadphaseHandle()->m_collisionFilterMask : -1;
    }

    void TearDown() override {
        character.reset();
        scene.reset();
        gl.reset();
    }
    // The player's transform after each of `count` frames of `events`, from a fresh start (the
    // fixture's parts are made again, so two runs begin alike).
    std::vector<Mat4> Run(const wl::InputScript& events, int count) {
        TearDown();
        input.reset();
        control = PlayerControlState();
        cameras = PlayCameras();
        Start(events);
        std::vector<Mat4> transforms;
        for (int i = 0; i < count; ++i) {
            Frame();
            transforms.push_back(player->transform);
        }
        return transforms;
    }

    wl::InputScript script;
    std::unique_ptr<testsupport::ScopedGLContext> gl;
    std::unique_ptr<CInputManager> input;
    std::unique_ptr<PhysicsScene> scene;
    std::unique_ptr<CPhysCharacter> character;
    PlayCameras cameras;
    CPlayerObject* player = nullptr;
    CSceneObject* limbs[4] = {};
    Vec3 start{2.0f, 0.0f, 1.0f};
    Vec3 light{0.0f, -1.0f, 0.0f};
    const Vec3* levelStart = nullptr;
    PlayerControlState control;
    int frame = 0;
};

// Holds `keys` from frame `from` for `count` frames.
void Hold(wl::InputScript& script, std::initializer_list<int> keys, int from, int count) {
    for (int key : keys) {
        script.Add(wl::InputEvent::KeyDown, from, key);
        script.Add(wl::InputEvent::KeyUp, from + count, key);
    }
}

TEST_F(PlayerControl, ForwardAndLeftFaceFortyFiveDegreesLeftOfTheCameraAndWalkDiagonally) {
    wl::InputScript s;
    Hold(s, {'W', 'A'}, kSettleFrames, 64);
    Start(s);
    cameras.playerCamera->yaw = 30.0f;
    cameras.playerCamera->Update();
    Frames(kSettleFrames);
    const Vec3 before = Position(*player);
    const Mat4 camera = cameras.playerCamera->GetModelMatrix();
    const Vec3 forward = Flat(Vec3(-camera[8], 0.0f, -camera[10]));
    const Vec3 right = Flat(Vec3(camera[0], 0.0f, camera[2]));
    ExpectVecNear(forward, {-0.5f, 0.0f, -std::sqrt(0.75f)}, kVecTolerance);
    const Vec3 diagonal = Normalize(forward - right);

    auto walk = Frames(64);
    EXPECT_EQ(player->walkState, 0);
    ExpectVecNear(Facing(*player), diagonal, kVecTolerance);
    ExpectVecNear(walk.back().move.walkVelocity, diagonal * 8.0f, kVecTolerance);
    // The figure turned about the vertical only: its up stays up.
    EXPECT_NEAR(player->transform[5], 1.0f, 1e-4f);
    const Vec3 moved = Position(*player) - before;
    ExpectVecNear(Flat(moved), diagonal, 0.02f);
    EXPECT_GT(Length(Vec3(moved.x, 0.0f, moved.z)), 7.0f);
    EXPECT_LT(Length(Vec3(moved.x, 0.0f, moved.z)), 8.2f);

    // Keys released: standing, velocity zero, facing kept.
    auto rest = Frames(2);
    EXPECT_EQ(player->walkState, 2);
    ExpectVecNear(rest.back().move.walkVelocity, {0.0f, 0.0f, 0.0f}, 0.0f);
    ExpectVecNear(Facing(*player), diagonal, kVecTolerance);
}

TEST_F(PlayerControl, OppositeKeysCancelAndBackwardsKeepsFacingForward) {
    wl::InputScript s;
    Hold(s, {'W', 'S'}, kSettleFrames, 32);
    Hold(s, {'A', 'D'}, kSettleFrames + 32, 16);
    Hold(s, {'W', 'A', 'D'}, kSettleFrames + 48, 32);
    Hold(s, {'S'}, kSettleFrames + 80, 32);
    Hold(s, {'S', 'D'}, kSettleFrames + 112, 8);
    Start(s);
    player->transform = Rotate(player->transform, 70.0f, kAxisY);  // looks somewhere else at first
    Frames(kSettleFrames);
    const Vec3 facingBefore = Facing(*player);
    Vec3 before = Position(*player);

    // W and S: no walking, no turning, no footsteps.
    auto cancelled = Frames(32);
    EXPECT_EQ(player->walkState, 2);
    EXPECT_LT(Length(Position(*player) - before), 0.01f);
    ExpectVecNear(Facing(*player), facingBefore, kVecTolerance);
    for (const auto& r : cancelled) EXPECT_FALSE(r.move.footstep);

    // A and D alone: the same.
    before = Position(*player);
    Frames(16);
    EXPECT_LT(Length(Position(*player) - before), 0.01f);

    // W with A and D: straight ahead (-z for the default camera), the two turns cancel.
    before = Position(*player);
    Frames(32);
    ExpectVecNear(Facing(*player), {0.0f, 0.0f, -1.0f}, kVecTolerance);
    ExpectVecNear(Flat(Position(*player) - before), {0.0f, 0.0f, -1.0f}, 0.01f);

    // S alone walks backwards and still faces forward.
    before = Position(*player);
    Frames(32);
    ExpectVecNear(Facing(*player), {0.0f, 0.0f, -1.0f}, kVecTolerance);
    ExpectVecNear(Flat(Position(*player) - before), {0.0f, 0.0f, 1.0f}, 0.01f);

    // S with D faces the mirrored front diagonal: forward-left.
    Frames(8);
    ExpectVecNear(Facing(*player), Normalize(Vec3(-1.0f, 0.0f, -1.0f)), kVecTolerance);
}

TEST_F(PlayerControl, FootstepsEveryHalfSecondWalkingAThirdRunningAndNoneInTheAir) {
    wl::InputScript s;
    Hold(s, {'W'}, kSettleFrames, 100);
    Hold(s, {'W', wl::KEY_LSHIFT}, kSettleFrames + 110, 70);
    s.Add(wl::InputEvent::KeyDown, kSettleFrames + 200, wl::KEY_SPACE);
    s.Add(wl::InputEvent::KeyUp, kSettleFrames + 201, wl::KEY_SPACE);
    Hold(s, {'W'}, kSettleFrames + 201, 150);
    Start(s);
    Frames(kSettleFrames);
    ASSERT_TRUE(character->OnGround());

    // Walking: the first step at once, then at the first update after more than half a second.
    auto walking = Frames(100);
    EXPECT_EQ(Footsteps(walking), (std::vector<int>{0, 33, 66, 99}));
    // Standing resets the timer, so the next walk starts with a step too.
    Frames(10);
    EXPECT_EQ(control.footstepTimer, 0.0);
    auto running = Frames(70);
    EXPECT_EQ(Footsteps(running), (std::vector<int>{0, 22, 44, 66}));
    ExpectVecNear(running.back().move.walkVelocity, {0.0f, 0.0f, -12.0f}, kVecTolerance);
    Frames(20);

    // A jump, then walking: nothing while in the air; the timer ran on, so landing steps at once.
    auto jump = Frames(1);
    EXPECT_TRUE(jump[0].move.jumped);
    auto air = Frames(150);
    int firstOnGround = -1;
    for (size_t i = 0; i < air.size(); ++i) {
        if (air[i].onGround && firstOnGround < 0) firstOnGround = static_cast<int>(i);
        if (firstOnGround < 0) {
            EXPECT_FALSE(air[i].move.footstep) << "frame " << i << " in the air";
        }
    }
    ASSERT_GT(firstOnGround, 32) << "a jump lasts about a second";
    const auto steps = Footsteps(air);
    ASSERT_FALSE(steps.empty());
    EXPECT_LE(steps.front(), firstOnGround + 1);
    EXPECT_GT(steps.front(), 32);
}

TEST_F(PlayerControl, PushBoxMessagesOncePerPressAndReleaseAndItsContactFollows) {
    wl::InputScript s;
    s.Add(wl::InputEvent::ButtonDown, 5, wl::MOUSE_BUTTON_LEFT).Add(wl::InputEvent::ButtonUp, 25, wl::MOUSE_BUTTON_LEFT);
    s.Add(wl::InputEvent::ButtonDown, 30, wl::MOUSE_BUTTON_LEFT).Add(wl::InputEvent::ButtonUp, 32, wl::MOUSE_BUTTON_LEFT);
    Start(s);
    EXPECT_EQ(PushBoxMask(), 8);
    testing::internal::CaptureStdout();
    Frames(15);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Activating push box!\n");
    EXPECT_TRUE(control.pushBoxActive);
    EXPECT_EQ(PushBoxMask(), 12);
    testing::internal::CaptureStdout();
    Frames(15);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Deactivating push box!\n");
    EXPECT_FALSE(control.pushBoxActive);
    EXPECT_EQ(PushBoxMask(), 8);
    testing::internal::CaptureStdout();
    Frames(10);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Activating push box!\nDeactivating push box!\n");
}

TEST_F(PlayerControl, BackspacePutsTheFigureBackOnTheStartFacingAhead) {
    wl::InputScript s;
    Hold(s, {'D'}, kSettleFrames, 40);
    s.Key(kSettleFrames + 45, wl::KEY_BACKSPACE);
    Start(s);
    player->life = 0.6f;
    Frames(kSettleFrames + 45);
    EXPECT_GT(Length(Position(*player) - start), 3.0f);
    Frames(1);
    // Upright and facing ahead again, on the start (the figure has begun to settle onto the floor).
    for (int i = 0; i < 11; ++i) EXPECT_NEAR(player->transform[i], Mat4()[i], 1e-5f) << "element " << i;
    EXPECT_NEAR(player->transform[12], start.x, 1e-3f);
    EXPECT_NEAR(player->transform[14], start.z, 1e-3f);
    // No level loaded: the key does nothing.
    levelStart = nullptr;
    player->transform[12] = 9.0f;
    PlayerInput reset;
    reset.reset = true;
    MovePlayer(Context(), reset, kFrameTime);
    EXPECT_EQ(player->transform[12], 9.0f);
}

TEST_F(PlayerControl, LimbsSwingWhileWalkingAndRestWhenStandingAndAShownUmbrellaSpins) {
    wl::InputScript s;
    Hold(s, {'W'}, 0, 200);
    Start(s);
    player->umbrella->visible = false;
    const float step = 180.0f / 64.0f;
    float lowest = 0.0f, highest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        Frame();
        lowest = std::min(lowest, player->leftHand->swingAngle);
        highest = std::max(highest, player->leftHand->swingAngle);
        EXPECT_FLOAT_EQ(player->rightLeg->swingAngle, -player->leftLeg->swingAngle);
        EXPECT_FLOAT_EQ(player->rightHand->swingAngle, player->leftHand->swingAngle);
    }
    // Out to -45, back past 0 to +45: the swing turns at its limits.
    EXPECT_LE(lowest, -45.0f);
    EXPECT_GE(lowest, -45.0f - step);
    EXPECT_GE(highest, 45.0f);
    EXPECT_LE(highest, 45.0f + step);
    ExpectMatrixNear(player->leftHand->transform, Rotate(Mat4(), player->leftHand->swingAngle, kAxisX), kMatrixTolerance);

    Frames(1);  // standing: every limb snaps back
    for (CSceneObject* limb : limbs) {
        EXPECT_EQ(limb->swingAngle, 0.0f);
        ExpectMatrixNear(limb->transform, Mat4(), kMatrixTolerance);
    }
    // The hidden umbrella stood still all along; shown, it spins.
    ExpectMatrixNear(player->umbrella->transform, Mat4(), kMatrixTolerance);
    player->umbrella->visible = true;
    Frames(64);
    EXPECT_GT(std::fabs(player->umbrella->transform[1]), 0.5f);
}

TEST_F(PlayerControl, PlayerCameraZoomsTurnsAndFollowsTheFiguresSize) {
    wl::InputScript s;
    Hold(s, {wl::KEY_KP_ADD}, 0, 64);
    Hold(s, {wl::KEY_KP_SUBTRACT, wl::KEY_LSHIFT}, 70, 64);
    s.Add(wl::InputEvent::WheelBy, 140, 2);
    s.Add(wl::InputEvent::CursorTo, 150, 20, 10);
    Start(s);
    Frames(64);
    EXPECT_NEAR(cameras.playerCamera->distance, 5.0f, 1e-4f);
    Frames(70);
    EXPECT_EQ(cameras.playerCamera->distance, 100.0f);  // fast zoom, stopped at the far bound
    Frames(8);
    // Two wheel steps: 2 x 20 x (5 units per second x a frame of 1/60 s), not of this run's 1/64 s.
    EXPECT_NEAR(cameras.playerCamera->distance, 100.0f - 2.0f * 20.0f * 5.0f / 60.0f, 1e-3f);
    Frames(10);
    // Mouse 20 right and 10 down: yaw against the motion, pitch down from 45.
    EXPECT_FLOAT_EQ(cameras.playerCamera->yaw, -10.0f);
    EXPECT_FLOAT_EQ(cameras.playerCamera->pitch, 40.0f);
    player->life = 0.1f;
    Frames(1);
    EXPECT_EQ(cameras.playerCamera->sizeFactor, 0.2f);
    player->life = 0.7f;
    Frames(1);
    EXPECT_EQ(cameras.playerCamera->sizeFactor, 0.7f);
    // The camera's Update ran: it stands where its fields say.
    const Vec3 target = Position(*player) + Vec3(0.0f, 3.0f * 0.7f, 0.0f);
    EXPECT_NEAR(Length(Position(*cameras.playerCamera) - target), cameras.playerCamera->distance * 0.7f, 1e-2f);
}

// A wheel step is one event, so it zooms as far whatever the frame time: the step it had at 60
// frames a second, 20 x (5 units per second x 1/60 s), and 20 times that with shift. The held
// keypad keys still zoom by the frame time.
TEST_F(PlayerControl, WheelStepZoomsAsFarAtAnyFrameRateAndHeldKeysByTheFrameTime) {
    Start(wl::InputScript());
    struct Row {
        double frameTime;
        int wheel;
        bool zoomOut, shift;
        float farther;  // the distance gained from 10
    };
    const float notch = 20.0f * 5.0f / 60.0f;
    const Row rows[] = {
        {1.0 / 60.0, -1, false, false, notch},
        {0.25, -1, false, false, notch},
        {0.25, -2, false, false, 2.0f * notch},
        {0.25, -1, false, true, 20.0f * notch},
        {1.0 / 60.0, 0, true, false, 5.0f / 60.0f},
        {0.25, 0, true, false, 5.0f * 0.25f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "frame time " << row.frameTime << ", wheel " << row.wheel
                                        << (row.zoomOut ? ", keypad -" : "") << (row.shift ? ", shift" : ""));
        cameras.playerCamera->SetDistance(10.0f);
        PlayerInput in;
        in.wheel = row.wheel;
        in.zoomOut = row.zoomOut;
        in.shift = row.shift;
        ControlCameras(Context(), in, row.frameTime);
        EXPECT_NEAR(cameras.playerCamera->distance, 10.0f + row.farther, 1e-4f);
    }
}

TEST_F(PlayerControl, FreeCameraFliesTurnsAndEnterPutsItBack) {
    wl::InputScript s;
    Hold(s, {'W'}, 0, 64);
    Hold(s, {'D', wl::KEY_LSHIFT}, 64, 32);
    s.Add(wl::InputEvent::CursorTo, 100, 50, 0);
    s.Add(wl::InputEvent::CursorTo, 102, 50, -25);
    s.Key(110, wl::KEY_ENTER);
    Start(s);
    cameras.active = cameras.freeCamera.get();
    const Vec3 playerBefore = Position(*player);
    Frames(64);
    ExpectVecNear(Position(*cameras.freeCamera), {0.0f, 0.0f, -5.0f}, kVecTolerance);
    // The figure does not walk with the keys meant for the camera.
    const Vec3 drift = Position(*player) - playerBefore;
    EXPECT_LT(Length(Vec3(drift.x, 0.0f, drift.z)), 0.01f);
    Frames(32);
    ExpectVecNear(Position(*cameras.freeCamera), {50.0f, 0.0f, -5.0f}, 1e-2f);
    Frames(8);
    // 50 to the right turns it 30 degrees to the right about the vertical, 25 up tilts it 15 up.
    const Vec3 look(-cameras.freeCamera->transform[8], -cameras.freeCamera->transform[9],
                    -cameras.freeCamera->transform[10]);
    ExpectVecNear(Flat(look), {std::sin(0.5236f), 0.0f, -std::cos(0.5236f)}, kVecTolerance);
    EXPECT_NEAR(look.y, std::sin(15.0f * 0.0174533f), 1e-4f);
    Frames(8);
    ExpectMatrixNear(cameras.freeCamera->transform, Mat4(), kMatrixTolerance);
}

TEST_F(PlayerControl, KeypadEightForOneSecondTurnsTheSunHalfWayRound) {
    wl::InputScript s;
    Hold(s, {wl::KEY_KP_8}, 0, 60);
    s.Key(70, wl::KEY_KP_5);
    Start(s);
    const float r = std::sqrt(0.5f);
    light = Vec3(r, -r, 0.0f);
    for (int i = 0; i <= 70; ++i) {
        light = TurnSunDirection(light, ReadSunKeys(), 1.0 / 60.0);  // 3 degrees a frame at 60 a second
        wl::SwapBuffers();
        if (i == 59) ExpectVecNear(light, {-r, -r, 0.0f}, 1e-4f);
    }
    ExpectVecNear(light, {0.0f, -1.0f, 0.0f}, 0.0f);
}

wl::InputScript WithPad() {
    wl::InputScript s;
    s.Add(wl::InputEvent::PadPlug, 0, 0);
    return s;
}

}  // namespace

TEST_F(PlayerControl, PadStickAndAWalkAndJumpExactlyAsWAndSpace) {
    // The left stick pushed fully forward, and A tapped on the way, against W and SPACE.
    wl::InputScript keys;
    Hold(keys, {'W'}, kSettleFrames, 60);
    keys.Key(kSettleFrames + 10, wl::KEY_SPACE);
    wl::InputScript pad = WithPad();
    pad.PadAxis(kSettleFrames, wl::PAD_LEFT_Y, -1.0f).PadAxis(kSettleFrames + 60, wl::PAD_LEFT_Y, 0.0f);
    pad.PadButton(kSettleFrames + 10, wl::PAD_A);
    const int frames = kSettleFrames + 80;
    const std::vector<Mat4> byKeys = Run(keys, frames);
    const std::vector<Mat4> byPad = Run(pad, frames);
    // It did walk and jump (higher than a step) ...
    float highest = byKeys[kSettleFrames][13];
    for (const Mat4& m : byKeys) highest = std::max(highest, m[13]);
    EXPECT_GT(highest - byKeys[kSettleFrames][13], 0.5f);
    EXPECT_GT(Length(Vec3(byKeys.back()[12], 0.0f, byKeys.back()[14]) - Vec3(start.x, 0.0f, start.z)), 5.0f);
    // ... and the pad made the very same moves, frame by frame.
    for (int i = 0; i < frames; ++i)
        for (int e = 0; e < 16; ++e) ASSERT_EQ(byPad[i][e], byKeys[i][e]) << "frame " << i << " element " << e;
}

TEST_F(PlayerControl, PadDeadZoneHoldsStillAndTiltSetsTheSpeed) {
    struct Case {
        const char* name;
        float x, y;
        float speed;  // expected walking speed
    };
    const Case cases[] = {
        {"inside the dead zone", 0.2f, -0.12f, 0.0f},
        {"on its edge", 0.0f, kPadDeadZone, 0.0f},
        {"half way out", 0.0f, -(0.5f + 0.5f * kPadDeadZone), 4.0f},
        {"full right", 1.0f, 0.0f, 8.0f},
        {"a corner beyond 1", 1.0f, 1.0f, 8.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wl::InputScript s = WithPad();
        s.PadAxis(kSettleFrames, wl::PAD_LEFT_X, c.x).PadAxis(kSettleFrames, wl::PAD_LEFT_Y, c.y);
        const std::vector<Mat4> moves = Run(s, kSettleFrames + 33);
        const Mat4& before = moves[kSettleFrames - 1];
        const Mat4& after = moves.back();
        const float walked = Length(Vec3(after[12] - before[12], 0.0f, after[14] - before[14]));
        // 33 frames of walking at 1/64 s each, less the first frame's start.
        EXPECT_NEAR(walked, c.speed * 32.0f / 64.0f, 0.05f + c.speed * 0.02f);
        if (c.speed == 0.0f) {
            EXPECT_EQ(player->walkState, 2);
            for (int e = 0; e < 12; ++e) EXPECT_EQ(after[e], before[e]) << "element " << e;  // not even turned
        }
    }
}

TEST_F(PlayerControl, PadButtonsHoldWhatTheirKeysHold) {
    struct Case {
        int button;
        bool PlayerInput::*field;
    };
    const Case cases[] = {
        {wl::PAD_A, &PlayerInput::jump},   {wl::PAD_X, &PlayerInput::shift}, {wl::PAD_RB, &PlayerInput::shift},
        {wl::PAD_B, &PlayerInput::push},   {wl::PAD_LB, &PlayerInput::push}, {wl::PAD_BACK, &PlayerInput::reset},
    };
    wl::InputScript s = WithPad();
    for (int i = 0; i < 6; ++i) s.PadButton(1 + 2 * i, cases[i].button);
    Start(s);
    Frame();
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(ReadPlayerInput(input.get()).*cases[i].field) << "pad button " << cases[i].button;
        Frame();
        const PlayerInput released = ReadPlayerInput(input.get());
        EXPECT_FALSE(released.jump || released.shift || released.push || released.reset);
        Frame();
    }
}

TEST_F(PlayerControl, RightStickTurnsTheCameraLikeTheMouse) {
    wl::InputScript s = WithPad();
    s.PadAxis(1, wl::PAD_RIGHT_X, 1.0f).PadAxis(33, wl::PAD_RIGHT_X, 0.0f);
    s.PadAxis(40, wl::PAD_RIGHT_Y, 1.0f).PadAxis(44, wl::PAD_RIGHT_Y, 0.0f);
    Start(s);
    Frames(40);
    // Half a second of full tilt to the right: the camera swings as a mouse moved right would.
    EXPECT_NEAR(cameras.playerCamera->yaw, -kPadCameraTurnSpeed * 0.5f, 1e-3f);
    Frames(10);
    EXPECT_NEAR(cameras.playerCamera->pitch, 45.0f - kPadCameraTurnSpeed * 4.0f / 64.0f, 1e-3f);
}

TEST_F(PlayerControl, APadPulledOutMidWalkLeavesTheKeyboardInControl) {
    wl::InputScript s = WithPad();
    s.PadAxis(kSettleFrames, wl::PAD_LEFT_Y, -1.0f);
    s.Add(wl::InputEvent::PadUnplug, kSettleFrames + 32, 0);  // the stick was still pushed
    Hold(s, {'D'}, kSettleFrames + 40, 32);
    s.Add(wl::InputEvent::PadPlug, kSettleFrames + 80, 0);
    Start(s);
    testing::internal::CaptureStdout();
    Frames(kSettleFrames + 32);
    const Vec3 pulled = Position(*player);
    EXPECT_EQ(player->walkState, 0);
    auto stopped = Frames(8);
    // Without the pad the figure stops at once, instead of walking on with the last stick.
    EXPECT_EQ(player->walkState, 2);
    const Vec3 drift = Position(*player) - pulled;
    EXPECT_LT(Length(Vec3(drift.x, 0.0f, drift.z)), 8.0f / 64.0f + 1e-3f);
    ExpectVecNear(stopped.back().move.walkVelocity, {0.0f, 0.0f, 0.0f}, 0.0f);
    // The keys walk it on.
    Frames(32);
    EXPECT_EQ(player->walkState, 0);
    EXPECT_GT(Length(Position(*player) - pulled), 3.0f);
    Frames(10);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Gamepad connected: Scripted pad\n"
                   "Gamepad disconnected: keyboard and mouse only\n"
                   "Gamepad connected: Scripted pad\n");
}
