#pragma once
// The command line of `tavo`. Without arguments the game starts at the menu, full screen unless
// the player's settings ask for a window; the options are for players who want a window and for level designers who want
// to start straight in the level they are working on.

#include <optional>
#include <string>
#include <vector>

#include "services/Settings.h"

struct StartOptions {
    // --windowed: a window of this size for this run; 0 x 0: the settings say (full screen
    // unless the player chose a window in the options).
    int windowWidth = 0;
    int windowHeight = 0;
    bool fullscreen = false;  // --fullscreen: full screen for this run, whatever the settings say
    // --quality: the graphics quality for this run, not saved; none: the settings say.
    std::optional<RenderQuality> quality;
    std::string levelPath;  // empty: start at the menu
    std::string dataFolder; // empty: the working folder if it holds the content, else the installed one
    // Off only for scripted runs (tavo-replay --no-play-draw): play frames update as always but
    // are not drawn; menu and picture frames are, and a screenshot draws its frame first.
    bool drawPlayFrames = true;
    // The session's input is recorded and saved in the player's replays folder at its end
    // (game/RunRecording.h). Off for scripted runs unless a tool or test asks for it.
    bool recordRun = true;
    // `--replay`: a recorded run is shown; the player's settings and progress are not written.
    bool watchingRecording = false;
    std::string replayPath; // --replay FILE: show a recorded run in the window instead of playing
    // The session opens on the Replays screen (back from watching a run chosen there).
    bool openOnReplays = false;
};

enum class StartCommand {
    Play,     // run the game with the options
    Help,     // print the help text, exit 0
    Version,  // print the version, exit 0
    Invalid,  // print `error` and the usage line on standard error, exit 2
};

// `args` are the arguments after the program name.
StartCommand ParseStartOptions(const std::vector<std::string>& args, StartOptions& options, std::string& error);

// One line: how the program is called.
std::string StartUsageLine();
// The help text: the usage line and one line per option.
std::string StartHelpText();
// "tavo " and the game's version.
std::string StartVersionLine();
