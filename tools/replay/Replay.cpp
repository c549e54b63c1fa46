// tavo-replay: runs the real game with input from a script file instead of the keyboard and
// mouse (a fixed frame time, events by frame number; see src/platform/InputScript.h).
// Usage: tavo-replay SCRIPT    (from the folder holding resources/ and shaders/)
#include <fstream>
#include <iostream>
#include <sstream>

#include "game/GameImpl.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tavo-replay SCRIPT" << std::endl;
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "ERROR: cannot open input script '" << argv[1] << "'" << std::endl;
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    wl::InputScript script;
    std::string error;
    if (!wl::ParseInputScript(text.str(), &script, &error)) {
        std::cerr << "ERROR: input script '" << argv[1] << "', " << error << std::endl;
        return 2;
    }
    wl::UseInputScript(&script);

    CGameImpl game;
    const int result = game.Initialize();
    if (result != 0) {
        std::cerr << "Error while initialization. Error value was " << std::dec << result << ". Exiting..." << std::endl;
        return result;
    }
    game.Run();
    std::cout << "Replay ended after " << std::dec << wl::FramesSwapped() << " frames" << std::endl;
    return 0;
}
