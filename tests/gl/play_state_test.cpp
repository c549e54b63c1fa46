// The play state on a real game: levels the tests write are loaded into real physics, then
// played with a fixed frame time. The shipped models, textures, shaders and sounds are used
// (linked into the test's own folder); the levels are the tests' own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <cstdlib>
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "game/GameImpl.h"
#include "game/PauseState.h"
#include "game/SplashscreenState.h"
#include "game/TextMenu.h"
#include "gameplay/PlayState.h"
#include "physics/PhysicsWorld.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "scene/Mesh.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"
#include "services/Hud.h"
#include "services/InputManager.h"
#include "services/Progress.h"
#include "services/Settings.h"
#include "services/SoundManager.h"
#include "support/ColladaWriter.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::Capture;
using testsupport::ColladaDocument;
using testsupport::ColladaMaterial;
using testsupport::ColladaNode;
using testsupport::CubeMesh;
using testsupport::Output;
using testsupport::ScopedWorkDir;

namespace {

const double kFrame = 1.0 / 60.0;

bool Contains(const std::string& text, const std::string& needle) { return text.find(needle) != std::string::npos; }

int Count(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

// A node with a uniform scale and a translation.
ColladaNode Box(const std::string& name, float x, float y, float z, float sx, float sy, float sz) {
    ColladaNode node;
    node.id = node.name = name;
    node.mesh = "cube";
    node.matrix[0] = sx;
    node.matrix[5] = sy;
    node.matrix[10] = sz;
    node.matrix[3] = x;
    node.matrix[7] = y;
    node.matrix[11] = z;
    return node;
}

ColladaNode Marker(const std::string& name, float x, float y, float z) {
    ColladaNode node = Box(name, x, y, z, 1, 1, 1);
    node.mesh.clear();
    return node;
}

// Triggers notice the player where its body crosses their faces: the test triggers below are
// 6-unit boxes around the start whose top face (y = 1) cuts through the figure.
ColladaNode Volume(const std::string& name, float x, float y, float z) {
    ColladaNode node = Box(name, x, y, z, 1, 1, 1);
    node.mesh = "volume";
    return node;
}

// A level: a floor whose top is y = 0 (60 x 60 unless given), the start just above it at the
// origin (or `startHeight` above it), and the extra nodes (and the meshes they show) given.
std::string Level(std::vector<ColladaNode> extra, ColladaNode ground = Box("ground", 0, -0.5f, 0, 60, 1, 60),
                  float startHeight = 0.2f, std::vector<testsupport::ColladaMesh> extraMeshes = {}) {
    ColladaDocument doc;
    ColladaMaterial floor;
    floor.id = "floor";
    floor.diffuseTexture = "floor07.jpg";
    doc.materials = {floor};
    // Trigger volumes have their size in their vertices, as the shipped levels have: the
    // physics takes a volume's node transform as a placement, not a scale.
    testsupport::ColladaMesh volume = CubeMesh("volume", "", true, false);
    for (float& coordinate : volume.positions) coordinate *= 6.0f;
    doc.meshes = {CubeMesh("cube", "floor", true, true), volume};
    for (testsupport::ColladaMesh& mesh : extraMeshes) doc.meshes.push_back(std::move(mesh));
    doc.roots = {std::move(ground), Marker("TAVO_START", 0, startHeight, 0)};
    for (ColladaNode& node : extra) doc.roots.push_back(std::move(node));
    return doc.Write();
}

// The game started in a folder that holds the shipped content (linked) and the tests' levels.
class PlayStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path repo = previous;
        fs::create_directories(dir.Path() / "resources" / "levels");
        for (const char* folder : {"textures", "sounds"})
            fs::create_directory_symlink(repo / "resources" / folder, dir.Path() / "resources" / folder);
        // Model by model, so that a test can leave one out.
        fs::create_directories(dir.Path() / "resources" / "models");
        for (const auto& entry : fs::directory_iterator(repo / "resources" / "models"))
            if (entry.path().filename() != missingModel)
                fs::create_symlink(entry.path(), dir.Path() / "resources" / "models" / entry.path().filename());
        fs::create_directory_symlink(repo / "shaders", dir.Path() / "shaders");
        // The progress of these games is their own: it starts empty in the test's folder.
        if (const char* data = std::getenv("XDG_DATA_HOME")) oldDataHome = data;
        setenv("XDG_DATA_HOME", (dir.Path() / "data").c_str(), 1);
        script.frames = 1;
        wl::UseInputScript(&script);
        Output start = Capture([&] { initResult = game->Initialize(); });
        ASSERT_EQ(initResult, 0) << start.err;
        startErr = start.err;
        play = static_cast<CPlayState*>(game->GetState(STATE_PLAY));
        ASSERT_NE(play, nullptr);
        if (missingModel != "schoko.dae") {
            ASSERT_NE(play->player, nullptr);
        }
    }
    void TearDown() override {
        game.reset();
        if (oldDataHome) setenv("XDG_DATA_HOME", oldDataHome->c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }

    void WriteLevel(const std::string& name, const std::string& contents) {
        dir.Write("resources/levels/" + name, contents);
    }
    // Changes to the play state and loads, as the menu does.
    Output Start(const std::string& name) {
        return Capture([&] {
            game->ChangeState(STATE_PLAY);
            play->LoadLevel(name);
        });
    }
    // Updates the play state as the main loop would while it is current.
    Output Run(int frames, double frameTime = kFrame) {
        return Capture([&] {
            for (int i = 0; i < frames && game->GetCurrentState() == play; ++i) play->Update(frameTime);
        });
    }
    int FramesUntil(const std::function<bool()>& done, int limit) {
        int frames = 0;
        Capture([&] {
            while (!done() && frames < limit && game->GetCurrentState() == play) {
                play->Update(kFrame);
                ++frames;
            }
        });
        return frames;
    }

    fs::path previous = fs::current_path();
    ScopedWorkDir dir;
    wl::InputScript script;
    std::unique_ptr<CGameImpl> game = std::make_unique<CGameImpl>();
    CPlayState* play = nullptr;
    int initResult = -1;
    std::string missingModel;  // a shipped model left out of the test's folder
    std::string startErr;
    std::optional<std::string> oldDataHome;
};

class WithoutMilkModel : public PlayStateTest {
protected:
    WithoutMilkModel() { missingModel = "milk.dae"; }
};

class WithoutPlayerModel : public PlayStateTest {
protected:
    WithoutPlayerModel() { missingModel = "schoko.dae"; }
};

}  // namespace

// Loading ------------------------------------------------------------------------------------

