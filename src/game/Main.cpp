// Tavo: steer a chocolate figure through sunlit levels before it melts.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "game/PlayGame.h"
#include "game/RunRecording.h"
#include "game/StartOptions.h"
#include "platform/DataPaths.h"
#include "platform/InputScript.h"
#include "platform/WrittenFiles.h"

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

    std::error_code ignored;
    const std::string workingFolder = std::filesystem::current_path(ignored).string();
    const ContentSearch content = FindContent(options.dataFolder, workingFolder, InstalledDataFolder());
    if (!content.found) {
        std::cerr << ContentNotFoundMessage(content) << std::endl;
        return 1;
    }
    SetContentRoot(content.root);
    if (!content.root.empty()) std::cout << "Content from " << content.root << std::endl;
    // An installed game (or one given --data) keeps its screenshots and log in the player's
    // folders, not wherever it was started from.
    if (!content.root.empty())
        pf::WriteToPlayerFolders();
    else if (!WorkingFolderWritable())
        std::cerr << "WARNING: The working folder '" << workingFolder
                  << "' cannot be written: no screenshots and no AssimpLog.txt this time." << std::endl;

    // Watching a recorded run: the game plays it from the file, at the pace it was played.
    wl::InputScript recording;
    if (!options.replayPath.empty()) {
        if (!ReadRecording(options.replayPath, "tavo", &recording, std::cerr)) return 2;
        options = WatchingOptions(options, recording);
        wl::UseInputScript(&recording);
        wl::WatchInputScript(true);
        std::cout << "Showing the recorded run " << options.replayPath
                  << " (SPACE pauses, the wheel or keypad + and - set the speed, ESC ends)" << std::endl;
    }
    return PlayGame(options);
}
