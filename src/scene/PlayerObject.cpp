#include "scene/PlayerObject.h"

CPlayerObject::CPlayerObject() { scale = {0.02f, 0.02f, 0.02f}; }

CPlayerObject::~CPlayerObject() = default;
