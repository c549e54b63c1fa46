// The menu, the splash screen and the changes between the states, driven by scripted input on
// a real window, frame by frame as the main loop runs them.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <functional>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "game/GameImpl.h"
#include "game/MenuState.h"
#include "game/OptionsState.h"
#include "game/ReplaysState.h"
#include "gameplay/PlayState.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "scene/Mesh.h"
#include "scene/SceneTrigger.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/Settings.h"
#include "services/SoundManager.h"
#include "services/Window.h"
#include "support/ColladaWriter.h"
#include "support/SoundAnalysis.h"
#include "support/TestSupport.h"

using testsupport::FindLine;
using testsupport::Lines;
using testsupport::ScopedWorkDir;

namespace {

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(TAVO_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class GameStates : public ::testing::Test {
protected:
    // A game whose player data (the progress) lies in `dataHome`, by default an empty folder
    // of the test's own.
    void Start(const wl::InputScript& script, const std::string& dataHome = std::string()) {
        if (!savedDataHome) savedDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        setenv("XDG_DATA_HOME", (dataHome.empty() ? (dir.Path() / "data").string() : dataHome).c_str(), 1);
        wl::UseInputScript(&script);
        int result = -1;
        const testsupport::Output start = testsupport::Capture([&] { result = game->Initialize(); });
        startOut = start.out;
        startErr = start.err;
        ASSERT_EQ(result, 0) << startOut << startErr;
    }
    // One frame of the main loop: update, clear, render, `inspect` (the frame before it is
    // shown), swap, end-of-frame input update.
    void Frame(const std::function<void()>& inspect = {}) {
        game->GetCurrentState()->Update(1.0 / 60.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->GetCurrentState()->Render();
        if (inspect) inspect();
        wl::SwapBuffers();
        game->GetInputManager()->Update();
    }
    // Runs frames, noting which state was current after each update.
    std::vector<CGameState*> RunFrames(int count) {
        std::vector<CGameState*> current;
        for (int i = 0; i < count; ++i) {
            Frame();
            current.push_back(game->GetCurrentState());
        }
        return current;
    }
    void TearDown() override {
        game.reset();
        if (savedDataHome) setenv("XDG_DATA_HOME", savedDataHome->c_str(), 1);
    }
    void InstallOrthoShader() {
        dir.Write("shaders/orthoshader.vert", ReadSourceFile("shaders/orthoshader.vert"));
        dir.Write("shaders/orthoshader.frag", ReadSourceFile("shaders/orthoshader.frag"));
    }

    CGameState* Menu() { return game->GetState(STATE_MENU); }
    CGameState* Splash() { return game->GetState(STATE_SPLASHSCREEN); }
    CPlayState* Play() { return static_cast<CPlayState*>(game->GetState(STATE_PLAY)); }

    ScopedWorkDir dir;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    std::string startOut, startErr;
    std::optional<std::string> savedDataHome;
};

// Each screen is made on its first request and kept; an id that no screen has is refused with
// an error and leaves the game on its screen.
TEST_F(GameStates, ScreensAreKeptAndAnUnknownIdChangesNothing) {
    wl::InputScript script;
    script.frames = 5;
    Start(script);
    CGameState* menu = game->GetCurrentState();
    ASSERT_EQ(menu, Menu());
    CGameState* play = Play();
    ASSERT_NE(dynamic_cast<CPlayState*>(play), nullptr);
    EXPECT_EQ(Play(), play);
    for (int id : {-1, 6, 42}) {
        CGameState* changed = nullptr;
        const testsupport::Output refused = testsupport::Capture([&] { changed = game->ChangeState(id); });
        EXPECT_EQ(changed, nullptr) << id;
        EXPECT_EQ(game->GetCurrentState(), menu) << id;
        EXPECT_EQ(refused.err, "ERROR: No game state has the id " + std::to_string(id) + "\n");
        EXPECT_EQ(refused.out, "") << "nothing was entered";
    }
    EXPECT_EQ(Play(), play);
}

// Without progress the menu offers Start, Options, Replays and Quit. DOWN, then UP and DOWN in
// one frame (UP wins: one move), then UP past the first entry comes round to the last.
TEST_F(GameStates, MenuSelectionMovesOncePerFrameAndComesRound) {
    wl::InputScript script;
    script.frames = 20;
    script.Key(1, wl::KEY_DOWN).Key(4, wl::KEY_UP).Key(4, wl::KEY_DOWN).Key(6, wl::KEY_UP).Key(8, wl::KEY_UP);
    Start(script);
    auto* menu = dynamic_cast<CMenuState*>(game->GetCurrentState());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Entries(), (std::vector<MenuEntry>{MenuEntry::Start, MenuEntry::Options, MenuEntry::Replays,
                                                       MenuEntry::Quit}));
    CMesh* quad = GetPictureQuad(game.get());
    std::vector<MenuEntry> selected;
    std::vector<std::string> pictures;
    CRenderer* renderer = game->GetRenderer();
    renderer->objectsRendered = 0;
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 10; ++frame) {
        Frame();
        selected.push_back(menu->Selected());
        pictures.push_back(quad->material.diffuseName);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    // This folder has no shaders: the menu draws nothing (the program says why each frame) and
    // goes on working.
    EXPECT_EQ(renderer->objectsRendered, 0u);
    EXPECT_NE(err.find("Cannot use shader 'orthoshader'"), std::string::npos) << err;
    using E = MenuEntry;
    EXPECT_EQ(selected, (std::vector<MenuEntry>{E::Start, E::Options, E::Options, E::Options, E::Start, E::Start,
                                                E::Quit, E::Quit, E::Replays, E::Replays}));
    // A 640 x 480 window: the 4:3 picture, whatever is selected (the entries are drawn on it).
    for (const std::string& picture : pictures) EXPECT_EQ(picture, "menu_43.jpg");
    EXPECT_EQ(game->GetCurrentState(), menu);
}

// The hit test of the entries' pills: 300 x 50 pixels of a window 768 high, 60 apart around
// 61.7 % of the height, at any window shape.
TEST(MenuLayout, EntriesUnderThePointer) {
    struct Case {
        int x, y, width, height, count, entry;
    };
    const Case cases[] = {
        // 1024 x 768, three entries: centres at y 414, 474 and 534, 25 up and down, x 362 to 662.
        {512, 414, 1024, 768, 3, 0}, {512, 474, 1024, 768, 3, 1}, {512, 534, 1024, 768, 3, 2},
        {363, 390, 1024, 768, 3, 0}, {661, 558, 1024, 768, 3, 2}, {512, 387, 1024, 768, 3, -1},
        {512, 444, 1024, 768, 3, -1}, {360, 414, 1024, 768, 3, -1}, {664, 414, 1024, 768, 3, -1},
        // Four entries: centres at y 384, 444, 504 and 564.
        {512, 384, 1024, 768, 4, 0}, {512, 564, 1024, 768, 4, 3}, {512, 414, 1024, 768, 4, -1},
        // 1920 x 1080, four: the width goes by the height (422 pixels), centred across.
        {960, 540, 1920, 1080, 4, 0}, {750, 540, 1920, 1080, 4, 0}, {740, 540, 1920, 1080, 4, -1},
        {960, 793, 1920, 1080, 4, 3},
        // Five (Continue and the rest) at 0.88 of the size: centres at y 368, 421, 474, 527 and 580,
        // 22 up and down, x 380 to 644.
        {512, 368, 1024, 768, 5, 0}, {512, 580, 1024, 768, 5, 4}, {512, 395, 1024, 768, 5, -1},
        {383, 474, 1024, 768, 5, 2}, {378, 474, 1024, 768, 5, -1},
        {0, 0, 0, 0, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " in " + std::to_string(c.width) + "x" +
                     std::to_string(c.height) + " with " + std::to_string(c.count));
        EXPECT_EQ(MenuEntryAt(c.x, c.y, c.width, c.height, c.count), c.entry);
    }
}

// The mouse on the menu of a 640 x 480 window without progress (the pills span x 227 to 413, and
// Start y 225 to 255, Options 262 to 293, Replays 300 to 330, Quit 337 to 368): moving onto an
// entry selects it, a left click on one chooses it as ENTER does, and a click anywhere else does
// nothing.
TEST_F(GameStates, MouseSelectsAndClickChoosesMenuEntries) {
    struct Step {
        const char* what;
        int x, y;
        bool click;
        MenuEntry selected;  // after the step
        bool triesLevel1;
    };
    const Step steps[] = {
        {"a click on the title", 320, 100, true, MenuEntry::Start, false},
        {"a move onto Quit", 320, 352, false, MenuEntry::Quit, false},
        {"a click beside Start", 500, 240, true, MenuEntry::Quit, false},
        {"a click just above Start", 320, 222, true, MenuEntry::Quit, false},
        {"a click between Start and Options", 320, 258, true, MenuEntry::Quit, false},
        {"a move onto Options", 320, 277, false, MenuEntry::Options, false},
        {"a move onto Replays", 320, 315, false, MenuEntry::Replays, false},
        // This folder has no level 1: the game tries it and is back at the menu.
        {"a click on Start", 320, 240, true, MenuEntry::Start, true},
    };
    const int framesPerStep = 3;
    wl::InputScript script;
    script.frames = 100;
    int frame = 1;
    for (const Step& step : steps) {
        script.Add(wl::InputEvent::CursorTo, frame, step.x, step.y);
        if (step.click) {
            script.Add(wl::InputEvent::ButtonDown, frame, wl::MOUSE_BUTTON_LEFT);
            script.Add(wl::InputEvent::ButtonUp, frame + 1, wl::MOUSE_BUTTON_LEFT);
        }
        frame += framesPerStep;
    }
    // Last, in the main loop: a click near a corner of Quit ends it in that frame.
    const int quitFrame = frame;
    script.Add(wl::InputEvent::CursorTo, quitFrame, 230, 339);
    script.Add(wl::InputEvent::ButtonDown, quitFrame, wl::MOUSE_BUTTON_LEFT);
    Start(script);
    auto* menu = dynamic_cast<CMenuState*>(Menu());
    ASSERT_NE(menu, nullptr);
    ASSERT_FALSE(wl::CursorHidden());
    RunFrames(1);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const testsupport::Output output = testsupport::Capture([&] { RunFrames(framesPerStep); });
        EXPECT_EQ(game->GetCurrentState(), Menu());
        EXPECT_EQ(menu->Selected(), step.selected);
        EXPECT_EQ(FindLine(Lines(output.out), "Trying to switch to level 'level1.dae'") != -1, step.triesLevel1)
            << output.out;
    }
    testsupport::Capture([&] { game->Run(); });
    EXPECT_EQ(wl::FramesSwapped(), quitFrame + 1) << "the game did not end on the click on Quit";
}

// "Continue" is offered first once a level is completed and starts the first shipped level not
// completed (the last when all are); "Start" starts level 1 and "Options" asks for the options
// screen, by keys, pad and mouse. The folder ships levels 1 to 3 (not loadable: the game tries
// one, says which, and is back at the menu) and a level 5 beyond the gap, outside the chain.
TEST_F(GameStates, ContinueStartsTheFirstLevelNotCompleted) {
    for (int n : {1, 2, 3, 5}) dir.Write("resources/levels/level" + std::to_string(n) + ".dae", "<COLLADA/>");
    enum Input { Enter, PadA, DownEnter, DownDownEnter, UpEnter, ClickFirst, ClickSecond };
    struct Case {
        const char* what;
        std::vector<std::string> completed;
        Input input;
        bool continueOffered;
        std::string tries;  // the level tried; "" none
        bool options;       // the options screen was asked for
        bool quits;
    };
    const Case cases[] = {
        {"no progress: ENTER on Start", {}, Enter, false, "level1.dae", false, false},
        {"level 1 won: Continue", {"level1.dae"}, Enter, true, "level2.dae", false, false},
        {"levels 1 and 2 won: Continue", {"level1.dae", "level2.dae"}, Enter, true, "level3.dae", false, false},
        {"only level 2 won: Continue", {"level2.dae"}, Enter, true, "level1.dae", false, false},
        {"only level 5 won, beyond the chain", {"level5.dae"}, Enter, true, "level1.dae", false, false},
        {"all won: the last", {"level1.dae", "level2.dae", "level3.dae"}, Enter, true, "level3.dae", false, false},
        {"pad A on Continue", {"level1.dae"}, PadA, true, "level2.dae", false, false},
        {"DOWN, ENTER: Start", {"level1.dae"}, DownEnter, true, "level1.dae", false, false},
        {"DOWN, DOWN, ENTER: Options", {"level1.dae"}, DownDownEnter, true, "", true, false},
        {"no progress: DOWN, ENTER: Options", {}, DownEnter, false, "", true, false},
        {"UP, ENTER: round to Quit", {"level1.dae"}, UpEnter, true, "", false, true},
        {"a click on Continue", {"level1.dae", "level2.dae"}, ClickFirst, true, "level3.dae", false, false},
        {"a click on Start below it", {"level1.dae", "level2.dae"}, ClickSecond, true, "level1.dae", false, false},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string data = (dir.Path() / ("data" + std::to_string(run++))).string();
        std::string progress;
        for (const std::string& level : c.completed) progress += level + ".completed = yes\n";
        if (!progress.empty()) dir.Write("data" + std::to_string(run - 1) + "/tavo/progress.ini", progress);
        wl::InputScript script;
        script.frames = 12;
        script.Add(wl::InputEvent::PadPlug, 0, 0);
        const int entries = c.continueOffered ? 5 : 4;
        // The centres of the first two entries in the 640 x 480 window.
        const int first = static_cast<int>(MenuLayout::Centre(0, entries) * 480);
        const int second = static_cast<int>(MenuLayout::Centre(1, entries) * 480);
        switch (c.input) {
            case Enter: script.Key(5, wl::KEY_ENTER); break;
            case PadA: script.PadButton(5, wl::PAD_A); break;
            case DownEnter: script.Key(1, wl::KEY_DOWN).Key(5, wl::KEY_ENTER); break;
            case DownDownEnter: script.Key(1, wl::KEY_DOWN).Key(3, wl::KEY_DOWN).Key(5, wl::KEY_ENTER); break;
            case UpEnter: script.Key(1, wl::KEY_UP).Key(5, wl::KEY_ENTER); break;
            case ClickFirst:
            case ClickSecond:
                script.Add(wl::InputEvent::CursorTo, 5, 320, c.input == ClickFirst ? first : second);
                script.Add(wl::InputEvent::ButtonDown, 5, wl::MOUSE_BUTTON_LEFT);
                script.Add(wl::InputEvent::ButtonUp, 6, wl::MOUSE_BUTTON_LEFT);
                break;
        }
        game = std::make_unique<CGameImpl>();
        Start(script, data);
        auto* menu = dynamic_cast<CMenuState*>(Menu());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->Entries().size(), static_cast<size_t>(entries));
        EXPECT_EQ(menu->Entries().front() == MenuEntry::Continue, c.continueOffered);
        // The main loop, to the script's end unless Quit ends it first.
        const testsupport::Output output = testsupport::Capture([&] { game->Run(); });
        const bool quit = wl::FramesSwapped() < script.frames;
        const int tried = FindLine(Lines(output.out), "Trying to switch to level '");
        if (c.tries.empty()) {
            EXPECT_EQ(tried, -1) << output.out;
        } else {
            EXPECT_NE(FindLine(Lines(output.out), "Trying to switch to level '" + c.tries + "'"), -1) << output.out;
            EXPECT_EQ(tried, FindLine(Lines(output.out), "Trying to switch to level '" + c.tries + "'"))
                << "another level was tried first: " << output.out;
        }
        // Until the options screen is in the screen table, asking for it is refused with its id.
        const bool askedForOptions = FindLine(Lines(output.err), "ERROR: No game state has the id 4") != -1 ||
                                     (game->GetState(STATE_OPTIONS) && game->GetCurrentState() == game->GetState(STATE_OPTIONS));
        EXPECT_EQ(askedForOptions, c.options) << output.err;
        EXPECT_EQ(quit, c.quits);
        game.reset();
    }
}

