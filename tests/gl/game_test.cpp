// The game object and its main loop, driven by scripted input on a real window.
#include <gtest/gtest.h>

#include "game/GameImpl.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "services/InputManager.h"
#include "support/TestSupport.h"

using testsupport::FindLine;
using testsupport::Lines;
using testsupport::ScopedWorkDir;

namespace {

// A state that records what the loop hands it.
class RecorderState : public CGameState {
public:
    explicit RecorderState(CGame* owner) : CGameState(owner) { Init(); }
    void Init() override {}
    void Enter() override {}
    void Update(double frameTime) override {
        frameTimes.push_back(frameTime);
        CInputManager* input = game->GetInputManager();
        // Two callers asking for the same key in one frame: only the first gets the press.
        enterHitsA.push_back(input->KeyHit(wl::KEY_ENTER));
        enterHitsB.push_back(input->KeyHit(wl::KEY_ENTER));
        spaceHits.push_back(input->KeyHit(wl::KEY_SPACE));
        wheelDeltas.push_back(input->wheelDelta);
        mouseDeltas.push_back(input->mouseDeltaX);
    }
    void Render() override {
        game->GetRenderer()->objectsRendered += 11;
        game->GetRenderer()->trianglesRendered += 22;
    }

    std::vector<double> frameTimes;
    std::vector<bool> enterHitsA, enterHitsB, spaceHits;
    std::vector<int> wheelDeltas, mouseDeltas;
};

// Runs a scripted game in an empty folder (no content: the start-up reports what is missing
// and goes on) and returns its standard output.
class ScriptedGame : public ::testing::Test {
protected:
    void Start(const wl::InputScript& script) {
        wl::UseInputScript(&script);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        initResult = game->Initialize();
        startOut = testing::internal::GetCapturedStdout();
        startErr = testing::internal::GetCapturedStderr();
        ASSERT_EQ(initResult, 0) << startOut << startErr;
        recorder = std::make_unique<RecorderState>(game.get());
    }
    std::string RunRecorded() {
        game->SetState(recorder.get());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        game->Run();
        runErr = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        recorder.reset();
        game.reset();
    }

