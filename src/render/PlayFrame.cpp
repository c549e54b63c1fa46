// Placeholder: the play frame (shadow target, shadow and main passes, debug lines, HUD) is
// filled by the next commit of the frame work; nothing tests these bodies yet.
#include "gameplay/PlayState.h"

void CPlayState::Init() { SetUpScene(); }

void CPlayState::Render() {}

void CPlayState::ReleaseShadowTarget() {}
