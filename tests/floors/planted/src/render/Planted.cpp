// Draws; must not see the game above it.
#include "game/Game.h"
#include "render/Renderer.h"
