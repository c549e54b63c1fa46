// Tavo: steer a chocolate figure through sunlit levels before it melts.
#include <iostream>
#include <string>
#include <vector>

#include "game/GameImpl.h"
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

    std::cout << "Tavo" << std::endl;
    std::cout << "A game by the Tavo developers - keep to the shade!" << std::endl;
    int result = 0;
    {
        CGameImpl game;
        game.SetStartOptions(options);
        result = game.Initialize();
        if (result != 0) {
            std::cerr << "Error while initialization. Error value was " << std::dec << result << ". Exiting..."
                      << std::endl;
            return result;  // the game object is destroyed on the way out
        }
        game.Run();
        std::cout << "Main thread end. Cya!" << std::endl;
    }
    return 0;
}