// ESC pressed right after ENTER opened another screen from the menu arrives in the swap of the
// frame that began on the menu: it is the new screen's (the options go back), not the menu's
// end of the game.
TEST_F(GameStates, EscapeRightAfterLeavingTheMenuIsTheNewScreens) {
    wl::InputScript script;
    script.frames = 12;
    script.Key(1, wl::KEY_DOWN).Key(5, wl::KEY_ENTER).Key(6, wl::KEY_ESC);
    Start(script);
    testsupport::Capture([&] { game->Run(); });
    EXPECT_EQ(wl::FramesSwapped(), 12) << "the ESC after the options opened ended the game";
    EXPECT_EQ(game->GetCurrentState(), Menu()) << "the options did not go back";
}

// The Replays screen over ten runs and a file of the player's own: the best run first, then
// the newest; a page of seven that follows the selection (Back always shown, UP round to it);
// a run that cannot be played named on the screen, the screen staying; the pointer selecting;
// ESC back to the menu; and a run that plays ending the session with the request to watch it.
TEST_F(GameStates, ReplaysListPagesRefusesAndAsksToWatch) {
    dir.Write("data/tavo/replays/notes.txt", "the player's own");
    dir.Write("data/tavo/replays/best_level2.replay", "frames 1\n");
    for (int day = 1; day <= 9; ++day)
        dir.Write("data/tavo/replays/2026-03-0" + std::to_string(day) + "_12-00-00_level1.replay",
                  day == 9 ? "no such line\n" : "frames 1\n");
    wl::InputScript script;
    script.frames = 40;
    script.Key(1, wl::KEY_UP).Key(3, wl::KEY_UP).Key(5, wl::KEY_ENTER);  // round to Quit, Replays
    script.Key(7, wl::KEY_UP).Key(9, wl::KEY_UP).Key(11, wl::KEY_DOWN).Key(13, wl::KEY_DOWN);
    script.Key(15, wl::KEY_DOWN).Key(17, wl::KEY_ENTER);  // the newest run, which cannot play
    script.Add(wl::InputEvent::CursorTo, 19, 320, 160);  // onto the third row
    script.Key(21, wl::KEY_ESC).Key(23, wl::KEY_UP).Key(25, wl::KEY_UP).Key(27, wl::KEY_ENTER);
    script.Key(29, wl::KEY_ENTER);  // the best run
    Start(script);
    auto* replays = dynamic_cast<CReplaysState*>(game->GetState(STATE_REPLAYS));
    ASSERT_NE(replays, nullptr);
    struct After {
        CGameState* state;
        int selected, first;
        std::string message;
    };
    std::vector<After> after;
    std::string err;
    const testsupport::Output output = testsupport::Capture([&] {
        for (int frame = 0; frame < 30; ++frame) {
            Frame();
            after.push_back({game->GetCurrentState(), replays->Selected(), replays->FirstShown(), replays->Message()});
        }
    });
    ASSERT_EQ(replays->Runs().size(), 10u);
    EXPECT_EQ(replays->Runs()[0].label, "Best: level2");
    EXPECT_EQ(replays->Runs()[1].label, "9 Mar 12:00  level1");
    EXPECT_EQ(replays->Runs()[9].label, "1 Mar 12:00  level1");
    EXPECT_EQ(after[5].state, replays);
    const struct {
        int frame, selected, first;
    } steps[] = {{5, 0, 0}, {7, 10, 0}, {9, 9, 3}, {11, 10, 3}, {13, 0, 0}, {15, 1, 0}, {19, 2, 0}};
    for (const auto& step : steps) {
        SCOPED_TRACE("frame " + std::to_string(step.frame));
        EXPECT_EQ(after[static_cast<size_t>(step.frame)].selected, step.selected);
        EXPECT_EQ(after[static_cast<size_t>(step.frame)].first, step.first);
    }
    EXPECT_EQ(after[16].message, "");
    EXPECT_EQ(after[17].state, replays) << "a run that cannot play leaves the game on the screen";
    EXPECT_NE(after[17].message.find("input script '2026-03-09_12-00-00_level1.replay', line 1"), std::string::npos)
        << after[17].message;
    EXPECT_NE(output.err.find("tavo: input script '" + (dir.Path() / "data/tavo/replays/2026-03-09_12-00-00_level1.replay").string()),
              std::string::npos) << output.err;
    EXPECT_EQ(game->WatchRequest(), (dir.Path() / "data/tavo/replays/best_level2.replay").string());
    EXPECT_EQ(after[21].state, Menu());
    EXPECT_EQ(after[27].state, replays);
    EXPECT_EQ(after[27].message, "") << "read again when opened";
}

