// tavo-levelcheck: says what the game makes of every node of a level file and what would make
// the level load wrong or be unplayable. Textures and music are looked up as the game does: in
// the working folder when it holds resources/ and shaders/, else in the installed data folder
// beside the program, or only in the folder --data names.
// Exit status: 0 without errors (warnings allowed), 1 with an error, 2 for a bad command line.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "LevelCheck.h"
#include "platform/DataPaths.h"
#include "scene/LevelLoader.h"

namespace {

const char* const kUsage = "usage: tavo-levelcheck [--json] [--no-follow] [--data DIR] LEVEL.dae...";

const char* const kHelp =
    "Checks level files the way the game reads them: one line per node with what the game\n"
    "makes of it, then the findings as FILE: NODE: error|warning: text.\n"
    "Levels their end triggers lead to (\"nextlevel\") are checked too, each once.\n"
    "  --json       print everything as one JSON document instead\n"
    "  --no-follow  check only the files named\n"
    "  --data DIR   look for textures and music in DIR (holding resources/ and shaders/)\n"
    "Without --data they are looked for in the working folder when it holds resources/ and\n"
    "shaders/, else in the game's installed data folder beside this program.\n"
    "Exit status: 0 without errors, 1 when a level has an error, 2 for a bad command line.\n";

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    bool follow = true;
    std::string dataFolder;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << "\n" << kHelp;
            return 0;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg == "--no-follow") {
            follow = false;
        } else if (arg == "--data") {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
                std::cerr << "tavo-levelcheck: option '--data' needs a folder\n" << kUsage << std::endl;
                return 2;
            }
            dataFolder = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "tavo-levelcheck: unknown option '" << arg << "'\n" << kUsage << std::endl;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << "tavo-levelcheck: no level file given\n" << kUsage << std::endl;
        return 2;
    }
    std::error_code ignored;
    const ContentSearch content =
        FindContent(dataFolder, std::filesystem::current_path(ignored).string(), InstalledDataFolder());
    if (!content.found) {
        std::cerr << ContentNotFoundMessage(content, "tavo-levelcheck") << std::endl;
        return 1;
    }
    SetContentRoot(content.root);
    // Names without a folder are files here, not names of shipped levels.
    for (std::string& file : files) file = LevelPathFromCommandLine(file);

    const std::vector<LevelCheck> checks = CheckLevels(files, follow);
    std::cout << (json ? JsonReport(checks) : TextReport(checks)) << std::flush;
    for (const LevelCheck& check : checks)
        if (check.Count(Severity::Error) > 0) return 1;
    return 0;
}
