#include "gameplay/PlayerControl.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "gameplay/PlayState.h"
#include "physics/PhysCharacter.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "scene/AnchoredSceneCamera.h"
#include "scene/PlayerObject.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/Settings.h"
#include "services/SoundManager.h"

namespace {

bool Held(int key) { return wl::GetKey(key) == wl::PRESS; }

// Heading of a direction on the ground plane, in radians (0 along +z, growing towards +x).
double Heading(float x, float z) { return std::atan2(static_cast<double>(x), static_cast<double>(z)); }

// Turns a limb about its own x axis and keeps its angle in step with its transform.
void Swing(CSceneObject& limb, float degrees) {
    limb.swingAngle += degrees;
    limb.transform = Rotate(limb.transform, degrees, kAxisX);
}

// One update of a limb's swing: with `towardsMinus` set it swings down to -45 degrees, then
// the flag flips and it swings back up to +45. A step that reaches a limit turns there and
// goes on back with what is left of it, so the swing keeps its width and its pace however
// long the update (a long update would otherwise carry the limb far past the limit).
void SwingLimb(CSceneObject& limb, bool& towardsMinus, float step) {
    // Whole swings out and back change nothing.
    float left = std::fmod(step, 4.0f * kLimbSwingLimit);
    float angle = limb.swingAngle;
    while (left > 0.0f) {
        const float limit = towardsMinus ? -kLimbSwingLimit : kLimbSwingLimit;
        const float room = std::fabs(limit - angle);
        if (left < room) {
            angle += towardsMinus ? -left : left;
            break;
        }
        angle = limit;
        left -= room;
        towardsMinus = !towardsMinus;
    }
    if (angle != limb.swingAngle) Swing(limb, angle - limb.swingAngle);
}

}  // namespace

float ApplyDeadZone(float& x, float& y) {
    const float length = std::sqrt(x * x + y * y);
    if (!(length > kPadDeadZone)) {  // also a stick that reports no number
        x = y = 0.0f;
        return 0.0f;
    }
    const float tilt = std::min(1.0f, (length - kPadDeadZone) / (1.0f - kPadDeadZone));
    x = x / length * tilt;
    y = y / length * tilt;
    return tilt;
}

PlayerInput ReadPlayerInput(const CInputManager* input) {
    PlayerInput in;
    in.forward = Held('W');
    in.back = Held('S');
    in.left = Held('A');
    in.right = Held('D');
    in.shift = Held(wl::KEY_LSHIFT);
    in.jump = Held(wl::KEY_SPACE);
    in.push = wl::GetMouseButton(wl::MOUSE_BUTTON_LEFT) == wl::PRESS;
    in.reset = Held(wl::KEY_BACKSPACE);
    in.resetCamera = Held(wl::KEY_ENTER);
    in.zoomIn = Held(wl::KEY_KP_ADD);
    in.zoomOut = Held(wl::KEY_KP_SUBTRACT);
    wl::GamepadState pad;
    if (wl::GetGamepad(&pad)) {
        in.jump = in.jump || pad.buttons[wl::PAD_A];
        in.shift = in.shift || pad.buttons[wl::PAD_X] || pad.buttons[wl::PAD_RB];
        in.push = in.push || pad.buttons[wl::PAD_B] || pad.buttons[wl::PAD_LB];
        in.reset = in.reset || pad.buttons[wl::PAD_BACK];
        in.stickX = pad.axes[wl::PAD_LEFT_X];
        in.stickY = pad.axes[wl::PAD_LEFT_Y];
        in.stickTilt = ApplyDeadZone(in.stickX, in.stickY);
        in.lookX = pad.axes[wl::PAD_RIGHT_X];
        in.lookY = pad.axes[wl::PAD_RIGHT_Y];
        ApplyDeadZone(in.lookX, in.lookY);
    }
    if (input) {
        in.mouseDX = input->mouseDeltaX;
        in.mouseDY = input->mouseDeltaY;
        in.wheel = input->wheelDelta;
    }
    return in;
}

