// tavo-replay: runs the real game with input from a script file instead of the keyboard and
// mouse (frame times and events by frame number; docs/replay.md describes the format). A
// recording the game saved is such a script.
// Usage: tavo-replay [--no-play-draw] SCRIPT    (from the folder holding resources/ and shaders/)
// --no-play-draw runs every update of the game but leaves play frames undrawn (menu and picture
// frames are drawn, and a screenshot draws its frame): checks of lines and pictures run in a
// fraction of the time, because drawing is what costs on a software renderer.
//
// Standard output and standard error carry the game's own lines and nothing else, and the exit
// status is the game's, so a play-through can be checked exactly like a player's run. The
// replay's own remarks (a bad script, a recording of a level that changed since, one made by
// another version, and "Replay ended after N frames" at a normal end) go to standard error; a
// script that cannot be played ends with status 2.
//
// A replayed run is not recorded again, unless TAVO_RECORD_REPLAYS=1 is in the environment
// (for the tests that check a recording plays back as the run went).
#include <cstdlib>
#include <iostream>
#include <string>

#include "game/PlayGame.h"
#include "game/RunRecording.h"
#include "game/StartOptions.h"
#include "platform/InputScript.h"

int main(int argc, char** argv) {
    StartOptions options;
    const bool noPlayDraw = argc == 3 && std::string(argv[1]) == "--no-play-draw";
    if (argc != 2 && !noPlayDraw) {
        std::cerr << "usage: tavo-replay [--no-play-draw] SCRIPT" << std::endl;
        return 2;
    }
    options.drawPlayFrames = !noPlayDraw;
    const char* const record = std::getenv("TAVO_RECORD_REPLAYS");
    options.recordRun = record && std::string(record) == "1";
    wl::InputScript script;
    if (!ReadRecording(argv[argc - 1], "tavo-replay", &script, std::cerr)) return 2;
    options.levelPath = script.startLevel;
    // A recording of a run in a window plays in a window of that size (positions of the pointer
    // on the menu, the pictures' shape, the screenshots and the pointer's capture depend on it);
    // one of a full-screen run plays full screen.
    if (!script.fullScreen) {
        options.windowWidth = script.windowWidth;
        options.windowHeight = script.windowHeight;
    }
    wl::UseInputScript(&script);

    // The same lines, in the same order, and the same status as the game's own entry point.
    int frames = 0;
    const int result = PlayGame(options, &frames);
    if (result == 0) std::cerr << "Replay ended after " << std::dec << frames << " frames" << std::endl;
    return result;
}
