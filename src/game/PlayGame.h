#pragma once
// A whole game as the player's command starts it: the title lines, then sessions (start-up, the
// main loop, the farewell) until one ends without a request. The game binary and tavo-replay
// both run it, so a scripted run prints exactly what a player's run prints.
//
// A session ends with a request when the player chooses a recorded run on the Replays screen:
// the run is then shown in a session of its own, from a fresh start as `tavo --replay` shows it
// (paced to the clock, unless a script drives the game, which plays it at once), and a new
// session opens on the Replays screen (a scripted game goes on with what is left of its script).

#include "game/StartOptions.h"

namespace wl {
struct InputScript;
}

// 0 after a normal end, 1 when the level file of --level does not load, else the start-up
// step's error value (each reported on standard error).
// `framesRun`, when given, receives the number of frames the main loop ran (the sessions the
// player or the script played; a watched run's frames are not counted).
int PlayGame(const StartOptions& options, int* framesRun = nullptr);

// The options of a session that shows `recording` (read by ReadRecording): it starts where the
// run started, is not recorded, writes no settings or progress, and opens a window of the run's size
// (a full-screen run: as the settings say) unless `options` chose a window.
StartOptions WatchingOptions(StartOptions options, const wl::InputScript& recording);