Vec3 WalkDirection(const Mat4& cameraModel, const PlayerInput& input) {
    const Vec3 forward = Normalize(Vec3(-cameraModel[8], 0.0f, -cameraModel[10]));
    const Vec3 right = Normalize(Vec3(cameraModel[0], 0.0f, cameraModel[2]));
    Vec3 dir;
    if (input.forward) dir = dir + forward;
    if (input.back) dir = dir - forward;
    if (input.left) dir = dir - right;
    if (input.right) dir = dir + right;
    if (input.stickTilt > 0.0f) dir = dir + forward * -input.stickY + right * input.stickX;
    return dir;
}

void TurnAboutVertical(CSceneObject& object, float degrees) {
    // World rotation applied to the basis only: R_y * basis, translation untouched.
    const Mat4 turn = Rotate(Mat4(), degrees, kAxisY);
    const Vec3 position(object.transform[12], object.transform[13], object.transform[14]);
    object.transform = Multiply(object.transform, turn);
    object.transform[12] = position.x;
    object.transform[13] = position.y;
    object.transform[14] = position.z;
}

void FacePlayer(CPlayerObject& player, const Mat4& cameraModel, const PlayerInput& input) {
    const double cameraHeading = Heading(cameraModel[8], cameraModel[10]);
    const double playerHeading = Heading(player.transform[8], player.transform[10]);
    TurnAboutVertical(player, static_cast<float>((cameraHeading - playerHeading) * 180.0 / 3.14159265358979323846));

    // The figure looks along its local -z. Sideways keys turn it a quarter; with forward or back
    // held as well, an eighth from the front. Backwards it keeps facing forward, so the back
    // diagonals face the mirrored front diagonals.
    float extra = 0.0f;
    if (input.left) extra += (input.forward ? -45.0f : input.back ? -135.0f : 0.0f) + 90.0f;
    if (input.right) extra += (input.forward ? 45.0f : input.back ? 135.0f : 0.0f) - 90.0f;
    const bool keys = input.forward || input.back || input.left || input.right;
    if (!keys && input.stickTilt > 0.0f) {
        // The stick's angle by the keys' rule: forward and sideways it faces the way it points,
        // backwards it mirrors the front half.
        const double x = input.stickX, y = input.stickY;
        const double degrees = (y <= 0.0 ? -std::atan2(x, -y) : std::atan2(x, y)) * 180.0 / 3.14159265358979323846;
        extra = static_cast<float>(degrees);
    }
    if (extra != 0.0f) player.transform = Rotate(player.transform, extra, kAxisY);
}