TEST_F(GameStates, KeypadLoadsOnlyLevelsThatExistAndTheMenuIsOneQuadAFrame) {
    InstallOrthoShader();
    dir.Write("resources/levels/level4.dae", "<COLLADA/>");
    wl::InputScript script;
    script.frames = 20;
    script.Key(1, wl::KEY_KP_3).Key(3, wl::KEY_KP_4).Key(5, '4');
    Start(script);
    CRenderer* renderer = game->GetRenderer();
    renderer->objectsRendered = renderer->trianglesRendered = 0;
    std::vector<CGameState*> states;
    const testsupport::Output quiet = testsupport::Capture([&] { states = RunFrames(3); });
    EXPECT_EQ(renderer->objectsRendered, 3u);  // the picture: one two-triangle element a frame
    EXPECT_EQ(renderer->trianglesRendered, 6u);
    // KP_3 without a level3 file: nothing at all happens, not even a message.
    EXPECT_EQ(states, (std::vector<CGameState*>{Menu(), Menu(), Menu()}));
    EXPECT_EQ(quiet.out + quiet.err, "");

    // KP_4, then the main row's 4 (for laptops): each tries level 4, which is no level. With
    // no level to go on with, the game is back at a usable menu.
    for (int press = 0; press < 2; ++press) {
        const testsupport::Output tried = testsupport::Capture([&] { RunFrames(2); });
        EXPECT_NE(FindLine(Lines(tried.out), "Trying to switch to level 'level4.dae'"), -1) << tried.out;
        EXPECT_EQ(game->GetCurrentState(), Menu());
    }
}