TEST_F(PlayStateTest, LoadBuildsPhysicsPlacesThePlayerAndStartsTheLevelMusic) {
    ColladaNode sun = Marker("TAVO_SUN", 0, 10, 0);
    const float turned[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};  // looking down
    std::copy(std::begin(turned), std::end(turned), std::begin(sun.matrix));
    WriteLevel("level3.dae", Level({sun, Box("CLIP_rail", 5, 1, 0, 1, 2, 1), Box("NOCLIP_duck", -5, 0.5f, 0, 1, 1, 1),
                                    Box("PHYS_mass_abc", 3, 0, 3, 1, 1, 1), Marker("POWERUP_MILK_1", 8, 1, 8),
                                    Box("TRIGGEREND", 0, 2, -25, 10, 4, 3), Box("TRIGGERKILL_n_1", 0, -30, 0, 100, 4, 100),
                                    Box("TRIGGER_door", 20, 1, 0, 2, 2, 2), Box("TRIGGERZONE", -20, 1, 0, 2, 2, 2)}));
    // What the last level left: a melted figure, turned to the west, with umbrella time.
    play->player->life = 0.25f;
    play->player->umbrellaTime = 4.0f;
    play->player->scale = {0.01f, 0.01f, 0.01f};
    play->player->transform = Rotate(play->player->transform, 90.0f, Vec3(0.0f, 1.0f, 0.0f));
    const Output output = Start("level3.dae");
    ASSERT_NE(play->level.file, nullptr) << output.err;
    EXPECT_TRUE(Contains(output.err, "WARNING: Object 'PHYS_mass_abc' has mass 'abc', which is not a number; using 1"))
        << output.err;

    // The player stands on the start, facing north at full size with full life; the sun
    // follows the level.
    const Mat4& t = play->player->transform;
    EXPECT_FLOAT_EQ(t[13], 0.2f);
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) EXPECT_FLOAT_EQ(t[i], i % 5 == 0 ? 1.0f : 0.0f) << "basis " << i;
    EXPECT_FLOAT_EQ(play->player->scale.x, CPlayState::kFullScale);
    EXPECT_FLOAT_EQ(play->player->life, 1.0f);
    EXPECT_FLOAT_EQ(play->player->umbrellaTime, 0.0f);
    ASSERT_TRUE(play->player->umbrella && play->player->leftHand && play->player->rightHand && play->player->leftLeg &&
                play->player->rightLeg);  // the shipped figure's parts are found
    EXPECT_FALSE(play->player->umbrella->visible);
    EXPECT_FLOAT_EQ(play->cameras.freeCamera->transform[13], 0.2f);
    EXPECT_NEAR(play->sky.light.direction.y, -1.0f, 1e-5f);

    // What is drawn is on the GPU; the CLIP rail is not.
    for (const auto& object : play->level.file->staticObjects)
        EXPECT_EQ(object->meshes[0]->IsUploaded(), object->clipMode != 2) << object->name;
    EXPECT_TRUE(play->level.file->dynamicObjects[0]->meshes[0]->IsUploaded());
    EXPECT_FALSE(play->level.file->triggers[0]->meshes[0]->IsUploaded());

    // Solid things got bodies, the NOCLIP duck did not (a static body's record lives with its mesh).
    EXPECT_NE(play->level.file->staticObjects[0]->meshes[0]->physData, nullptr);  // ground
    EXPECT_NE(play->level.file->staticObjects[1]->meshes[0]->physData, nullptr);  // CLIP rail
    EXPECT_EQ(play->level.file->staticObjects[2]->meshes[0]->physData, nullptr);  // NOCLIP duck
    EXPECT_NE(play->level.file->dynamicObjects[0]->physData, nullptr);
    EXPECT_EQ(game->GetSoundManager()->State().levelMusic, 3);
    // A file name without a digit has no music of its own: the last one plays on.
    WriteLevel("bonus", Level({}));
    const Output bonus = Capture([&] { play->LoadLevel("bonus"); });
    EXPECT_TRUE(Contains(bonus.err, "WARNING: Level file name 'bonus' has no digit before its extension"));
    EXPECT_EQ(game->GetSoundManager()->State().levelMusic, 3);
}

// Broken files leave the old level running; loading the same level again rebuilds it whole.
TEST_F(PlayStateTest, BrokenLevelLeavesTheOldOneRunningAndAReloadRebuildsIt) {
    WriteLevel("good.dae", Level({Box("PHYS_n_1", 4, 0, 0, 1, 1, 1), Marker("POWERUP_UMBRELLA_2", 6, 1, 6)}));
    dir.Write("resources/levels/broken.dae", Level({}).substr(0, 300));
    dir.Write("resources/levels/empty.dae", "");
    Start("good.dae");
    ASSERT_NE(play->level.file, nullptr);
    CLevel* before = play->level.file.get();
    CPhysicsWorld* world = play->level.physicsWorld.get();
    Run(10);
    const float life = play->player->life;
    for (const char* name : {"broken.dae", "empty.dae", "missing.dae"}) {
        const Output output = Capture([&] { play->LoadLevel(name); });
        EXPECT_TRUE(Contains(output.err, std::string("ERROR: Could not load level scene resources/levels/") + name))
            << output.err;
        EXPECT_EQ(play->level.file.get(), before);
        EXPECT_EQ(play->level.physicsWorld.get(), world);
        EXPECT_EQ(game->GetCurrentState(), play);
    }
    EXPECT_FLOAT_EQ(play->player->life, life);
    Run(10);  // it still plays: the sun overhead goes on burning
    EXPECT_LT(play->player->life, life);

    Capture([&] { play->LoadLevel("good.dae"); });
    ASSERT_NE(play->level.file, nullptr);
    EXPECT_EQ(play->level.file->staticObjects.size(), 1u);
    EXPECT_EQ(play->level.file->dynamicObjects.size(), 1u);
    EXPECT_EQ(play->level.powerups.size(), 1u);
    EXPECT_FLOAT_EQ(play->player->life, 1.0f);
    Run(30);
    EXPECT_LT(play->player->life, 1.0f);
}

TEST_F(PlayStateTest, RepeatedPowerUpNumbersKeepTheFirst) {
    WriteLevel("twice.dae", Level({Marker("POWERUP_MILK_3", 5, 1, 0), Marker("POWERUP_UMBRELLA_3", -5, 1, 0),
                                   Marker("POWERUP_MILK_4", 0, 1, 5)}));
    const Output output = Start("twice.dae");
    EXPECT_TRUE(Contains(output.err, "WARNING: Power-up number 3 is used twice in level 'twice.dae'")) << output.err;
    ASSERT_EQ(play->level.powerups.size(), 2u);
    EXPECT_EQ(play->level.powerups.at(3)->type, POWERUP_KIND_MILK);
    // At the milk's marker (x = 5; it hangs a little aside), not at the umbrella's (x = -5).
    EXPECT_NEAR(play->level.powerups.at(3)->object->transform[12], 5.0f, 1.0f);
    Capture([&] { play->LoadLevel("twice.dae"); });
    EXPECT_EQ(play->level.powerups.size(), 2u);
}

// Rules ---------------------------------------------------------------------------------------

TEST_F(PlayStateTest, HalfShadeHalvesTheDamage) {
    // A roof over the half of the floor with x < 0, high above the figure; the sun shines down.
    WriteLevel("half.dae", Level({Box("roof", -15, 12, 0, 30, 1, 30)}));
    Start("half.dae");
    Run(60);  // settle on the floor
    const float before = play->player->life;
    Run(600);
    EXPECT_NEAR(before - play->player->life, 10.0 * 0.5 * 0.05, 1e-3);
}