PlayerMoveResult MovePlayer(const PlayerControlContext& context, const PlayerInput& input, double dt) {
    PlayerMoveResult result;
    CPlayerObject* player = context.player;
    if (!player) return result;
    CPhysCharacter* character = context.character;

    CAnchoredSceneCamera* playerCamera = context.cameras.playerCamera.get();
    if (context.cameras.active && context.cameras.active == playerCamera) {
        const Mat4 cameraModel = playerCamera->GetModelMatrix();
        const Vec3 dir = WalkDirection(cameraModel, input);
        double& footstepTimer = context.state.footstepTimer;
        if (Length(dir) > 0.0f) {
            FacePlayer(*player, cameraModel, input);
            const float factor = input.shift ? kRunFactor : 1.0f;
            // A walking key walks at full speed; the stick alone walks as far as it is tilted.
            const bool keys = input.forward || input.back || input.left || input.right;
            const float tilt = keys ? 1.0f : input.stickTilt;
            result.walkVelocity = Normalize(dir) * (kWalkSpeed * factor * tilt);
            player->walkState = 0;
            // The first step sounds at once; the timer keeps counting in the air, so landing
            // after a long jump gives a step straight away.
            if (character && character->OnGround() &&
                (footstepTimer == 0.0 || footstepTimer > kFootstepInterval / factor)) {
                footstepTimer = 0.0;
                result.footstep = true;
            }
            footstepTimer += dt;
        } else {
            player->walkState = 2;
            footstepTimer = 0.0;
        }
        // Also with no key held, so the figure stops at once instead of gliding on.
        if (character) character->SetWalkVelocity(result.walkVelocity);
    }

    if (input.jump && character && character->CanJump()) {
        character->Jump();
        result.jumped = true;
    }

    bool& pushBoxActive = context.state.pushBoxActive;
    if (input.push && !pushBoxActive) {
        std::cout << "Activating push box!" << std::endl;
        if (context.physicsWorld) context.physicsWorld->ActivateBody(player);
    } else if (!input.push && pushBoxActive) {
        std::cout << "Deactivating push box!" << std::endl;
        if (context.physicsWorld) context.physicsWorld->DeactivateBody(player);
    }
    pushBoxActive = input.push;

    // Only the figure moves: the character's ghost follows at its next sub-step and keeps its
    // vertical speed, so a jump in progress goes on from the start.
    if (input.reset && context.levelStart) {
        player->transform = Mat4();
        player->transform[12] = context.levelStart->x;
        player->transform[13] = context.levelStart->y;
        player->transform[14] = context.levelStart->z;
    }
    return result;
}

void AnimatePlayer(const PlayerControlContext& context, double dt) {
    CPlayerObject* player = context.player;
    if (!player) return;
    CSceneObject* limbs[4] = {player->rightHand, player->leftHand, player->rightLeg, player->leftLeg};
    if (player->walkState == 0) {
        const float step = static_cast<float>(dt * kLimbSwingSpeed);
        for (int i = 0; i < 4; ++i) {
            if (!limbs[i]) continue;
            // The right leg swings against the others: its set flag means "forward".
            bool& flag = context.state.limbSwing[i];
            if (i == 2) {
                bool towardsMinus = !flag;
                SwingLimb(*limbs[i], towardsMinus, step);
                flag = !towardsMinus;
            } else {
                SwingLimb(*limbs[i], flag, step);
            }
        }
    } else {
        for (CSceneObject* limb : limbs) {
            if (!limb || limb->swingAngle == 0.0f) continue;
            limb->transform = Rotate(limb->transform, -limb->swingAngle, kAxisX);
            limb->swingAngle = 0.0f;
        }
    }
    if (player->umbrella && player->umbrella->visible)
        player->umbrella->transform =
            Rotate(player->umbrella->transform, static_cast<float>(kUmbrellaSpinSpeed * dt), kAxisZ);
}

