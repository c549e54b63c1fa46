#pragma once
// The state that runs a level. It owns the level and everything built for it (physics world,
// character, power-ups), the cameras, the sun and the sky, and applies the rules each update:
// sunlight melts the player, milk heals it, the umbrella shields it, it dies when its life runs
// out, and an end trigger takes it to the next level. Level changes go through a picture (the
// splash state) and a pending action that runs when the player comes back.
//
// The member functions live next to the systems they belong to:
//   PlayState.cpp              construction, teardown, Enter, Update, the rules and the
//                              power-ups' step
//   PlayStateLevel.cpp         scene set-up, level loading, collision objects, level-change
//                              callbacks, LoadLevelByNumber
//   PlayerControl.cpp          walking, jumping, push box, limbs, camera controls
//   SunTest.cpp                sun value and the sun direction keys
//   PlayStateFrame.cpp         Init (frame renderer) and Render: the frame's description
//   PlayStateDebugKeys.cpp     the play-state debug keys
//
// Its fields are grouped by what they are (gameplay/PlayStateParts.h): the level being played,
// the rules' state, the cameras, the sun and sky, the debug settings; the player's own state
// (life, umbrella time, milk) lives on the player object.

#include <memory>
#include <string>
#include <vector>

#include "gameplay/PlayerControl.h"
#include "gameplay/PlayStateParts.h"
#include "render/PlayFrameDescription.h"
#include "services/GameState.h"

class CInputManager;
class CPlayFrameRenderer;
class CPlayerObject;
class CProgress;
class CSceneGeoObject;
class CSceneTrigger;
struct LevelResult;

// The level the game starts with: the menu's Start, and where the menu leads after the last one.
inline constexpr const char kFirstLevelFileName[] = "level1.dae";

class CPlayState : public CGameState {
public:
    // Life lost per second in full sun: a healthy figure lasts 20 seconds.
    static constexpr double kSunDamagePerSecond = 0.05;
    static constexpr float kFullScale = 0.02f;
    static constexpr float kMeltedScale = 0.001f;
    static constexpr float kMaxUmbrellaTime = 22.0f;

    explicit CPlayState(CGame* game);
    // Player camera, free camera, character, sun sprite, sky box, level, power-ups, physics
    // world, frame renderer, in this order; the player belongs to the model manager.
    ~CPlayState() override;

    void Update(double frameTime) override;
    void Render() override;
    // ESC pauses the level instead.
    bool EscapeEndsGame() const override { return false; }
    // Runs the pending action; after a pause only says "Game resumed" and goes on where the
    // level stood (music and all).
    void Enter() override;
    // The frame renderer (with its shadow target) first, then SetUpScene.
    void Init() override;
    // This frame as the renderer needs it; also points the light camera at the sun. Touches no
    // rule state, so frames can be skipped or drawn more than once.
    PlayFrameDescription DescribeFrame();

    // Replaces the current level with the one `fileName` names (a shipped level, or a path:
    // LevelFilePath). A file that does not load leaves the current level running, or, with no
    // level yet, goes back to the menu.
    void LoadLevel(const std::string& fileName);
    // Physics bodies, uploads and power-ups for the level just made current.
    void CreateCollisionObjects();
    // Cameras, sun, sky: made once and kept across levels.
    void SetUpScene();

    // The pause screen (STATE_PAUSE) over the level, which stands still until Enter resumes
    // it: on ESC, the pad's Start and the window losing the focus. Says "Game paused".
    void Pause();
    bool IsPaused() const { return rules.paused; }
    // From the pause screen: the level again from its start, as after a death but without the
    // picture; or back to the menu, as at the end of the game.
    void RestartFromPause();
    void LeaveToMenuFromPause();

    // Pending actions.
    static void ReloadLevel(CPlayState* play);
    static void LoadNextLevel(CPlayState* play);
    static void BackToMenu(CPlayState* play);
    // Enter callbacks of the level's end and kill triggers; `play` is the play state.
    static void OnLevelEnd(CSceneTrigger* trigger, void* play);
    static void OnKillZone(CSceneTrigger* trigger, void* play);
    // The level just won: its time and life, recorded in the player's progress and printed as
    // the "Level complete:" line.
    LevelResult RecordLevelEnd();

    // Steps of Update that live with their systems.
    void HandlePlayStateKeys(CInputManager* input);  // step 1: debug toggles
    // Steps 2 and 3 take the update's simulated time (see Update).
    void UpdatePlayerMovement(double dt);            // step 2: walk, jump, push box, reset
    void AnimateLimbs(double dt);                    // step 3: limbs and the umbrella spin
    void AnimatePowerups(float dt);                  // step 3, after the limbs
    float ComputeSunValue();                         // step 6: 0 shade .. 1 full sun
    void UpdateCameraControls(double frameTime);     // step 14 (it runs the sun keys)
    void UpdateSunDirectionKeys(double frameTime);   // keypad 2, 4, 5, 6, 8

    // Level loading helpers.
    void StartLevelMusic(const std::string& fileName);
    void UploadObjectMeshes(CSceneGeoObject& object);
    // Seconds the physics will simulate in this update (none while it is paused).
    double PhysicsTimeOfUpdate(double frameTime) const;
    void StepPhysics(double frameTime);

    CPlayerObject* player = nullptr;  // the figure, owned by the model manager
    PlayLevel level;
    PlayRules rules;
    PlayCameras cameras;
    PlaySky sky;
    PlayDebugSettings debug;

private:
    // The parts the control steps act on, for this update.
    PlayerControlContext ControlContext();

    PlayerControlState control;
    // Draws the frames and owns the shadow target (one play state per run); freed by the
    // destructor while the GL context lives.
    std::unique_ptr<CPlayFrameRenderer> frameRenderer;
};

// Loads "level<number>.dae" from the numeric keypad: if the file can be opened, the music
// stops, the game changes to the play state and the play state loads it; otherwise nothing
// happens.
void LoadLevelByNumber(CGameState* state, int number);

// The shipped levels in play order: level1.dae, level2.dae, ... as far as the files exist.
std::vector<std::string> ShippedLevels();
// Where "Continue" leads: the first shipped level not completed, or the last one when all are.
// "" when there is no shipped level.
std::string ContinueLevel(const CProgress& progress);
