#pragma once
// The screen table: which screen each id makes. The game object asks it when a screen is first
// requested; an id that is not in it has no screen.

#include <memory>

class CGame;
class CGameState;

// Makes the screen registered for `id`, or gives null when no screen has that id.
std::unique_ptr<CGameState> MakeScreen(int id, CGame* game);