    ScopedWorkDir dir;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    std::unique_ptr<RecorderState> recorder;
    int initResult = -99;
    std::string startOut, startErr, runErr;
};

TEST_F(ScriptedGame, StartUpSequenceAndMenu) {
    wl::InputScript script;
    script.frames = 3;
    Start(script);
    // The start-up lines in their order, checked here once for every way the game starts.
    const char* const kStartUpLines[] = {
        "Initializing Sound", "OpenAL Soft initialized", "Window initialized", "HUD initialized", "Renderer init",
        "OpenGL 3.3 is supported. Yay!", "Renderer initialized", "Loading shader 'textureshaderphong'",
        "Loading shader 'transformshader'", "LOADING texture 'brickwall.jpg'", "LOADING cubemap 'sky.jpg'",
        "LOADING texture 'star.png'", "Game init in ", "Changing to menu...",
        // The menu starts its music (missing here, so the stream is reported once).
        "LOADING sound (streamed): mainmenu.mp3"};
    const auto lines = Lines(startOut);
    int at = -1;
    for (const char* line : kStartUpLines) {
        const int found = FindLine(lines, line, at + 1);
        EXPECT_GT(found, at) << "missing, or out of order: " << line << "\n" << startOut;
        if (found >= 0) at = found;
    }
    EXPECT_EQ(FindLine(lines, "Initializing Sound"), 0);
    EXPECT_EQ(FindLine(lines, "Changing to menu..."), FindLine(lines, "Game init in ") + 1);
    // No content in this folder: every item is reported on standard error, and start-up went on.
    EXPECT_NE(startErr.find("Vertex shader file 'shaders/orthoshader.vert' not found!"), std::string::npos);
    EXPECT_NE(startErr.find("ERROR: Texture map file 'menu_43.jpg' could not be loaded!"), std::string::npos);
    EXPECT_NE(startErr.find("WARNING: CubeMap 'sky.jpg' not preloaded!"), std::string::npos);
    EXPECT_EQ(game->GetState(STATE_MENU), game->GetCurrentState());
    EXPECT_NE(startErr.find("ERROR: Sound layer returned error: 'FMOD_ERR_FILE_NOTFOUND' while: createStream"),
              std::string::npos);
}

TEST_F(ScriptedGame, KeyHitOncePerPressSharedByCallersAndTapsCount) {
    wl::InputScript script;
    script.frameTime = 0.01;
    script.frames = 12;
    script.Add(wl::InputEvent::KeyDown, 2, wl::KEY_ENTER)
        .Add(wl::InputEvent::KeyUp, 6, wl::KEY_ENTER)
        .Add(wl::InputEvent::KeyDown, 7, wl::KEY_ENTER)   // pressed again: a new hit
        .Add(wl::InputEvent::KeyUp, 9, wl::KEY_ENTER)
        .Tap(11, 'Q')                                    // nobody asks for Q: no effect
        .Tap(4, wl::KEY_SPACE)                           // down and up inside one frame
        .Add(wl::InputEvent::WheelBy, 5, 3)
        .Add(wl::InputEvent::CursorTo, 8, 40, 10);
    Start(script);
    RunRecorded();
    const std::vector<bool> enterA = {false, false, true, false, false, false, false, true, false, false, false, false};
    EXPECT_EQ(recorder->enterHitsA, enterA);
    EXPECT_EQ(recorder->enterHitsB, std::vector<bool>(12, false));
    std::vector<bool> space(12, false);
    space[4] = true;
    EXPECT_EQ(recorder->spaceHits, space);
    // Events of frame N arrive in the swap before it; the deltas are taken right after.
    EXPECT_EQ(recorder->wheelDeltas[4], 0);
    EXPECT_EQ(recorder->wheelDeltas[5], 3);
    EXPECT_EQ(recorder->wheelDeltas[6], 0);
    EXPECT_EQ(recorder->mouseDeltas[8], 40);
    EXPECT_EQ(recorder->mouseDeltas[9], 0);
}

// A press nothing read in its frame is gone after it: a tap, a key still held (until it is
// pressed again) and a mouse click alike; one that was read stays readable while held.
TEST_F(ScriptedGame, PressesNobodyReadInTheirFrameAreForgotten) {
    wl::InputScript script;
    script.frames = 20;
    script.Tap(1, 'Q')                                   // a tap nobody reads in frame 1
        .Add(wl::InputEvent::KeyDown, 2, 'W')            // held, unread in frame 2
        .Add(wl::InputEvent::KeyUp, 6, 'W')
        .Add(wl::InputEvent::KeyDown, 8, 'W')            // pressed again: read at once
        .Add(wl::InputEvent::ButtonDown, 3, wl::MOUSE_BUTTON_LEFT)   // a click inside frame 3
        .Add(wl::InputEvent::ButtonUp, 3, wl::MOUSE_BUTTON_LEFT)
        .Add(wl::InputEvent::ButtonDown, 10, wl::MOUSE_BUTTON_LEFT)  // and one inside frame 10
        .Add(wl::InputEvent::ButtonUp, 10, wl::MOUSE_BUTTON_LEFT)
        .Add(wl::InputEvent::PadPlug, 0, 0)
        .Add(wl::InputEvent::PadButtonDown, 2, wl::PAD_START)        // a pad button held, unread
        .Add(wl::InputEvent::PadButtonUp, 6, wl::PAD_START)
        .Add(wl::InputEvent::PadButtonDown, 8, wl::PAD_START);       // pressed again
    Start(script);
    CInputManager* input = game->GetInputManager();
    std::vector<bool> q, w, button, start;
    for (int frame = 0; frame < 12; ++frame) {
        if (frame >= 4) q.push_back(input->KeyHit('Q'));
        if (frame >= 4) start.push_back(input->PadHit(wl::PAD_START));
        if (frame >= 4) w.push_back(wl::GetKey('W') == wl::PRESS);
        if (frame >= 8) button.push_back(wl::GetMouseButton(wl::MOUSE_BUTTON_LEFT) == wl::PRESS);
        wl::SwapBuffers();
        input->Update();
    }
    EXPECT_EQ(q, std::vector<bool>(8, false));
    // W held from frame 2 but first asked for in frame 4: up until pressed again at 8.
    EXPECT_EQ(w, (std::vector<bool>{false, false, false, false, true, true, true, true}));
    // A click shorter than a frame reads as pressed once, in its own frame only: the one of
    // frame 3 is not kept for a later reader.
    EXPECT_EQ(button, (std::vector<bool>{false, false, true, false}));
    // The pad is polled: Start held from frame 2 and still unread a frame later is not a press
    // for a later reader; pressed again at 8, it is one press.
    EXPECT_EQ(start, (std::vector<bool>{false, false, false, false, true, false, false, false}));
}

TEST_F(ScriptedGame, FrameTimesAndStatisticsReports) {
    wl::InputScript script;
    script.frameTime = 0.5;
    script.startTime = 0.25;
    script.frames = 26;
    script.Tap(22, wl::KEY_F2);
    Start(script);
    std::cout << std::hex;  // the sound start-up leaves the stream like this
    std::string out = RunRecorded();
    std::cout << std::dec;
    ASSERT_EQ(recorder->frameTimes.size(), 26u);
    EXPECT_EQ(recorder->frameTimes[0], 0.0);
    EXPECT_DOUBLE_EQ(recorder->frameTimes[1], 0.5);
    EXPECT_DOUBLE_EQ(recorder->frameTimes[25], 0.5);
    auto lines = Lines(out);
    std::vector<std::string> reports;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find("fps/") != std::string::npos) {
            reports.push_back(lines[i]);
            EXPECT_EQ(lines[i + 1], "11 objects with 22 Tris rendered last frame");
        }
    // First window: 11 frames over 5.25 s (timer 0 to 5.25); then 11 frames over 5.5 s; then,
    // with F2 on from frame 22, 3 frames over 1.5 s and again 3 frames over 1.5 s.
    EXPECT_EQ(reports, (std::vector<std::string>{"2.09524fps/477.273ms (over 5.25 secs)", "2fps/500ms (over 5.5 secs)",
                                                 "2fps/500ms (over 1.5 secs)"}))
        << out;
}

