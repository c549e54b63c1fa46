#pragma once
// A whole session of the game as the player's command starts it: the title lines, start-up, the
// main loop and the farewell. The game binary and tavo-replay both run it, so a scripted run
// prints exactly what a player's run prints.

#include "game/StartOptions.h"

// 0 after a normal end, 1 when the level file of --level does not load, else the start-up
// step's error value (each reported on standard error).
// `framesRun`, when given, receives the number of frames the main loop ran.
int PlayGame(const StartOptions& options, int* framesRun = nullptr);
