// Placeholder: the play-state debug keys are filled by the next commit of the frame work;
// nothing tests this body yet.
#include "gameplay/PlayState.h"

void CPlayState::HandlePlayStateKeys(CInputManager*) {}
