// Placeholder: the sun test and the sun direction keys are filled by the next commit of the
// player-control work; nothing tests these bodies yet.
#include "gameplay/PlayState.h"

float CPlayState::ComputeSunValue() { return 0.0f; }

void CPlayState::UpdateSunDirectionKeys(double) {}
