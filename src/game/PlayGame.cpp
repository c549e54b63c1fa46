#include "game/PlayGame.h"

#include <iostream>

#include "game/GameImpl.h"
#include "game/RunRecording.h"
#include "platform/InputScript.h"

int PlayGame(const StartOptions& options, int* framesRun) {
    std::cout << "Tavo" << std::endl;
    std::cout << "A game by the Tavo developers - keep to the shade!" << std::endl;
    CGameImpl game;
    game.SetStartOptions(options);
    wl::RecordNextSession(options.recordRun);
    const int result = game.Initialize();
    if (result != 0) {
        std::cerr << "Error while initialization. Error value was " << std::dec << result << ". Exiting..."
                  << std::endl;
        return result;  // the game object is destroyed on the way out
    }
    // The level asked for on the command line did not load: said above, and the status tells
    // the script that started the game (the game object is destroyed on the way out).
    if (game.StartLevelFailed()) return 1;
    game.Run();
    // Counted before the game's teardown closes the window and resets the count.
    if (framesRun) *framesRun = wl::FramesSwapped();
    // The run's recording, written whole now that it is over (the window still open: the
    // recording goes with it).
    SaveRunRecording(options, game.GetSettings(), std::cout, std::cerr);
    std::cout << "Main thread end. Cya!" << std::endl;
    return 0;
}
