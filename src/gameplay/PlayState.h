#pragma once
// The state that runs a level. It owns the level and everything built for it (physics world,
// character, power-ups), the cameras, the sun and the sky, and applies the rules each update:
// sunlight melts the player, milk heals it, the umbrella shields it, it dies when its life runs
// out, and an end trigger takes it to the next level. Level changes go through a picture (the
// splash state) and a pending action that runs when the player comes back.
//
// The member functions live next to the systems they belong to:
//   PlayState.cpp              construction, teardown, Enter, Update and the rules
//   PlayStateLevel.cpp         level loading, collision objects, level-change callbacks
//   Powerup.cpp                power-up animation
//   PlayerControl.cpp          walking, jumping, push box, limbs, camera controls
//   SunTest.cpp                sun value and the sun direction keys
//   PlayStateFrame.cpp         Init (frame renderer) and Render: the frame's description
//   PlayStateDebugKeys.cpp     the play-state debug keys

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "game/GameState.h"
#include "gameplay/PlayerControl.h"
#include "gameplay/Powerup.h"
#include "gameplay/SunTest.h"
#include "math/Matrix.h"
#include "render/PlayFrameDescription.h"
#include "render/Sprite.h"
#include "scene/AnchoredSceneCamera.h"
#include "scene/Level.h"
#include "scene/SceneCamera.h"
#include "scene/SkyBox.h"

class CInputManager;
class CPlayFrameRenderer;
class CPhysicsWorld;
class CPhysCharacter;
class CPlayerObject;
class CSceneTrigger;
struct CSprite;

// The sun: a parallel light.
struct CSunLight {
    Vec3 direction{0.0f, -1.0f, 0.0f};  // the way the light travels, normalised
    Vec3 color{1.0f, 1.0f, 1.0f};
};

class CPlayState : public CGameState {
public:
    // Run by Enter when the player comes back from a picture; every action clears itself.
    using PendingAction = void (*)(CPlayState* play);

    // Life lost per second in full sun: a healthy figure lasts 20 seconds.
    static constexpr double kSunDamagePerSecond = 0.05;
    static constexpr float kFullScale = 0.02f;
    static constexpr float kMeltedScale = 0.001f;
    static constexpr float kMaxUmbrellaTime = 22.0f;

    explicit CPlayState(CGame* game);
    // Player camera, free camera, character, sun sprite, sky box, level, power-ups, physics
    // world, in this order; the player belongs to the model manager.
    ~CPlayState() override;

    void Update(double frameTime) override;
    void Render() override;
    void Enter() override;
    // The frame renderer (with its shadow target) first, then SetUpScene.
    void Init() override;
    // This frame as the renderer needs it; also points the light camera at the sun. Touches no
    // rule state, so frames can be skipped or drawn more than once.
    PlayFrameDescription DescribeFrame();

    // Replaces the current level with "resources/levels/<fileName>". A file that does not load
    // leaves the current level running.
    void LoadLevel(const std::string& fileName);
    // Physics bodies, uploads and power-ups for the level just made current.
    void CreateCollisionObjects();
    // Cameras, sun, sky: made once and kept across levels.
    void SetUpScene();
    // Shows "<stem><aspect suffix>.png" ("death", "stage_complete", "mission_complete") on the
    // picture quad and changes to the splash state.
    void ShowPicture(const std::string& stem);

    // Pending actions.
    static void ReloadLevel(CPlayState* play);
    static void LoadNextLevel(CPlayState* play);
    static void BackToMenu(CPlayState* play);
    // Enter callbacks of the level's end and kill triggers; `play` is the play state.
    static void OnLevelEnd(CSceneTrigger* trigger, void* play);
    static void OnKillZone(CSceneTrigger* trigger, void* play);

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

    std::unique_ptr<CSceneCamera> freeCamera;
    std::unique_ptr<CSceneCamera> lightCamera;  // the sun's view, written by the frame
    std::unique_ptr<CSceneCamera> thirdCamera;
    std::unique_ptr<CAnchoredSceneCamera> playerCamera;
    CSceneCamera* activeCamera = nullptr;  // playerCamera or freeCamera
    CPlayerObject* player = nullptr;       // owned by the model manager
    CSunLight light;
    std::unique_ptr<CSprite> sunSprite;  // "sun.png" at the world origin, drawn towards the sun
    std::unique_ptr<CSkyBox> skyBox;
    std::unique_ptr<CPhysCharacter> character;  // made with each physics world, gone before it
    std::map<int, std::unique_ptr<CPowerup>> powerups;  // by number
    PendingAction pendingAction = nullptr;
    std::unique_ptr<CLevel> level;
    std::string nextLevelName;
    std::unique_ptr<CPhysicsWorld> physicsWorld;  // rebuilt with each level
    double footstepTimer = 0.0;             // seconds since the last footstep
    // Seconds the physics simulated in the last update: the time every rule advanced by.
    double simulatedTime = 0.0;
    // This update's keys, button and mouse, read once by the movement step and used again by the
    // camera step (a tap shorter than a frame reads as pressed only once).
    PlayerInput controlInput;

    // The last sun test, for the debug view.
    CSunRays sunRays;
    // Draws the frames and owns the shadow target (one play state per run); freed by the
    // destructor while the GL context lives.
    std::unique_ptr<CPlayFrameRenderer> frameRenderer;

    // Debug toggles and render settings (the debug keys flip them) and rule state.
    bool gizmoDrawing = false;
    bool physicsDebugging = false;  // also prints the sun value each update
    bool physicsPass = true;        // step the physics every update
    bool singlePhysicsStep = false; // one step while the physics pass is off
    bool umbrellaMusicPlaying = false;
    bool backfaceCulling = true;
    // Swing direction of right hand, left hand, right leg, left leg.
    bool limbSwingDirections[4] = {true, true, true, true};
    bool lightDamage = true;
    bool pushBoxActive = false;
    bool frustumCulling = true;
    bool gameFinished = false;  // the last level is done; loading then starts no music
    bool transparency = true;
    bool projectiveTexturing = true;
};

// Loads "level<number>.dae" from the numeric keypad: if the file can be opened, the music
// stops, the game changes to the play state and the play state loads it; otherwise nothing
// happens.
void LoadLevelByNumber(CGameState* state, int number);