TEST_F(GameStates, AnEnterStillHeldDoesNotDismissThePicture) {
    InstallOrthoShader();
    wl::InputScript script;
    script.frames = 30;
    // ENTER on "Start" at frame 1, held until frame 6; pressed again at frame 8.
    script.Add(wl::InputEvent::KeyDown, 1, wl::KEY_ENTER).Add(wl::InputEvent::KeyUp, 6, wl::KEY_ENTER);
    script.Key(8, wl::KEY_ENTER);
    Start(script);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    auto states = RunFrames(2);
    // The last level ends while ENTER is still down: its end trigger (one without a next
    // level) shows the mission-complete picture and queues the return to the menu.
    CSceneTrigger lastEnd({}, "TRIGGEREND");
    CPlayState::OnLevelEnd(&lastEnd, Play());
    const std::string picture = GetPictureQuad(game.get())->material.diffuseName;
    auto held = RunFrames(6);
    auto after = RunFrames(2);
    const std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(states[0], Menu());
    // The menu hands over to the play state, which cannot load a level here (no models, no
    // level file) and, having none to go on with, returns to the menu.
    EXPECT_EQ(states[1], Menu());
    EXPECT_NE(FindLine(Lines(out), "Trying to switch to level 'level1.dae'"), -1) << out;
    EXPECT_EQ(picture, "mission_complete_43.png");
    // The picture waits through the held ENTER (frames 2 to 7) ...
    for (CGameState* state : held) EXPECT_EQ(state, Splash());
    // ... and only a new press leaves it: back through the play state to the menu.
    EXPECT_EQ(after[0], Menu());
    EXPECT_EQ(after[1], Menu());
    EXPECT_EQ(dynamic_cast<CMenuState*>(Menu())->Selected(), MenuEntry::Start);
    EXPECT_EQ(GetPictureQuad(game.get())->material.diffuseName, "menu_43.jpg");
    // Nothing stays queued: the menu's own choice says which level comes next.
    EXPECT_EQ(Play()->rules.nextLevelName, "");
    EXPECT_EQ(Play()->rules.pendingAction, nullptr);
    EXPECT_FALSE(Play()->rules.gameFinished);
}

