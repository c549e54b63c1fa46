// Placeholder: walking, jumping, the push box, the limb swing and the camera controls are
// filled by the next commit of the player-control work; nothing tests these bodies yet.
#include "gameplay/PlayState.h"

void CPlayState::UpdatePlayerMovement(double) {}

void CPlayState::AnimateLimbs(double) {}

void CPlayState::UpdateCameraControls(double frameTime) {
    UpdateSunDirectionKeys(frameTime);
    if (activeCamera) activeCamera->Update();
}