TEST_F(ScriptedGame, GlobalDebugKeys) {
    wl::InputScript script;
    script.frames = 30;
    for (int f : {1, 3, 5}) script.Key(f, wl::KEY_F5);
    script.Key(7, wl::KEY_F4).Key(9, wl::KEY_F4).Key(21, wl::KEY_F3).Key(23, wl::KEY_F6);
    Start(script);
    const auto lines = Lines(RunRecorded());
    int at = 0;
    for (const char* line : {"Now using NO MipMapping", "Now using NEAREST MipMapping", "Now using LINEAR MipMapping",
                             "Now using NEAREST texture filtering", "Now using LINEAR texture filtering",
                             "Wireframe drawing enabled", "VBOs disabled"}) {
        at = FindLine(lines, line, at);
        ASSERT_NE(at, -1) << "missing, or out of order: " << line;
    }
    EXPECT_FALSE(game->GetRenderer()->useVBOs);
    GLint mode[2];
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
}

TEST_F(ScriptedGame, ShaderReloadLeavesTheOtherFourProgramsAlone) {
    for (const ShaderProgramEntry& program : kShaderPrograms) {
        dir.Write(std::string("shaders/") + program.name + ".vert",
                  "#version 330\nin vec3 in_Vertex;\nvoid main() { gl_Position = vec4(in_Vertex, 1.0); }\n");
        dir.Write(std::string("shaders/") + program.name + ".frag",
                  "#version 330\nout vec4 frag_Color;\nvoid main() { frag_Color = vec4(1.0); }\n");
    }
    wl::InputScript script;
    script.frames = 4;
    script.Key(1, wl::KEY_HOME);
    Start(script);
    for (const ShaderProgramEntry& program : kShaderPrograms)
        dir.Write(std::string("shaders/") + program.name + ".frag", "broken");
    std::string out = RunRecorded();
    EXPECT_NE(FindLine(Lines(out), "Shader reload in "), -1);
    for (ShaderId reloaded : {ShaderId::Texture, ShaderId::TexturePhong, ShaderId::TexturePhongCheap,
                              ShaderId::BumpPhong, ShaderId::Sun, ShaderId::Cube, ShaderId::Simple})
        EXPECT_FALSE(game->GetShader(reloaded)->loaded);
    for (ShaderId kept : {ShaderId::Ortho, ShaderId::Transform, ShaderId::TexturePhongProj, ShaderId::BumpPhongProj})
        EXPECT_TRUE(game->GetShader(kept)->loaded);
}

}  // namespace
