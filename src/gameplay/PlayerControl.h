#pragma once
// The player's hands on the game, once per play-state update: walking relative to the player
// camera with the figure turned to face its way, running, jumping, footsteps, the push box on
// the left mouse button, the reset to the level start, the swinging limbs and the spinning
// umbrella, and the player- and free-camera controls.
//
// The steps act on the play-state parts named in a `PlayerControlContext`, so they run the same
// in the game and in tests that build only a physics world, a player and cameras.

#include "gameplay/PlayStateParts.h"
#include "math/Matrix.h"

class CAnchoredSceneCamera;
class CInputManager;
class CPhysCharacter;
class CPhysicsWorld;
class CPlayerObject;
class CSceneCamera;
class CSceneObject;

// What the player holds this update: keys, the left button and a gamepad as held states from
// the window library, mouse and wheel movement of the last frame from the input manager. The
// pad's buttons join the keys they stand for; its sticks come after the dead zone.
struct PlayerInput {
    bool forward = false, back = false, left = false, right = false;  // W, S, A, D
    bool shift = false;        // left shift, pad X or RB: run, and fast free camera and zoom
    bool jump = false;         // space, pad A
    bool push = false;         // left mouse button, pad B or LB
    bool reset = false;        // backspace, pad Back: back to the level start
    bool resetCamera = false;  // enter
    bool zoomIn = false, zoomOut = false;  // keypad + and -
    int mouseDX = 0, mouseDY = 0, wheel = 0;
    float stickX = 0.0f, stickY = 0.0f;  // left stick: walk (x right, y down as the pad reports)
    float stickTilt = 0.0f;              // its tilt from 0 to 1: full tilt walks as fast as W
    float lookX = 0.0f, lookY = 0.0f;    // right stick: turn the camera
};

// Inside this much tilt a stick reads as centred, so a worn stick does not creep.
constexpr float kPadDeadZone = 0.25f;
// Camera turn at full tilt of the right stick, degrees per second.
constexpr float kPadCameraTurnSpeed = 150.0f;

// A stick's position with the dead zone taken out: (0, 0) inside it, then growing from 0 at
// its edge to length 1 at full tilt (and no more, for pads whose corners reach beyond 1).
// Returns that length.
float ApplyDeadZone(float& x, float& y);

// `input` may be null (no mouse or wheel movement then).
PlayerInput ReadPlayerInput(const CInputManager* input);

// What the control steps keep from one update to the next; only they write it.
struct PlayerControlState {
    double footstepTimer = 0.0;  // seconds since the last footstep
    bool pushBoxActive = false;
    // Swing direction of right hand, left hand, right leg, left leg (set: the first swing).
    bool limbSwing[4] = {true, true, true, true};
    // This update's keys, button and mouse, read once by the movement step and used again by
    // the camera step (a tap shorter than a frame reads as pressed only once).
    PlayerInput input;
};

// The play-state parts the control steps read and change. The pointers are not owned.
struct PlayerControlContext {
    CPlayerObject* player;
    CPhysCharacter* character;    // null while no level is loaded
    CPhysicsWorld* physicsWorld;  // null while no level is loaded
    const Vec3* levelStart;       // null while no level is loaded
    PlayCameras& cameras;
    PlayerControlState& state;
    // The player's look settings: the follow camera turns lookSpeed times kPlayerCameraTurn per
    // unit of mouse motion, and up and down change places when invertLook is set (the right
    // stick's up and down too).
    float lookSpeed = 1.0f;
    bool invertLook = false;
};

// What the movement step did. The caller plays the footstep and jump sounds for it, which
// keeps this code free of the sound system.
struct PlayerMoveResult {
    Vec3 walkVelocity;      // sent to the character (zero when standing)
    bool footstep = false;  // a footstep sound is due
    bool jumped = false;    // the character started a jump
};

constexpr float kWalkSpeed = 8.0f;
constexpr float kRunFactor = 1.5f;
constexpr double kFootstepInterval = 0.5;  // walking; running divides it by kRunFactor
constexpr float kLimbSwingLimit = 45.0f;
constexpr double kLimbSwingSpeed = 180.0;  // degrees per second
constexpr double kUmbrellaSpinSpeed = -50.0;  // degrees per second about the umbrella's z
constexpr double kCameraSpeed = 5.0;       // free camera and zoom, units per second
constexpr double kCameraFastFactor = 20.0; // with left shift
// One wheel step zooms as far as the zoom keys do in kWheelZoomFactor frames of 1/60 s, whatever
// the frame rate: a step is one event, not a held key, so the frame time does not scale it.
constexpr double kWheelZoomFactor = 20.0;
constexpr double kWheelStepFrameTime = 1.0 / 60.0;
constexpr float kPlayerCameraTurn = 0.5f;  // degrees per unit of mouse motion
constexpr float kFreeCameraTurn = 0.6f;
constexpr float kCameraWallMargin = 0.3f;   // the follow camera stays this far in front of scenery
constexpr double kCameraReturnSpeed = 6.0;  // units per second back out once the way is clear

// The walking direction on the ground plane for the held keys and the left stick, relative to
// the camera whose model matrix is given (its -z is forward, its x right). Not normalised; zero
// when the keys cancel.
Vec3 WalkDirection(const Mat4& cameraModel, const PlayerInput& input);

// Turns the figure so that it faces the way it walks: its local z axis takes the camera's
// heading, then the diagonal and sideways keys add their quarter and eighth turns (the stick,
// with no walking key held, turns it by its own angle the same way).
void FacePlayer(CPlayerObject& player, const Mat4& cameraModel, const PlayerInput& input);

// Walking, running, footsteps, jumping, the push box and the reset key.
PlayerMoveResult MovePlayer(const PlayerControlContext& context, const PlayerInput& input, double dt);

// Limbs swing while walking and snap back when standing; a visible umbrella spins.
void AnimatePlayer(const PlayerControlContext& context, double dt);

// Free-camera flight, the camera reset, zoom, the size factor, mouse turning, keeping the
// follow camera in sight of the figure, and the active camera's update. (The sun keys, read in
// the same step, belong to the sun test.)
void ControlCameras(const PlayerControlContext& context, const PlayerInput& input, double dt);

// When static level geometry stands between the look-at point and the follow camera (a ray as
// the sun test casts, static meshes only), the camera comes in front of it at once; once the
// way is clear it goes back out at kCameraReturnSpeed to the distance the player chose, which
// itself is never changed.
void KeepFigureInSight(CAnchoredSceneCamera& camera, CPhysicsWorld& world, double dt);

// Turns an object about the world's vertical axis through its own position (the translation
// stays, the basis turns).
void TurnAboutVertical(CSceneObject& object, float degrees);