TEST_F(GameStates, PadDPadChoosesAndStartConfirmsOnTheMenuAndThePicture) {
    InstallOrthoShader();
    wl::InputScript script;
    script.frames = 30;
    script.Add(wl::InputEvent::PadPlug, 0, 0);
    script.PadButton(1, wl::PAD_DPAD_DOWN).PadButton(3, wl::PAD_DPAD_UP).PadButton(5, wl::PAD_START);
    // Start held over the picture from frame 8 to 11 leaves it once, not again after it.
    script.Add(wl::InputEvent::PadButtonDown, 8, wl::PAD_START).Add(wl::InputEvent::PadButtonUp, 11, wl::PAD_START);
    Start(script);
    auto* menu = dynamic_cast<CMenuState*>(Menu());
    ASSERT_NE(menu, nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::vector<MenuEntry> selected;
    std::vector<CGameState*> states;
    for (int frame = 0; frame < 6; ++frame) {
        Frame();
        selected.push_back(menu->Selected());
        states.push_back(game->GetCurrentState());
    }
    const std::string menuOut = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    CSceneTrigger lastEnd({}, "TRIGGEREND");
    CPlayState::OnLevelEnd(&lastEnd, Play());
    auto picture = RunFrames(6);
    const std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    EXPECT_NE(FindLine(Lines(menuOut), "Gamepad connected: Scripted pad"), -1) << menuOut;
    // D-pad down chooses "Options", up "Start" again, and Start starts the first level (which
    // this folder does not have, so the game is back at the menu).
    using E = MenuEntry;
    EXPECT_EQ(selected, (std::vector<MenuEntry>{E::Start, E::Options, E::Options, E::Start, E::Start, E::Start}));
    EXPECT_NE(FindLine(Lines(menuOut), "Trying to switch to level 'level1.dae'"), -1) << menuOut;
    EXPECT_EQ(states[5], Menu());
    EXPECT_EQ(picture[0], Splash());  // frames 6, 7: the picture waits
    EXPECT_EQ(picture[1], Splash());
    EXPECT_EQ(picture[2], Menu());    // frame 8: Start goes on
    // The same held Start does not go on to start a game from the menu.
    EXPECT_EQ(FindLine(Lines(out), "Trying to switch to level 'level1.dae'"), -1) << out;
}

// The death picture, a quarter opaque, over the white clear colour of an empty play state: it
// is blended over the scene, and blending is off again after it.
// Play lets the pictures go (GL texture and all); the next one shown is decoded again.
TEST_F(GameStates, PicturesAreBlendedOverTheSceneAndLetGoInPlay) {
    InstallOrthoShader();
    std::vector<unsigned char> rgba;
    for (int i = 0; i < 16; ++i) rgba.insert(rgba.end(), {255, 0, 0, 64});
    dir.Write("resources/textures/death_43.png", testsupport::EncodePng(4, 4, 4, rgba));
    wl::InputScript script;
    script.frames = 20;
    Start(script);
    for (int shown = 0; shown < 2; ++shown) {
        unsigned char centre[3] = {0, 0, 0};
        GLuint texture = 0;
        testsupport::Capture([&] {
            game->ShowPicture(PictureReason::Death, nullptr);
            Frame([&] { glReadPixels(320, 240, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, centre); });
            texture = GetPictureQuad(game.get())->material.diffuseTexture->glId;
            game->SetState(Play());
        });
        EXPECT_NEAR(centre[0], 255, 2);
        EXPECT_NEAR(centre[1], 191, 3);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(GetPictureQuad(game.get())->material.diffuseTexture, nullptr);
        EXPECT_FALSE(glIsTexture(texture));
    }
}

TEST_F(GameStates, MenuMusicStopsForPlayAndPicturesPlayTheirSounds) {
    InstallOrthoShader();
    ASSERT_TRUE(soundcheck::Write((dir.Path() / "resources/sounds/mainmenu.mp3").string(), soundcheck::Tone(440, 1.0), 1));
    ASSERT_TRUE(soundcheck::Write((dir.Path() / "resources/sounds/death.wav").string(), soundcheck::Tone(300, 0.2), 1));
    // A level that loads (the shipped models and a floor): a play state without one would
    // return to the menu and its music at once.
    const std::filesystem::path repo = TAVO_SOURCE_DIR;
    std::filesystem::create_directory_symlink(repo / "resources" / "models", dir.Path() / "resources" / "models");
    testsupport::ColladaDocument level;
    level.meshes = {testsupport::CubeMesh("cube", "", true, false)};
    testsupport::ColladaNode floor;
    floor.id = floor.name = "floor";
    floor.mesh = "cube";
    floor.matrix[0] = floor.matrix[10] = 40.0f;
    floor.matrix[7] = -0.5f;
    level.roots = {floor};
    dir.Write("resources/levels/level1.dae", level.Write());
    wl::InputScript script;
    script.frames = 30;
    script.Key(1, wl::KEY_ENTER).Key(5, wl::KEY_ENTER);
    Start(script);
    const CSoundManagerState& sound = game->GetSoundManager()->State();
    auto musicPlaying = [&sound] {
        bool playing = false;
        sound.musicChannel.IsPlaying(&playing);
        return playing;
    };
    EXPECT_TRUE(musicPlaying()) << "the menu starts its music";

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    RunFrames(2);  // ENTER on "Start"
    const bool playingInLevel = musicPlaying();
    CPlayState::OnKillZone(nullptr, Play());  // a death: its picture and its sound, no music
    const bool playingAfterDeath = musicPlaying();
    RunFrames(4);  // ENTER: the level again
    CSceneTrigger stageEnd({}, "TRIGGEREND");
    stageEnd.properties["nextlevel"] = "level2.dae";
    CPlayState::OnLevelEnd(&stageEnd, Play());
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(game->GetCurrentState(), Splash());
    EXPECT_FALSE(playingInLevel) << out << err;
    EXPECT_FALSE(playingAfterDeath);
    const auto lines = Lines(out);
    const int death = FindLine(lines, "LOADING sound: death.wav");
    EXPECT_NE(death, -1) << out;
    // The stage picture starts its music (missing in this folder: reported, and the game goes on).
    EXPECT_GT(FindLine(lines, "LOADING sound (streamed): levelcomplete.mp3"), death) << out;
    EXPECT_NE(err.find("'FMOD_ERR_FILE_NOTFOUND' while: createStream"), std::string::npos) << err;
    EXPECT_EQ(err.find("while: playSound"), std::string::npos) << err;
}


// The player's config folder points into the test's own folder while it lives, so that what a
// test saves reaches neither the real home nor the other tests of this program.
class ScopedConfigFolder {
public:
    explicit ScopedConfigFolder(const std::filesystem::path& folder) {
        if (const char* value = std::getenv("XDG_CONFIG_HOME")) saved = value;
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~ScopedConfigFolder() {
        if (saved) setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
    }
    ScopedConfigFolder(const ScopedConfigFolder&) = delete;
    ScopedConfigFolder& operator=(const ScopedConfigFolder&) = delete;

private:
    std::optional<std::string> saved;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Opened from the menu: a click on the music's left arrow, LEFT, the effects three steps down,
// the look speed two up, the inverted look on, full screen off (with ENTER), ESC back to the
// menu. Each change holds at once (the sound layer's volumes, the window) and is in
// settings.ini; the next start reads them, and a command line's --fullscreen wins for its run
// without being saved.
TEST_F(GameStates, OptionsApplyAtOnceAreSavedAndTheNextStartUsesThem) {
    const std::filesystem::path config = dir.Path() / "config";
    const ScopedConfigFolder folder(config);
    const std::filesystem::path file = config / "tavo" / "settings.ini";
    wl::InputScript script;
    script.frames = 40;
    const int musicY = static_cast<int>(TextMenuRowTop(COptionsState::kLayout, 0, 480.0f) + 10.0f);
    script.Add(wl::InputEvent::CursorTo, 2, static_cast<int>(0.65f * 640.0f), musicY);
    script.Add(wl::InputEvent::ButtonDown, 3, wl::MOUSE_BUTTON_LEFT).Add(wl::InputEvent::ButtonUp, 4, wl::MOUSE_BUTTON_LEFT);
    script.Key(6, wl::KEY_LEFT);
    script.Key(8, wl::KEY_DOWN).Key(10, wl::KEY_LEFT).Key(12, wl::KEY_LEFT).Key(14, wl::KEY_LEFT);
    script.Key(16, wl::KEY_DOWN).Key(18, wl::KEY_RIGHT).Key(20, wl::KEY_RIGHT);
    script.Key(22, wl::KEY_DOWN).Key(24, wl::KEY_RIGHT);
    script.Key(26, wl::KEY_DOWN).Key(28, wl::KEY_ENTER);
    script.Key(30, wl::KEY_DOWN).Key(32, wl::KEY_LEFT);
    script.Key(34, wl::KEY_ESC);
    Start(script);
    EXPECT_FALSE(std::filesystem::exists(file)) << "nothing is written before a change";
    EXPECT_TRUE(game->GetWindow()->fullscreen);
    testsupport::Capture([&] {
        game->ChangeState(STATE_OPTIONS);
        RunFrames(36);
    });
    EXPECT_EQ(game->GetCurrentState(), Menu()) << "ESC goes back where the options were opened";
    EXPECT_EQ(game->GetSettings()->Quality(), RenderQuality::Low) << "LEFT from High comes round to Low";
    {
        auto* options = static_cast<COptionsState*>(game->GetState(STATE_OPTIONS));
        ASSERT_EQ(options->Selected(), OptionRow::Quality);
        EXPECT_EQ(options->FooterText(), "Full speed at this quality from the next start")
            << "the window opened at High still pays for its samples at Low";
        game->GetSettings()->SetQuality(RenderQuality::High);
        EXPECT_EQ(options->FooterText().rfind("UP / DOWN", 0), 0u) << options->FooterText();
        game->GetSettings()->SetQuality(RenderQuality::Low);
    }
    EXPECT_EQ(game->GetSoundManager()->MusicVolume(), 80);
    EXPECT_EQ(game->GetSoundManager()->EffectsVolume(), 70);
    EXPECT_FALSE(game->GetWindow()->fullscreen);
    EXPECT_FALSE(wl::WindowFullscreen());
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    EXPECT_EQ(width, kDefaultWindowWidth);
    EXPECT_EQ(height, kDefaultWindowHeight);

    const std::string saved = ReadFile(file);
    const char* const lines[] = {"music_volume = 80\n", "effects_volume = 70\n", "mouse_speed = 120\n",
                                 "invert_look = yes\n", "fullscreen = no\n", "window = desktop\n",
                                 "quality = low\n"};
    for (const char* line : lines) EXPECT_NE(saved.find(line), std::string::npos) << line << saved;

    // The next start, in the same folders.
    wl::InputScript next;
    next.frames = 3;
    for (const bool fullscreenAsked : {false, true}) {
        SCOPED_TRACE(fullscreenAsked ? "--fullscreen" : "no options");
        game.reset();
        game = std::make_unique<CGameImpl>();
        StartOptions options;
        options.fullscreen = fullscreenAsked;
        // --quality too: for this run only.
        if (fullscreenAsked) options.quality = RenderQuality::Medium;
        game->SetStartOptions(options);
        Start(next);
        EXPECT_EQ(game->GetSoundManager()->MusicVolume(), 80);
        EXPECT_EQ(game->GetSoundManager()->EffectsVolume(), 70);
        EXPECT_EQ(game->GetSettings()->MouseSpeed(), 120);
        EXPECT_TRUE(game->GetSettings()->InvertLook());
        EXPECT_EQ(game->GetSettings()->Quality(), fullscreenAsked ? RenderQuality::Medium : RenderQuality::Low);
        EXPECT_EQ(game->GetWindow()->fullscreen, fullscreenAsked);
        EXPECT_EQ(wl::WindowFullscreen(), fullscreenAsked);
        wl::GetWindowSize(&width, &height);
        EXPECT_EQ(width, fullscreenAsked ? 640 : kDefaultWindowWidth);
        EXPECT_EQ(ReadFile(file), saved) << "a start writes nothing";
    }
}

// Opened from the pause screen the options go back there, with Back as with ESC; the next
// time, from the menu, back to the menu.
TEST_F(GameStates, OptionsGoBackToTheScreenThatOpenedThem) {
    const ScopedConfigFolder folder(dir.Path() / "config");
    wl::InputScript script;
    script.frames = 20;
    script.Key(2, wl::KEY_UP).Key(4, wl::KEY_ENTER);  // UP from the first row is Back
    script.Key(10, wl::KEY_ESC);
    Start(script);
    auto* options = static_cast<COptionsState*>(game->GetState(STATE_OPTIONS));
    ASSERT_NE(options, nullptr);
    testsupport::Capture([&] {
        options->ReturnTo(STATE_PAUSE);
        game->SetState(options);
        RunFrames(6);
    });
    EXPECT_EQ(game->GetCurrentState(), game->GetState(STATE_PAUSE));
    testsupport::Capture([&] {
        game->ChangeState(STATE_OPTIONS);
        RunFrames(6);
    });
    EXPECT_EQ(game->GetCurrentState(), Menu());
}

}  // namespace