// Both power-ups at the start: milk fills the life, the umbrella shades for 22 seconds.
TEST_F(PlayStateTest, MilkRestoresFullLifeAndTheUmbrellaShadesForTwentyTwoSeconds) {
    WriteLevel("level1.dae", Level({Marker("POWERUP_MILK_1", 0, 1.15f, 0), Marker("POWERUP_UMBRELLA_2", 0, 1.15f, 0)}));
    Start("level1.dae");
    ASSERT_NE(play->level.file, nullptr);
    play->player->life = 0.3f;
    const Output output = Run(3);
    EXPECT_TRUE(Contains(output.out, "Umbrella time!")) << output.out;
    EXPECT_FLOAT_EQ(play->player->life, 1.0f);
    EXPECT_FLOAT_EQ(play->player->scale.x, 0.02f);
    const CSoundManagerState& sound = game->GetSoundManager()->State();
    EXPECT_EQ(sound.sounds.count("milk.wav"), 1u);
    EXPECT_EQ(sound.streams.count("invincible.mp3"), 1u);
    EXPECT_GT(play->level.powerups.at(1)->respawnTimer, 29.0f);
    ASSERT_NE(play->player->umbrella, nullptr);
    EXPECT_TRUE(play->player->umbrella->visible && play->rules.umbrellaMusicPlaying);
    const int frames = FramesUntil([&] { return play->player->umbrellaTime <= 0.0f; }, 2000);
    EXPECT_NEAR(frames, 22 * 60 - 3, 3);
    EXPECT_FLOAT_EQ(play->player->life, 1.0f);
    EXPECT_FALSE(play->player->umbrella->visible || play->rules.umbrellaMusicPlaying);
}

