#pragma once
// The kinds of power-up a level places: the level file names them, the play state makes them.

#include <cstdint>

enum PowerUpKind : int32_t { POWERUP_KIND_MILK = 0, POWERUP_KIND_UMBRELLA = 1 };
