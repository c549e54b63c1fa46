// The debug keys: the play state's toggles with their lines, the keys that belong to the play
// state doing nothing elsewhere, and the screenshot key writing what is on the screen.
#include <gtest/gtest.h>

#include <IL/il.h>

#include <filesystem>

#include "game/GameImpl.h"
#include "game/InputManager.h"
#include "gameplay/PlayState.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "support/TestSupport.h"

using testsupport::FindLine;
using testsupport::Lines;
using testsupport::ScopedWorkDir;

namespace {

// A state that only paints the screen one colour, so that a screenshot has something to show.
class PaintState : public CGameState {
public:
    explicit PaintState(CGame* owner) : CGameState(owner) { Init(); }
    void Init() override {}
    void Enter() override {}
    void Update(double) override {}
    void Render() override {
        glClearColor(0.0f, 0.8f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

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
    std::string RunGame() {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        game->Run();
        testing::internal::GetCapturedStderr();
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
    CSceneCamera* first = play->activeCamera;
    ASSERT_EQ(first, play->playerCamera.get());
    EXPECT_TRUE(play->physicsPass && !play->gizmoDrawing && !play->physicsDebugging && play->transparency &&
                play->frustumCulling && play->backfaceCulling && !play->singlePhysicsStep && play->lightDamage &&
                play->projectiveTexturing);

    const std::string out = RunPlayKeys(24);
    const std::vector<std::string> expected = {
        "Now controlling the free camera", "Now controlling the player camera", "Gizmo Drawing enabled",
        "Physics pass disabled", "Physics Debugging enabled", "Transparency disabled", "Frustum culling disabled",
        "Backface Culling disabled", "PhsyStep", "Light damage disabled", "Projective Texturing disabled"};
    EXPECT_EQ(Lines(out), expected);
    // END twice: back on the camera that was active first.
    EXPECT_EQ(play->activeCamera, first);
    EXPECT_TRUE(!play->physicsPass && play->gizmoDrawing && play->physicsDebugging && !play->transparency &&
                !play->frustumCulling && !play->backfaceCulling && play->singlePhysicsStep && !play->lightDamage &&
                !play->projectiveTexturing);

    const std::string again = RunPlayKeys(8);
    const std::vector<std::string> back = {"Physics pass enabled", "Gizmo Drawing disabled",
                                           "Now controlling the free camera"};
    EXPECT_EQ(Lines(again), back);
    EXPECT_EQ(play->activeCamera, play->freeCamera.get());
    // P is no toggle: pressing it again leaves the request standing.
    EXPECT_TRUE(play->singlePhysicsStep);
}

TEST_F(DebugKeys, PlayStateKeysDoNothingInTheMenuWhileGlobalKeysWork) {
    wl::InputScript script;
    script.frames = 8;
    script.Key(1, wl::KEY_F7).Key(2, wl::KEY_F2).Key(3, wl::KEY_END).Key(4, 'T');
    Start(script);
    ASSERT_EQ(game->GetCurrentState(), game->GetState(STATE_MENU));
    const std::string out = RunGame();
    EXPECT_EQ(out.find("Physics pass"), std::string::npos) << out;
    EXPECT_EQ(out.find("Now controlling"), std::string::npos);
    EXPECT_EQ(out.find("Projective Texturing"), std::string::npos);
    EXPECT_NE(FindLine(Lines(out), "FPS each frame: enabled"), -1) << out;
    EXPECT_TRUE(play->physicsPass);
    EXPECT_TRUE(play->projectiveTexturing);
    EXPECT_EQ(play->activeCamera, play->playerCamera.get());
}

TEST_F(DebugKeys, ScreenshotKeyWritesTheFrameOnTheScreen) {
    wl::InputScript script;
    script.frames = 6;
    script.Key(3, wl::KEY_F12);
    Start(script);
    PaintState paint(game.get());
    game->SetState(&paint);
    const auto lines = Lines(RunGame());
    const int saved = FindLine(lines, "Screenshot 'screen-");
    ASSERT_NE(saved, -1);
    EXPECT_EQ(lines[static_cast<size_t>(saved) + 1], "Screenshot saved in game dir");
    // The file's name and line are SaveScreenshot's (texture_test).
    const std::string& line = lines[static_cast<size_t>(saved)];
    const std::string file = line.substr(12, line.find("' saved") - 12);
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / file)) << file;

    // The picture is the window's size and shows what the state painted.
    ILuint image = ilGenImage();
    ilBindImage(image);
    ASSERT_EQ(ilLoadImage((dir.Path() / file).c_str()), IL_TRUE);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 640);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 480);
    unsigned char rgb[3] = {0, 0, 0};
    ilCopyPixels(320, 240, 0, 1, 1, 1, IL_RGB, IL_UNSIGNED_BYTE, rgb);
    ilDeleteImage(image);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_NEAR(rgb[1], 204, 1);
    EXPECT_NEAR(rgb[2], 102, 1);
}

}  // namespace