TEST_F(PlayStateTest, NextLevelThatDoesNotExistOrLeavesTheFolderKeepsTheLevelRunning) {
    // A level's end must not open files outside the level folder, even ones that exist.
    dir.Write("secret.dae", Level({}));
    const std::pair<std::string, std::string> cases[] = {
        {"nowhere.dae", "ERROR: Could not load level scene resources/levels/nowhere.dae"},
        {"../../secret.dae", "ERROR: Next level '../../secret.dae' is not a file in the level's folder, not loading it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        WriteLevel("level1.dae", Level({Volume("TRIGGEREND_nextlevel_" + c.first, 0, -2, 0)}));
        Start("level1.dae");
        const Output ended = Run(5);
        EXPECT_EQ(play->rules.pendingAction, &CPlayState::LoadNextLevel);
        const Output back = Capture([&] { game->ChangeState(STATE_PLAY); });
        EXPECT_TRUE(Contains(ended.err + back.err, c.second)) << ended.err << back.err;
        ASSERT_NE(play->level.file, nullptr);
        EXPECT_EQ(play->level.file->fileName, "level1.dae");
        EXPECT_EQ(game->GetCurrentState(), play);
        // And it plays on: the sun overhead still burns.
        const float life = play->player->life;
        Run(5);
        EXPECT_LT(play->player->life, life);
    }
}

// The end trigger and death in the same update: the end's picture came first and stands.
TEST_F(PlayStateTest, EndAndDeathInOneUpdateKeepTheFirstPicture) {
    WriteLevel("level1.dae", Level({Volume("TRIGGEREND_nextlevel_level2.dae", 0, -2, 0)}));
    Start("level1.dae");
    play->debug.lightDamage = false;
    const int ending = FramesUntil([&] { return false; }, 30);  // runs until the picture shows
    ASSERT_LT(ending, 30);
    ASSERT_EQ(play->rules.pendingAction, &CPlayState::LoadNextLevel);
    // Again, with the life running out in the very update the trigger fires.
    play->rules.pendingAction = nullptr;
    Start("level1.dae");
    Run(ending - 1);
    ASSERT_EQ(game->GetCurrentState(), play);
    play->player->life = 0.0f;
    const Output last = Run(1);
    EXPECT_NE(game->GetCurrentState(), play);
    EXPECT_EQ(play->rules.pendingAction, &CPlayState::LoadNextLevel);
    EXPECT_EQ(play->rules.nextLevelName, "level2.dae");
    EXPECT_FALSE(Contains(last.out, "You were reduced to a puddle of mud...")) << last.out;
}

// A figure that died far outside the physics world is put on the start before its character
// and push box are built, so the reloaded level has both.
TEST_F(PlayStateTest, AReloadAfterAFallOutOfTheWorldKeepsThePushBox) {
    WriteLevel("pit.dae", Level({}));
    Start("pit.dae");
    ASSERT_NE(play->player->physData, nullptr);
    play->player->transform[13] = -3000.0f;
    const Output reload = Capture([&] { CPlayState::ReloadLevel(play); });
    EXPECT_FALSE(Contains(reload.err, "Kinematic object")) << reload.err;
    EXPECT_NE(play->player->physData, nullptr);
    EXPECT_NEAR(play->player->transform[13], 0.2f, 1e-5f);
    Run(10);
    EXPECT_EQ(game->GetCurrentState(), play);
}

TEST_F(WithoutMilkModel, PowerUpIsLeftOutWithAnError) {
    WriteLevel("p.dae", Level({Marker("POWERUP_MILK_1", 3, 1, 0), Marker("POWERUP_UMBRELLA_2", -3, 1, 0)}));
    const Output output = Start("p.dae");
    ASSERT_NE(play->level.file, nullptr);
    EXPECT_TRUE(Contains(output.err, "ERROR: Power-up 1 is left out: its model \"milk.dae\" could not be loaded"))
        << output.err;
    EXPECT_EQ(play->level.powerups.count(1), 0u);
    EXPECT_EQ(play->level.powerups.count(2), 1u);
    EXPECT_TRUE(Run(30).err.empty());  // it plays on without it
    EXPECT_LT(play->player->life, 1.0f);
}

TEST_F(WithoutPlayerModel, NoLevelIsEnteredWithoutAPlayer) {
    EXPECT_EQ(play->player, nullptr);
    WriteLevel("level1.dae", Level({}));
    const Output output = Start("level1.dae");
    EXPECT_TRUE(Contains(output.err, "ERROR: Could not load level scene resources/levels/level1.dae, error was: the "
                                     "player model \"schoko.dae\" could not be loaded"))
        << output.err;
    EXPECT_EQ(play->level.file, nullptr);
    EXPECT_EQ(game->GetCurrentState(), game->GetState(STATE_MENU));
    // An update without a level does nothing, and says nothing.
    const Output update = Capture([&] { play->Update(kFrame); });
    EXPECT_TRUE(update.out.empty() && update.err.empty()) << update.out << update.err;
}

TEST_F(PlayStateTest, ZeroFrameTimeChangesNothingAndLifeZeroIsDeath) {
    WriteLevel("z.dae", Level({}));
    Start("z.dae");
    play->player->life = 0.5f;
    play->player->umbrellaTime = 3.0f;
    Run(1, 0.0);
    EXPECT_FLOAT_EQ(play->player->life, 0.5f);
    EXPECT_FLOAT_EQ(play->player->umbrellaTime, 3.0f);
    play->player->umbrellaTime = 0.0f;
    play->debug.lightDamage = false;
    play->player->life = 0.0001f;
    Run(1);
    EXPECT_EQ(game->GetCurrentState(), play);
    play->player->life = 0.0f;
    const Output output = Run(1);
    EXPECT_TRUE(Contains(output.out, "You were reduced to a puddle of mud..."));
    EXPECT_NE(game->GetCurrentState(), play);
}

// Keys pressed where nothing reads them act nowhere else: UP pressed while walking and again
// on the mission-complete picture leaves the first entry chosen in the menu ("Continue", as
// level 5 is won; UP there would come round to "Quit"), and the light-damage key pressed in
// the menu does not reach the level started from it. "Continue" then loads level 1 (the first
// of the chain not completed) once.
TEST_F(PlayStateTest, PressesActOnlyOnTheScreenTheyWerePressedOn) {
    WriteLevel("level1.dae", Level({}));
    WriteLevel("level5.dae", Level({Volume("TRIGGEREND", 0, -2, -9)}));
    game.reset();
    wl::InputScript loop;
    loop.frames = 140;
    loop.Key(2, wl::KEY_KP_5);
    loop.Add(wl::InputEvent::KeyDown, 4, 'W').Add(wl::InputEvent::KeyUp, 80, 'W');  // into the end
    loop.Key(10, wl::KEY_UP);      // in play
    loop.Key(90, wl::KEY_UP);      // on the picture
    loop.Key(100, wl::KEY_ENTER);  // back to the menu
    loop.Key(110, 'L');            // a play-state key in the menu
    loop.Key(120, wl::KEY_ENTER);  // "Continue"
    wl::UseInputScript(&loop);
    game = std::make_unique<CGameImpl>();
    const Output output = Capture([&] {
        ASSERT_EQ(game->Initialize(), 0);
        game->Run();
    });
    EXPECT_EQ(wl::FramesSwapped(), 140) << "the game ended early: Quit was chosen";
    EXPECT_EQ(Count(output.out, "Trying to switch to level 'level1.dae'"), 1) << output.out;
    auto* state = static_cast<CPlayState*>(game->GetState(STATE_PLAY));
    EXPECT_EQ(game->GetCurrentState(), state);
    ASSERT_NE(state->level.file, nullptr);
    EXPECT_EQ(state->level.file->fileName, "level1.dae");
    EXPECT_TRUE(state->debug.lightDamage);
    EXPECT_FALSE(Contains(output.out, "Light damage")) << output.out;
}


// The level's clock and its records -----------------------------------------------------------

// The clock counts the simulated time of the updates from the level's load: going back to the
// start (W held in frames 5 to 24 walks the figure away, BACKSPACE held in frames 30 to 39 puts
// it back) keeps it running, the paused physics stops it, a death's reload starts it again.
class ClockPlayer : public PlayStateTest {
protected:
    ClockPlayer() {
        script.Add(wl::InputEvent::KeyDown, 5, 'W').Add(wl::InputEvent::KeyUp, 25, 'W');
        script.Add(wl::InputEvent::KeyDown, 30, wl::KEY_BACKSPACE).Add(wl::InputEvent::KeyUp, 40, wl::KEY_BACKSPACE);
    }
};

TEST_F(ClockPlayer, TheLevelsClockCountsSimulatedTimeFromTheLoad) {
    WriteLevel("clock.dae", Level({}));
    Start("clock.dae");
    play->debug.lightDamage = false;
    enum Where { Anywhere, AtTheStart, AwayFromIt };
    struct Step {
        const char* what;
        std::function<void()> act;
        int frames;
        double clock;  // after the step's frames
        Where where;
    };
    const Step steps[] = {
        {"28 frames from the load, walking", [] {}, 28, 28 * kFrame, AwayFromIt},
        {"back to the start (BACKSPACE)", [] {}, 14, 42 * kFrame, AtTheStart},
        {"physics paused", [&] { play->debug.physicsPass = false; }, 20, 42 * kFrame, Anywhere},
        {"physics running again", [&] { play->debug.physicsPass = true; }, 6, 48 * kFrame, Anywhere},
        {"a death's reload", [&] { Capture([&] { CPlayState::ReloadLevel(play); }); }, 0, 0.0, AtTheStart},
        {"after the reload", [] {}, 9, 9 * kFrame, Anywhere},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        Capture([&] {
            for (int i = 0; i < step.frames; ++i) {
                play->Update(kFrame);
                wl::SwapBuffers();
                game->GetInputManager()->Update();
            }
        });
        EXPECT_NEAR(play->rules.levelTime, step.clock, 1e-6);  // whole sub-steps of 1/60 s, in float
        const float fromStart = std::hypot(play->player->transform[12], play->player->transform[14]);
        if (step.where == AtTheStart) {
            EXPECT_LT(fromStart, 0.5f);
        } else if (step.where == AwayFromIt) {
            EXPECT_GT(fromStart, 2.0f);  // 20 frames at 8 units a second: 2.7
        }
    }
}

// A won level prints one "Level complete:" line and is written to progress.ini with its time
// and life; a worse run leaves the records, a better one replaces them. The runs differ by the
// height the figure falls from onto the end trigger under the start.
TEST_F(PlayStateTest, AWonLevelIsRecordedAndOnlyABetterRunReplacesTheRecords) {
    struct Run {
        float startHeight;
        bool newTime, newLife;
    };
    const Run runs[] = {{12.0f, true, true}, {25.0f, false, false}, {0.2f, true, true}, {12.0f, false, false}};
    const std::string progressFile = (dir.Path() / "data" / "tavo" / "progress.ini").string();
    std::optional<double> bestTime, bestLife;
    for (const Run& run : runs) {
        SCOPED_TRACE("falling from " + std::to_string(run.startHeight));
        WriteLevel("fall.dae", Level({Volume("TRIGGEREND_nextlevel_fall.dae", 0, -2, 0)},
                                     Box("ground", 0, -0.5f, 0, 60, 1, 60), run.startHeight));
        play->rules.pendingAction = nullptr;
        Start("fall.dae");
        int frames = 0;
        const Output out = Capture([&] {
            while (game->GetCurrentState() == play && frames < 600) {
                play->Update(kFrame);
                ++frames;
            }
        });
        ASSERT_LT(frames, 600) << "the end was not reached";
        const double seconds = frames * kFrame;
        const float life = play->player->life;
        ASSERT_LT(life, 1.0f);
        // What the file says, read back as the next start would.
        CProgress saved(progressFile);
        saved.Load();
        ASSERT_TRUE(saved.IsCompleted("fall.dae"));
        if (run.newTime) bestTime = std::round(seconds * 100.0) / 100.0;
        if (run.newLife) bestLife = std::round(static_cast<double>(life) * 100.0) / 100.0;
        EXPECT_NEAR(*saved.BestTime("fall.dae"), *bestTime, 1e-9);
        EXPECT_NEAR(*saved.BestLife("fall.dae"), *bestLife, 1e-9);
        char expected[160];
        std::snprintf(expected, sizeof expected,
                      "Level complete: fall.dae in %.2f s with %d%% life (best %.2f s, best life %d%%)%s\n", seconds,
                      static_cast<int>(std::lround(life * 100.0f)), *bestTime,
                      static_cast<int>(std::lround(*bestLife * 100.0)),
                      run.newTime ? " new record: time and life" : "");
        EXPECT_EQ(Count(out.out, "Level complete:"), 1) << out.out;
        EXPECT_TRUE(Contains(out.out, expected)) << out.out << "\nexpected: " << expected;
        // The stage-complete picture shows the same, with "New record!" when the run set one.
        auto* splash = dynamic_cast<CSplashscreenState*>(game->GetCurrentState());
        ASSERT_NE(splash, nullptr);
        std::vector<std::string> lines = {"", ""};
        std::snprintf(expected, sizeof expected, "Time %.2f s     Life %d%%", seconds,
                      static_cast<int>(std::lround(life * 100.0f)));
        lines[0] = expected;
        std::snprintf(expected, sizeof expected, "Best %.2f s     Best life %d%%", *bestTime,
                      static_cast<int>(std::lround(*bestLife * 100.0)));
        lines[1] = expected;
        if (run.newTime || run.newLife) lines.push_back("New record!");
        EXPECT_EQ(splash->ResultLines(), lines);
    }
    // A death's picture shows no result.
    auto* splash = static_cast<CSplashscreenState*>(game->GetState(STATE_SPLASHSCREEN));
    game->ShowPicture(PictureReason::Death, nullptr);
    EXPECT_TRUE(splash->ResultLines().empty());
}


// A level without start, sun or end trigger, with a node far outside the world, one whose
// transform is not a number and a texture nobody supplies: each is reported, the rest plays.
TEST_F(PlayStateTest, LevelWithBadPartsStillPlays) {
    ColladaDocument doc;
    ColladaMaterial floor;
    floor.id = "floor";
    floor.diffuseTexture = "textures\\no_such_texture.jpg";
    doc.materials = {floor};
    doc.meshes = {CubeMesh("cube", "floor", true, true)};
    doc.roots = {Box("ground", 0, -0.5f, 0, 60, 1, 60), Box("far", 1e30f, 0, 0, 1, 1, 1), Box("broken", 7, 0, 0, 1, 1, 1)};
    std::string text = doc.Write();
    const size_t node = text.find("<node id=\"broken\"");
    ASSERT_NE(node, std::string::npos);
    const std::string matrixTag = "<matrix sid=\"transform\">";
    text.replace(text.find(matrixTag, node) + matrixTag.size(), 1, "nan");
    WriteLevel("odd.dae", text);

    const Output output = Start("odd.dae");
    ASSERT_NE(play->level.file, nullptr) << output.err;
    EXPECT_TRUE(Contains(output.err, "'broken' has a transform that is not finite")) << output.err;
    EXPECT_TRUE(Contains(output.err, "no_such_texture.jpg")) << output.err;
    EXPECT_TRUE(Contains(output.err, "'far'")) << output.err;  // outside the physics world
    EXPECT_FLOAT_EQ(play->level.file->startPosition.x, 0.0f);
    EXPECT_NEAR(play->sky.light.direction.y, -1.0f, 1e-6f);
    EXPECT_TRUE(play->level.file->triggers.empty());
    Run(60);
    EXPECT_EQ(game->GetCurrentState(), play);
    EXPECT_NEAR(play->player->transform[13], 0.0f, 0.3f);  // standing on the floor at the origin
}

// Focus and the follow camera -----------------------------------------------------------------

namespace {

// The window loses the focus at frame 20 and has it again at frame 50; ESC at frame 150.
class PausingPlayer : public PlayStateTest {
protected:
    PausingPlayer() {
        script.Add(wl::InputEvent::Focus, 20, 0).Add(wl::InputEvent::Focus, 50, 1);
        script.Key(150, wl::KEY_ESC);
    }
    // Frames of the main loop on whichever screen is current.
    Output Frames(int count) {
        return Capture([&] {
            for (int i = 0; i < count; ++i) {
                game->GetCurrentState()->Update(kFrame);
                wl::SwapBuffers();
                game->GetInputManager()->Update();
            }
        });
    }
};

float Distance(const Vec3& a, const Vec3& b) { return Length(a - b); }

Vec3 CameraPosition(const CSceneCamera& camera) {
    return Vec3(camera.transform[12], camera.transform[13], camera.transform[14]);
}

}  // namespace

// Losing the focus opens the pause screen, and the level stands still under it for a hundred
// frames and more: regaining the focus does not resume it; ESC on the pause screen does, and the
// umbrella then counts down again by the frames played.
TEST_F(PausingPlayer, NothingMeltsWhilePausedAndRegainingTheFocusDoesNotResume) {
    WriteLevel("level1.dae", Level({}));  // open floor in full sun
    Start("level1.dae");
    play->player->umbrellaTime = 10.0f;
    play->player->life = 0.8f;
    CGameState* pause = game->GetState(STATE_PAUSE);
    ASSERT_NE(pause, nullptr);
    Frames(20);
    EXPECT_EQ(game->GetCurrentState(), play) << "the focus went with the last swap";
    // The events of frame 20 came with the last swap: this update pauses.
    const Output paused = Frames(1);
    EXPECT_EQ(game->GetCurrentState(), pause);
    EXPECT_EQ(Count(paused.out, "Game paused\n"), 1) << paused.out;
    const float life = play->player->life;
    const float umbrella = play->player->umbrellaTime;
    const Mat4 where = play->player->transform;
    std::vector<Mat4> hud;
    for (unsigned i = 0; i < game->GetHud()->GetElementCount(); ++i) hud.push_back(game->GetHud()->GetElement(i)->transform);
    const double clock = play->rules.levelTime;
    const Output waiting = Frames(128);  // the focus comes back at frame 50
    EXPECT_TRUE(wl::WindowActive());
    EXPECT_EQ(game->GetCurrentState(), pause) << "regaining the focus resumed the level";
    EXPECT_EQ(play->rules.levelTime, clock);
    EXPECT_EQ(play->player->life, life);
    EXPECT_EQ(play->player->umbrellaTime, umbrella);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(play->player->transform[i], where[i]) << i;
    for (unsigned i = 0; i < hud.size(); ++i)
        for (int j = 0; j < 16; ++j) EXPECT_EQ(game->GetHud()->GetElement(i)->transform[j], hud[i][j]) << i;
    EXPECT_EQ(Count(waiting.out, "Game paused"), 0) << waiting.out;
    EXPECT_EQ(Count(waiting.out, "Game resumed"), 0) << waiting.out;
    // ESC at frame 150.
    const Output resumed = Frames(2);
    EXPECT_EQ(game->GetCurrentState(), play);
    EXPECT_EQ(Count(resumed.out, "Game resumed\n"), 1) << resumed.out;
    EXPECT_EQ(Count(resumed.out, "Game paused"), 0) << resumed.out;
    const float before = play->player->umbrellaTime;
    Frames(6);
    EXPECT_NEAR(play->player->umbrellaTime, before - 6 * kFrame, 1e-4);
}

namespace {

enum class Ends { InPlay, OnPause, InMenu, GameOver };

struct PauseCase {
    const char* what;
    std::function<void(wl::InputScript&)> input;  // after "2 key KP_1", which loads level 1
    Ends ends;
    int pausedLines, resumedLines, levelLoads;
};

// Where the pause screen puts its entries in the 640 x 480 window: the middle of row `row`.
int PauseRowY(int row) {
    const auto& layout = CPauseState::kLayout;
    return static_cast<int>((TextMenuRowTop(layout, row, 480.0f) + layout.rowHeight * 240.0f));
}

}  // namespace

// Every way into the pause screen and out of it, by scripted input on the real main loop: each
// pause and each resume says so in one line; Restart loads the level again, Back to menu leaves
// play, Quit ends the game before the script runs out.
TEST_F(PlayStateTest, ThePauseScreenByKeysPadAndMouseInPlayAndAfterAFocusLoss) {
    using E = wl::InputEvent;
    const PauseCase cases[] = {
        {"ESC, ESC", [](wl::InputScript& s) { s.Key(10, wl::KEY_ESC).Key(20, wl::KEY_ESC); }, Ends::InPlay, 1, 1, 1},
        {"ESC, Resume", [](wl::InputScript& s) { s.Key(10, wl::KEY_ESC).Key(20, wl::KEY_ENTER); }, Ends::InPlay, 1, 1, 1},
        {"ESC, Restart level",
         [](wl::InputScript& s) { s.Key(10, wl::KEY_ESC).Key(14, wl::KEY_DOWN).Key(20, wl::KEY_ENTER); },
         Ends::InPlay, 1, 0, 2},
        {"ESC, Options, ESC back to the pause screen",
         [](wl::InputScript& s) {
             s.Key(10, wl::KEY_ESC).Key(12, wl::KEY_DOWN).Key(14, wl::KEY_DOWN).Key(16, wl::KEY_ENTER).Key(20, wl::KEY_ESC);
         },
         Ends::OnPause, 1, 0, 1},
        {"ESC, Options, Back, Resume",
         [](wl::InputScript& s) {
             s.Key(10, wl::KEY_ESC).Key(12, wl::KEY_DOWN).Key(14, wl::KEY_DOWN).Key(16, wl::KEY_ENTER);
             s.Key(18, wl::KEY_UP).Key(20, wl::KEY_ENTER);  // UP from the first row is Back
             s.Key(22, wl::KEY_UP).Key(24, wl::KEY_UP).Key(26, wl::KEY_ENTER);  // Options, Restart, Resume
         },
         Ends::InPlay, 1, 1, 1},
        {"ESC, Back to menu",
         [](wl::InputScript& s) { s.Key(10, wl::KEY_ESC).Key(12, wl::KEY_UP).Key(14, wl::KEY_UP).Key(16, wl::KEY_ENTER); },
         Ends::InMenu, 1, 0, 1},
        {"ESC, Quit", [](wl::InputScript& s) { s.Key(10, wl::KEY_ESC).Key(12, wl::KEY_UP).Key(14, wl::KEY_ENTER); },
         Ends::GameOver, 1, 0, 1},
        {"pad Start, pad Start",
         [](wl::InputScript& s) { s.Add(E::PadPlug, 1, 0).PadButton(10, wl::PAD_START).PadButton(20, wl::PAD_START); },
         Ends::InPlay, 1, 1, 1},
        {"pad Start, D-pad down, A: Restart level",
         [](wl::InputScript& s) {
             s.Add(E::PadPlug, 1, 0).PadButton(10, wl::PAD_START).PadButton(14, wl::PAD_DPAD_DOWN).PadButton(20, wl::PAD_A);
         },
         Ends::InPlay, 1, 0, 2},
        {"ESC, the pointer onto Quit and a click",
         [](wl::InputScript& s) {
             s.Key(10, wl::KEY_ESC).Add(E::CursorTo, 16, 320, PauseRowY(4));
             s.Add(E::ButtonDown, 18, wl::MOUSE_BUTTON_LEFT).Add(E::ButtonUp, 19, wl::MOUSE_BUTTON_LEFT);
         },
         Ends::GameOver, 1, 0, 1},
        {"ESC, a click on Back to menu",
         [](wl::InputScript& s) {
             s.Key(10, wl::KEY_ESC).Add(E::CursorTo, 16, 320, PauseRowY(3));
             s.Add(E::ButtonDown, 18, wl::MOUSE_BUTTON_LEFT).Add(E::ButtonUp, 19, wl::MOUSE_BUTTON_LEFT);
         },
         Ends::InMenu, 1, 0, 1},
        {"focus lost and back: still paused",
         [](wl::InputScript& s) { s.Add(E::Focus, 10, 0).Add(E::Focus, 14, 1); }, Ends::OnPause, 1, 0, 1},
        {"focus lost and back, ESC",
         [](wl::InputScript& s) { s.Add(E::Focus, 10, 0).Add(E::Focus, 14, 1).Key(20, wl::KEY_ESC); }, Ends::InPlay, 1, 1, 1},
        {"focus lost and back, Quit",
         [](wl::InputScript& s) { s.Add(E::Focus, 10, 0).Add(E::Focus, 14, 1).Key(20, wl::KEY_UP).Key(22, wl::KEY_ENTER); },
         Ends::GameOver, 1, 0, 1},
        {"focus lost and back, Restart level",
         [](wl::InputScript& s) { s.Add(E::Focus, 10, 0).Add(E::Focus, 12, 1).Key(14, wl::KEY_DOWN).Key(16, wl::KEY_ENTER); },
         Ends::InPlay, 1, 0, 2},
        {"focus lost and not back: Restart level pauses again",
         [](wl::InputScript& s) { s.Add(E::Focus, 10, 0).Key(14, wl::KEY_DOWN).Key(16, wl::KEY_ENTER); }, Ends::OnPause, 2, 0, 2},
    };
    WriteLevel("level1.dae", Level({}));
    for (const PauseCase& c : cases) {
        SCOPED_TRACE(c.what);
        game.reset();
        wl::InputScript loop;
        loop.frames = 40;
        loop.Key(2, wl::KEY_KP_1);
        c.input(loop);
        wl::UseInputScript(&loop);
        game = std::make_unique<CGameImpl>();
        const Output output = Capture([&] {
            ASSERT_EQ(game->Initialize(), 0);
            game->Run();
        });
        EXPECT_EQ(wl::FramesSwapped() < 40, c.ends == Ends::GameOver) << wl::FramesSwapped();
        const int screen = c.ends == Ends::InPlay ? STATE_PLAY : c.ends == Ends::OnPause ? STATE_PAUSE : STATE_MENU;
        if (c.ends != Ends::GameOver) {
            EXPECT_EQ(game->GetCurrentState(), game->GetState(screen));
        }
        EXPECT_EQ(Count(output.out, "Game paused\n"), c.pausedLines) << output.out;
        EXPECT_EQ(Count(output.out, "Game resumed\n"), c.resumedLines) << output.out;
        EXPECT_EQ(Count(output.out, "Trying to switch to level 'level1.dae'"), c.levelLoads) << output.out;
        EXPECT_EQ(Count(output.out, "Main thread end"), 0);
    }
}

// ESC ends the game where it always did, on the menu and on a picture between levels; in play it
// pauses (the pause screen's Quit ends it, see above).
TEST_F(PlayStateTest, EscapeEndsTheGameOnTheMenuAndOnAPictureButNotInPlay) {
    struct EscapeCase {
        const char* what;
        bool loadsLevel;
        int escFrame;
        bool ends;
        int pausedLines;
    };
    const EscapeCase cases[] = {
        {"on the menu", false, 5, true, 0},
        {"in play", true, 10, false, 1},
        {"on the stage-complete picture", true, 50, true, 0},  // the end trigger under the start
    };
    WriteLevel("level1.dae", Level({}));
    WriteLevel("level2.dae", Level({Volume("TRIGGEREND_nextlevel_level1.dae", 0, -2, 0)}));
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.what);
        game.reset();
        wl::InputScript loop;
        loop.frames = 60;
        if (c.loadsLevel) loop.Key(2, c.escFrame < 30 ? wl::KEY_KP_1 : wl::KEY_KP_2);
        loop.Key(c.escFrame, wl::KEY_ESC);
        wl::UseInputScript(&loop);
        game = std::make_unique<CGameImpl>();
        const Output output = Capture([&] {
            ASSERT_EQ(game->Initialize(), 0);
            game->Run();
        });
        EXPECT_EQ(wl::FramesSwapped() < 60, c.ends) << wl::FramesSwapped();
        if (c.ends) {
            EXPECT_EQ(wl::FramesSwapped(), c.escFrame) << "the game ends with the frame of the press";
        }
        EXPECT_EQ(Count(output.out, "Game paused\n"), c.pausedLines) << output.out;
        if (c.escFrame >= 30) {
            EXPECT_EQ(game->GetCurrentState(), game->GetState(STATE_SPLASHSCREEN));
        }
    }
}