void ControlCameras(const PlayerControlContext& context, const PlayerInput& input, double dt) {
    const double fast = input.shift ? kCameraFastFactor : 1.0;
    const float speed = static_cast<float>(kCameraSpeed * dt * fast);
    const float wheelStep = static_cast<float>(kCameraSpeed * kWheelStepFrameTime * kWheelZoomFactor * fast);
    CSceneCamera* active = context.cameras.active;
    CSceneCamera* freeCamera = context.cameras.freeCamera.get();
    CAnchoredSceneCamera* playerCamera = context.cameras.playerCamera.get();
    const bool flying = active && active == freeCamera;

    if (flying) {
        // Moves in the camera's own frame: -z ahead, +x to the right.
        Vec3 move;
        if (input.forward) move.z -= speed;
        if (input.back) move.z += speed;
        if (input.left) move.x -= speed;
        if (input.right) move.x += speed;
        Mat4& t = freeCamera->transform;
        for (int r = 0; r < 3; ++r) t[12 + r] += t[r] * move.x + t[4 + r] * move.y + t[8 + r] * move.z;
    }

    if (input.resetCamera && active) {
        active->transform = Mat4();
        // The free camera's pitch lives in its transform, so it is level again.
        active->swingAngle = 0.0f;
    }

    if (playerCamera) {
        if (input.zoomIn) playerCamera->SetDistance(playerCamera->distance - speed);
        if (input.zoomOut) playerCamera->SetDistance(playerCamera->distance + speed);
        if (context.player) playerCamera->SetSizeFactor(context.player->life);
        if (input.wheel != 0)
            playerCamera->SetDistance(playerCamera->distance - static_cast<float>(input.wheel) * wheelStep);
    }

    const float dx = static_cast<float>(input.mouseDX), dy = static_cast<float>(input.mouseDY);
    if (flying) {
        if (dx != 0.0f) TurnAboutVertical(*freeCamera, -dx * kFreeCameraTurn);
        if (dy != 0.0f) {
            freeCamera->swingAngle += -dy * kFreeCameraTurn;
            freeCamera->transform = Rotate(freeCamera->transform, -dy * kFreeCameraTurn, kAxisX);
        }
    } else if (playerCamera && (dx != 0.0f || dy != 0.0f)) {
        const float degrees = kPlayerCameraTurn * context.lookSpeed;
        playerCamera->Turn(-dx * degrees, (context.invertLook ? dy : -dy) * degrees);
    }
    // The right stick turns whichever camera is active the way the mouse does.
    const float turn = kPadCameraTurnSpeed * static_cast<float>(dt);
    if (input.lookX != 0.0f || input.lookY != 0.0f) {
        if (flying) {
            TurnAboutVertical(*freeCamera, -input.lookX * turn);
            freeCamera->swingAngle += -input.lookY * turn;
            freeCamera->transform = Rotate(freeCamera->transform, -input.lookY * turn, kAxisX);
        } else if (playerCamera) {
            playerCamera->Turn(-input.lookX * turn, (context.invertLook ? input.lookY : -input.lookY) * turn);
        }
    }

    if (playerCamera && context.physicsWorld && active == playerCamera)
        KeepFigureInSight(*playerCamera, *context.physicsWorld, dt);

    if (active) active->Update();
}

void KeepFigureInSight(CAnchoredSceneCamera& camera, CPhysicsWorld& world, double dt) {
    const float full = camera.FullBackOff();
    float clear = full;
    if (full > kCameraWallMargin) {
        const Vec3 from = camera.LookAtPoint();
        const float fraction = world.RayFraction(from, from + camera.BackDirection() * full, true);
        if (fraction < 1.0f) clear = std::max(0.0f, fraction * full - kCameraWallMargin);
    }
    float& limit = camera.backOffLimit;
    // In at once, so that no frame shows the wall instead of the figure; out smoothly.
    if (clear < limit) limit = clear;
    else limit = std::min(clear, static_cast<float>(limit + kCameraReturnSpeed * dt));
    if (limit >= full) camera.ReleaseObstruction();
}

PlayerControlContext CPlayState::ControlContext() {
    const Vec3* levelStart = level.file ? &level.file->startPosition : nullptr;
    PlayerControlContext context{player, level.character.get(), level.physicsWorld.get(), levelStart, cameras, control};
    if (const CSettings* settings = game->GetSettings()) {
        context.lookSpeed = static_cast<float>(settings->MouseSpeed()) / 100.0f;
        context.invertLook = settings->InvertLook();
    }
    return context;
}

void CPlayState::UpdatePlayerMovement(double dt) {
    control.input = ReadPlayerInput(game->GetInputManager());
    const PlayerMoveResult result = MovePlayer(ControlContext(), control.input, dt);
    if (CSoundManager* sound = game->GetSoundManager()) {
        if (result.footstep) sound->PlayFootstepSound();
        if (result.jumped) sound->PlayJumpSound();
    }
}

void CPlayState::AnimateLimbs(double dt) { AnimatePlayer(ControlContext(), dt); }

void CPlayState::UpdateCameraControls(double frameTime) {
    UpdateSunDirectionKeys(frameTime);
    ControlCameras(ControlContext(), control.input, frameTime);
}
