#pragma once
// The play state's parts, each a group of what belongs together. CPlayState owns one of each;
// the player-control steps are handed the groups they act on (gameplay/PlayerControl.h).

#include <map>
#include <memory>
#include <string>

#include "gameplay/Powerup.h"
#include "gameplay/SunTest.h"
#include "math/Matrix.h"
#include "render/Sprite.h"
#include "scene/AnchoredSceneCamera.h"
#include "scene/Level.h"
#include "scene/SceneCamera.h"
#include "scene/SkyBox.h"

class CPhysCharacter;
class CPhysicsWorld;
class CPlayState;

// Run by the play state's Enter when the player comes back from a picture; every action clears
// itself.
using PendingAction = void (*)(CPlayState* play);

// The level being played and what is built for it: LoadLevel replaces all of it together.
struct PlayLevel {
    std::unique_ptr<CLevel> file;  // what the level file says: start, sun, objects, triggers
    std::map<int, std::unique_ptr<CPowerup>> powerups;  // by number
    std::unique_ptr<CPhysCharacter> character;           // made with each physics world, gone before it
    std::unique_ptr<CPhysicsWorld> physicsWorld;
};

// The rules' state between updates: written by Update, the trigger callbacks and the pending
// actions.
struct PlayRules {
    PendingAction pendingAction = nullptr;
    std::string nextLevelName;  // the level that the pending action loads next
    bool umbrellaMusicPlaying = false;
    bool gameFinished = false;  // the last level is done; loading then starts no music
    // The pause screen shows over the level; the next Enter resumes where it stood.
    bool paused = false;
    // Seconds the physics simulated in the last update: the time every rule advanced by.
    double simulatedTime = 0.0;
    // The level's clock: the simulated time of every update since the level was loaded (a death
    // reloads it and starts again; going back to the start keeps it running).
    double levelTime = 0.0;
};

// The cameras: made once by SetUpScene and kept across levels; the debug keys pick the active one.
struct PlayCameras {
    std::unique_ptr<CSceneCamera> freeCamera;
    std::unique_ptr<CSceneCamera> lightCamera;  // the sun's view, written by the frame
    std::unique_ptr<CSceneCamera> thirdCamera;
    std::unique_ptr<CAnchoredSceneCamera> playerCamera;
    CSceneCamera* active = nullptr;  // playerCamera or freeCamera
};

// The sun: a parallel light.
struct CSunLight {
    Vec3 direction{0.0f, -1.0f, 0.0f};  // the way the light travels, normalised
    Vec3 color{1.0f, 1.0f, 1.0f};
};

// The sun and the sky: made once by SetUpScene; each level sets the sun's direction, the keypad
// turns it and the sun test keeps its rays here.
struct PlaySky {
    CSunLight light;
    std::unique_ptr<CSprite> sunSprite;  // "sun.png" at the world origin, drawn towards the sun
    std::unique_ptr<CSkyBox> skyBox;
    CSunRays sunRays;  // the last sun test, for the debug view
};

// The debug toggles and render settings: the play-state debug keys flip them.
struct PlayDebugSettings {
    bool gizmoDrawing = false;
    bool physicsDebugging = false;   // also prints the sun value each update
    bool physicsPass = true;         // step the physics every update
    bool singlePhysicsStep = false;  // one step while the physics pass is off
    bool backfaceCulling = true;
    bool lightDamage = true;
    bool frustumCulling = true;
    bool transparency = true;
    bool projectiveTexturing = true;
};