// The same mouse motion turns the follow camera by the player's look speed, and the other way
// up and down with the inverted look; sideways it never flips.
TEST_F(PlayStateTest, LookSpeedAndInvertedLookChangeTheCamerasTurn) {
    struct LookCase {
        int speed;
        bool invert;
        bool moves;
        float yaw = 0.0f, pitch = 0.0f;
    };
    LookCase cases[] = {{100, false, false}, {100, false, true}, {200, false, true},
                        {50, false, true},   {100, true, true},  {300, true, true}};
    WriteLevel("level1.dae", Level({}));
    for (LookCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.speed) + (c.invert ? " inverted" : ""));
        game.reset();
        wl::InputScript loop;
        loop.frames = 20;
        loop.Add(wl::InputEvent::CursorTo, 1, 320, 240);  // in the menu
        loop.Key(2, wl::KEY_KP_1);
        if (c.moves) loop.Add(wl::InputEvent::CursorTo, 10, 330, 248);  // in play: 10 right, 8 down
        wl::UseInputScript(&loop);
        game = std::make_unique<CGameImpl>();
        Capture([&] {
            ASSERT_EQ(game->Initialize(), 0);
            game->GetSettings()->SetMouseSpeed(c.speed);
            game->GetSettings()->SetInvertLook(c.invert);
            game->Run();
        });
        const auto* camera = static_cast<CPlayState*>(game->GetState(STATE_PLAY))->cameras.playerCamera.get();
        ASSERT_NE(camera, nullptr);
        c.yaw = camera->yaw;
        c.pitch = camera->pitch;
    }
    const LookCase& still = cases[0];
    const LookCase& plain = cases[1];
    const float yawTurn = plain.yaw - still.yaw, pitchTurn = plain.pitch - still.pitch;
    ASSERT_GT(std::fabs(yawTurn), 1.0f) << "the motion did not turn the camera";
    ASSERT_GT(std::fabs(pitchTurn), 1.0f);
    for (const LookCase& c : cases) {
        if (!c.moves) continue;
        const float factor = static_cast<float>(c.speed) / 100.0f;
        EXPECT_NEAR(c.yaw - still.yaw, yawTurn * factor, 1e-3f) << c.speed;
        EXPECT_NEAR(c.pitch - still.pitch, (c.invert ? -pitchTurn : pitchTurn) * factor, 1e-3f) << c.speed;
    }
}

