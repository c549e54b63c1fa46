// Tavo: steer a chocolate figure through sunlit levels before it melts.
#include <iostream>
#include <string>
#include <vector>

#include "game/PlayGame.h"
#include "game/StartOptions.h"

int main(int argc, char** argv) {
    StartOptions options;
    std::string error;
    switch (ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        case StartCommand::Help:
            std::cout << StartHelpText();
            return 0;
        case StartCommand::Version:
            std::cout << StartVersionLine() << std::endl;
            return 0;
        case StartCommand::Invalid:
            std::cerr << "tavo: " << error << std::endl << StartUsageLine() << std::endl;
            return 2;
        case StartCommand::Play:
            break;
    }

    return PlayGame(options);
}
