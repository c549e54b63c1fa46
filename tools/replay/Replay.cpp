// tavo-replay: runs the real game with input from a script file instead of the keyboard and
// mouse (a fixed frame time, events by frame number; docs/replay.md describes the format).
// Usage: tavo-replay [--no-play-draw] SCRIPT    (from the folder holding resources/ and shaders/)
// --no-play-draw runs every update of the game but leaves play frames undrawn (menu and picture
// frames are drawn, and a screenshot draws its frame): checks of lines and pictures run in a
// fraction of the time, because drawing is what costs on a software renderer.
//
// Standard output and standard error carry the game's own lines and nothing else, and the exit
// status is the game's, so a play-through can be checked exactly like a player's run. The
// replay's own remarks (a bad script, and "Replay ended after N frames" at a normal end) go to
// standard error.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "game/PlayGame.h"
#include "platform/InputScript.h"

int main(int argc, char** argv) {
    StartOptions options;
    const bool noPlayDraw = argc == 3 && std::string(argv[1]) == "--no-play-draw";
    if (argc != 2 && !noPlayDraw) {
        std::cerr << "usage: tavo-replay [--no-play-draw] SCRIPT" << std::endl;
        return 2;
    }
    options.drawPlayFrames = !noPlayDraw;
    const char* const path = argv[argc - 1];
    std::ifstream in(path);
    if (!in) {
        std::cerr << "tavo-replay: cannot open input script '" << path << "'" << std::endl;
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    wl::InputScript script;
    std::string error;
    if (!wl::ParseInputScript(text.str(), &script, &error)) {
        std::cerr << "tavo-replay: input script '" << path << "', " << error << std::endl;
        return 2;
    }
    wl::UseInputScript(&script);

    // The same lines, in the same order, and the same status as the game's own entry point.
    int frames = 0;
    const int result = PlayGame(options, &frames);
    if (result == 0) std::cerr << "Replay ended after " << std::dec << frames << " frames" << std::endl;
    return result;
}