// A wall 3.5 units behind the figure stands between it and the camera (10 units back, 45
// degrees up): the camera comes in front of the wall, the figure stays in view, and the zoom
// the player chose is kept; turned away from the wall, the camera goes back out smoothly.
TEST_F(PlayStateTest, TheFollowCameraComesInFrontOfAWallAndGoesBackOut) {
    WriteLevel("walled.dae", Level({Box("wall", 0, 10, 4, 40, 20, 1)}));
    WriteLevel("open.dae", Level({}));
    play->debug.lightDamage = false;  // a melting figure would draw the camera in by itself
    Start("open.dae");
    CAnchoredSceneCamera& camera = *play->cameras.playerCamera;
    Run(10);
    const float chosen = camera.distance;
    const float full = camera.FullBackOff();
    EXPECT_NEAR(Distance(CameraPosition(camera), camera.LookAtPoint()), full, 1e-3f);

    Start("walled.dae");
    Run(10);
    const Vec3 eye = CameraPosition(camera);
    const Vec3 target = camera.LookAtPoint();
    EXPECT_LT(eye.z, 3.5f);  // in front of the wall's face
    EXPECT_LT(Distance(eye, target), 0.75f * full);
    EXPECT_GT(Distance(eye, target), 1.0f);
    EXPECT_EQ(camera.distance, chosen);
    EXPECT_TRUE(play->player->visible);
    EXPECT_EQ(play->level.physicsWorld->RayFraction(eye, target, true), 1.0f);

    // Turned to face the wall from the other side: the way back is clear, and the camera goes
    // out over several frames, never jumping, to the full distance.
    camera.Turn(180.0f, 0.0f);
    float before = Distance(CameraPosition(camera), camera.LookAtPoint());
    int steps = 0;
    for (; steps < 120; ++steps) {
        Run(1);
        const float now = Distance(CameraPosition(camera), camera.LookAtPoint());
        EXPECT_GE(now, before - 1e-4f);
        EXPECT_LE(now - before, static_cast<float>(kCameraReturnSpeed * kFrame) + 1e-3f);
        before = now;
        if (std::fabs(now - full) < 1e-3f) break;
    }
    EXPECT_GT(steps, 10);
    EXPECT_LT(steps, 120);
    EXPECT_EQ(camera.distance, chosen);
}

