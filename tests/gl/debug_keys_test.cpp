// The play state's debug keys: each toggle with its line, once per press.
#include <gtest/gtest.h>

#include "game/GameImpl.h"
#include "gameplay/PlayState.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "services/InputManager.h"
#include "support/TestSupport.h"

using testsupport::Lines;
using testsupport::ScopedWorkDir;

namespace {

// A game started in an empty folder (no content: start-up reports what is missing and goes on)
// with a play state made beside it.
class DebugKeys : public ::testing::Test {
protected:
    void Start(const wl::InputScript& script) {
        wl::UseInputScript(&script);
        int result = -1;
        const testsupport::Output start = testsupport::Capture([&] {
            result = game->Initialize();
            play = std::make_unique<CPlayState>(game.get());
        });
        ASSERT_EQ(result, 0) << start.out << start.err;
    }
    // Runs the play state's key handling once per frame, as its update does.
    std::string RunPlayKeys(int frames) {
        CInputManager* input = game->GetInputManager();
        testing::internal::CaptureStdout();
        for (int frame = 0; frame < frames; ++frame) {
            play->HandlePlayStateKeys(input);
            wl::SwapBuffers();
            input->Update();
        }
        return testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        play.reset();
        game.reset();
    }

    ScopedWorkDir dir;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    std::unique_ptr<CPlayState> play;
};

TEST_F(DebugKeys, EveryPlayStateKeyPrintsItsLineOncePerPress) {
    wl::InputScript script;
    script.frames = 40;
    script.Key(1, wl::KEY_END).Key(3, wl::KEY_END);
    // INSERT held for three frames: one toggle.
    script.Add(wl::InputEvent::KeyDown, 5, wl::KEY_INSERT).Add(wl::InputEvent::KeyUp, 8, wl::KEY_INSERT);
    script.Key(9, wl::KEY_F7).Key(11, wl::KEY_F10).Key(13, wl::KEY_F9).Key(15, wl::KEY_F8);
    script.Key(17, wl::KEY_PAGEUP).Key(19, 'P').Key(21, 'L').Key(23, 'T');
    // The second press of each toggle turns it back.
    script.Key(25, wl::KEY_F7).Key(27, wl::KEY_INSERT).Key(29, wl::KEY_END);
    Start(script);
    CSceneCamera* first = play->cameras.active;
    ASSERT_EQ(first, play->cameras.playerCamera.get());

    const std::string out = RunPlayKeys(24);
    const std::vector<std::string> expected = {
        "Now controlling the free camera", "Now controlling the player camera", "Gizmo Drawing enabled",
        "Physics pass disabled", "Physics Debugging enabled", "Transparency disabled", "Frustum culling disabled",
        "Backface Culling disabled", "PhsyStep", "Light damage disabled", "Projective Texturing disabled"};
    EXPECT_EQ(Lines(out), expected);
    // END twice: back on the camera that was active first.
    EXPECT_EQ(play->cameras.active, first);
    EXPECT_TRUE(!play->debug.physicsPass && play->debug.gizmoDrawing && play->debug.physicsDebugging && !play->debug.transparency &&
                !play->debug.frustumCulling && !play->debug.backfaceCulling && play->debug.singlePhysicsStep && !play->debug.lightDamage &&
                !play->debug.projectiveTexturing);

    const std::string again = RunPlayKeys(8);
    const std::vector<std::string> back = {"Physics pass enabled", "Gizmo Drawing disabled",
                                           "Now controlling the free camera"};
    EXPECT_EQ(Lines(again), back);
    EXPECT_EQ(play->cameras.active, play->cameras.freeCamera.get());
    // P is no toggle: pressing it again leaves the request standing.
    EXPECT_TRUE(play->debug.singlePhysicsStep);
}

}  // namespace
