// Tavo: steer a chocolate figure through sunlit levels before it melts.
#include <iostream>

#include "game/GameImpl.h"

int main() {
    std::cout << "Tavo" << std::endl;
    std::cout << "A game by the Tavo developers - keep to the shade!" << std::endl;
    int result = 0;
    {
        CGameImpl game;
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