// The same game at any frame rate ----------------------------------------------------------------

namespace {

// W held from the first frame to the last.
class PlayerWalkingOn : public PlayStateTest {
protected:
    PlayerWalkingOn() { script.Add(wl::InputEvent::KeyDown, 1, 'W'); }

    // One update at the given frame time; returns the seconds the physics simulated. (Nothing
    // is drawn: W, delivered by the first buffer swap, stays held without further swaps.)
    double Frame(double frameTime) {
        play->Update(frameTime);
        return play->rules.simulatedTime;
    }
};

// What a walk down the street left behind.
struct RouteResult {
    float life = 0.0f;
    double simulated = 0.0;
    std::set<std::string> triggersEntered;
    int umbrellas = 0;
    float widestSwing = 0.0f;  // of the right hand, in degrees either way
    std::string nextLevel;
};

}  // namespace

// A street 250 units long, walked from end to end with W held: sun, the shade of a roof, sun,
// an umbrella that lasts for most of the way, sun again, past a gate trigger, beside a kill
// volume, into the end trigger. At frame times from 1/60 s to half a second (where the physics
// runs only 7/60 s of each frame) the walk must cost the same life and fire the same triggers,
// and a figure in full sun must melt after 20 seconds of the time the physics simulated, the
// first update after a slow load included.
TEST_F(PlayerWalkingOn, TheSameRouteCostsTheSameLifeAtAnyFrameRate) {
    const ColladaNode street = Box("ground", 0, -0.5f, -120, 20, 1, 260);  // z from +10 to -250
    WriteLevel("route.dae", Level({Box("roof", 0, 12, -20, 30, 1, 14), Marker("POWERUP_UMBRELLA_1", 0, 1.15f, -40),
                                   Volume("TRIGGER_gate", 0, 0, -100), Volume("TRIGGERKILL_n_1", 9, 0, -150),
                                   Volume("TRIGGEREND_nextlevel_level2.dae", 0, 0, -240)},
                                  street));
    WriteLevel("sun.dae", Level({}, street));

    const double frameTimes[] = {1.0 / 60.0, 0.1, 0.25, 0.5};
    wl::SwapBuffers();
    ASSERT_EQ(wl::GetKey('W'), wl::PRESS);
    RouteResult reference;
    for (double frameTime : frameTimes) {
        SCOPED_TRACE("frame time " + std::to_string(frameTime));
        Capture([&] { game->ChangeState(STATE_PLAY); });
        Start("route.dae");
        ASSERT_NE(play->level.file, nullptr);
        ASSERT_NE(play->player->rightHand, nullptr);
        RouteResult route;
        const Output output = Capture([&] {
            while (game->GetCurrentState() == play && route.simulated < 60.0) {
                route.simulated += Frame(frameTime);
                for (const auto& trigger : play->level.file->triggers)
                    if (trigger->inside) route.triggersEntered.insert(trigger->name);
                route.widestSwing = std::max(route.widestSwing, std::fabs(play->player->rightHand->swingAngle));
            }
        });
        route.life = play->player->life;
        route.umbrellas = Count(output.out, "Umbrella time!");
        route.nextLevel = play->rules.nextLevelName;
        EXPECT_EQ(route.nextLevel, "level2.dae") << "the end of the street was not reached";
        EXPECT_EQ(route.umbrellas, 1);
        EXPECT_LE(route.widestSwing, kLimbSwingLimit + 1e-3f);
        if (frameTime == frameTimes[0]) {
            reference = route;
            // Sun on about 70 of the 237 units walked.
            EXPECT_NEAR(reference.life, 0.71f, 0.05f);
            EXPECT_EQ(reference.triggersEntered, (std::set<std::string>{"TRIGGER_gate", "TRIGGEREND_nextlevel_level2.dae"}));
        } else {
            EXPECT_NEAR(route.life, reference.life, 0.02f);
            EXPECT_EQ(route.triggersEntered, reference.triggersEntered);
            EXPECT_NEAR(route.simulated, reference.simulated, 0.5);
        }

        // Full sun from a slow start: the first update after loading charges one update's
        // physics, not the load.
        Capture([&] { game->ChangeState(STATE_PLAY); });
        Start("sun.dae");
        ASSERT_NE(play->level.file, nullptr);
        double simulated = 0.0, longest = 0.0;
        Capture([&] {
            longest = simulated = Frame(3.0);
            EXPECT_GE(play->player->life, 1.0f - 7.0f / 60.0f * 0.05f - 1e-6f);
            while (game->GetCurrentState() == play && simulated < 40.0) {
                const double dt = Frame(frameTime);
                simulated += dt;
                longest = std::max(longest, dt);
            }
        });
        EXPECT_LE(play->player->life, 0.0f);
        EXPECT_NEAR(simulated, 20.0, longest + 1.0 / 60.0);
    }
}

namespace {

// A street paved with 2-unit stones, one mesh of many quads as designers build floors, its top
// at y = 0 and running from z = +10 to -230: the stones' seams are where a figure could catch.
// Shown by a node that names the mesh "paving".
testsupport::ColladaMesh Paving() {
    testsupport::ColladaMesh paving;
    paving.id = "paving";
    paving.material = "floor";
    const float kStone = 2.0f;
    for (float z = 10.0f; z > -230.0f; z -= kStone)
        for (float x = -10.0f; x < 10.0f; x += kStone) {
            const auto first = static_cast<unsigned>(paving.positions.size() / 3);
            for (int corner = 0; corner < 4; ++corner)
                paving.positions.insert(paving.positions.end(),
                                        {x + ((corner & 1) ? kStone : 0.0f), 0.0f, z - ((corner & 2) ? kStone : 0.0f)});
            for (unsigned index : {0u, 2u, 3u, 0u, 3u, 1u}) paving.indices.push_back(first + index);
        }
    return paving;
}

}  // namespace

// Straight ahead down the paved street in full sun, from full life to about a quarter, into the
// level's end 120 units ahead: the shrinking figure must cover the same ground per simulated
// second, end the level at the same moment and melt by the same amount whether an update
// simulates one sub-step or seven.
TEST_F(PlayerWalkingOn, AMeltingFigureWalksTheSameAtAnyFrameRate) {
    ColladaNode street = Marker("street", 0, 0, 0);
    street.mesh = "paving";
    WriteLevel("paved.dae", Level({Volume("TRIGGEREND_nextlevel_level2.dae", 0, 0, -123)}, street, 0.2f, {Paving()}));
    wl::SwapBuffers();
    ASSERT_EQ(wl::GetKey('W'), wl::PRESS);
    struct Walk {
        double seconds = 0.0;  // simulated, until the level ended
        double perSecond = 0.0;
        float life = 0.0f;
    };
    Walk reference;
    for (double frameTime : {1.0 / 60.0, 0.05, 0.1, 0.25}) {
        SCOPED_TRACE("frame time " + std::to_string(frameTime));
        Capture([&] { game->ChangeState(STATE_PLAY); });
        Start("paved.dae");
        ASSERT_NE(play->level.file, nullptr);
        const Vec3 start(play->player->transform[12], 0.0f, play->player->transform[14]);
        Walk walk;
        Capture([&] {
            while (game->GetCurrentState() == play && walk.seconds < 20.0) walk.seconds += Frame(frameTime);
        });
        ASSERT_NE(game->GetCurrentState(), play) << "the level's end was not reached";
        const Vec3 end(play->player->transform[12], 0.0f, play->player->transform[14]);
        walk.perSecond = Length(end - start) / walk.seconds;
        walk.life = play->player->life;
        if (frameTime == 1.0 / 60.0) {
            reference = walk;
            EXPECT_NEAR(reference.life, 0.25f, 0.03f);
            EXPECT_NEAR(reference.perSecond, kWalkSpeed, 0.02 * kWalkSpeed) << "the figure stuck on the seams";
        } else {
            EXPECT_NEAR(walk.perSecond, reference.perSecond, 0.02 * reference.perSecond);
            EXPECT_NEAR(walk.seconds, reference.seconds, 0.02 * reference.seconds);
            EXPECT_NEAR(walk.life, reference.life, 0.02f);
        }
    }
}
