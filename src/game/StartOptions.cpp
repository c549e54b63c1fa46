#include "game/StartOptions.h"

#include <cstdlib>

namespace {

// The build passes the project's version, which the package carries too.
#ifndef TAVO_VERSION
#define TAVO_VERSION "0.1.0"
#endif
const char* const kVersion = TAVO_VERSION;

// Sizes below this make no playable window; above it no screen exists.
const long kSmallestSide = 64;
const long kLargestSide = 16384;

bool ParseSide(const std::string& text, int& side) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < kSmallestSide || value > kLargestSide) return false;
    side = static_cast<int>(value);
    return true;
}

// "WIDTHxHEIGHT", both decimal.
bool ParseWindowSize(const std::string& text, int& width, int& height) {
    const std::string::size_type x = text.find('x');
    if (x == std::string::npos) return false;
    return ParseSide(text.substr(0, x), width) && ParseSide(text.substr(x + 1), height);
}

}  // namespace

StartCommand ParseStartOptions(const std::vector<std::string>& args, StartOptions& options, std::string& error) {
    options = StartOptions();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") return StartCommand::Help;
        if (arg == "--version") return StartCommand::Version;
        if (arg == "--fullscreen") {
            options.fullscreen = true;
            options.windowWidth = options.windowHeight = 0;
            continue;
        }
        if (arg == "--windowed" || arg == "--level" || arg == "--data" || arg == "--replay" || arg == "--quality") {
            if (i + 1 >= args.size()) {
                error = "option '" + arg + "' needs a value";
                return StartCommand::Invalid;
            }
            const std::string& value = args[++i];
            if (arg == "--windowed") {
                options.fullscreen = false;
                if (!ParseWindowSize(value, options.windowWidth, options.windowHeight)) {
                    error = "'" + value + "' is not a window size such as 1280x720 (each side " +
                            std::to_string(kSmallestSide) + " to " + std::to_string(kLargestSide) + ")";
                    return StartCommand::Invalid;
                }
            } else if (arg == "--quality") {
                RenderQuality quality = RenderQuality::High;
                if (!ParseRenderQuality(value, quality)) {
                    error = "'" + value + "' is not a graphics quality (high, medium or low)";
                    return StartCommand::Invalid;
                }
                options.quality = quality;
            } else if (arg == "--data") {
                if (value.empty()) {
                    error = "option '--data' needs a folder";
                    return StartCommand::Invalid;
                }
                options.dataFolder = value;
            } else if (arg == "--replay") {
                if (value.empty()) {
                    error = "option '--replay' needs a recording";
                    return StartCommand::Invalid;
                }
                options.replayPath = value;
            } else {
                if (value.empty()) {
                    error = "option '--level' needs a level file";
                    return StartCommand::Invalid;
                }
                options.levelPath = value;
            }
            continue;
        }
        error = "unknown argument '" + arg + "'";
        return StartCommand::Invalid;
    }
    return StartCommand::Play;
}

std::string StartUsageLine() {
    return "usage: tavo [--help] [--version] [--windowed WIDTHxHEIGHT | --fullscreen] [--quality Q] [--level FILE] [--data DIR] [--replay FILE]";
}

std::string StartHelpText() {
    return StartUsageLine() + "\n"
           "The game's content (resources/ and shaders/) is read from the working folder when it\n"
           "holds both, else from the installed data folder beside the program\n"
           "(../share/games/tavo from its folder); --data names another.\n"
           "Screenshots (F12) and AssimpLog.txt go to the working folder when the content is\n"
           "read from it, else to ~/.local/share/tavo/screenshots/ and ~/.local/state/tavo/;\n"
           "settings and progress live in ~/.config/tavo/ and ~/.local/share/tavo/; every run is\n"
           "recorded in ~/.local/share/tavo/replays/ (the last 20 are kept).\n"
           "  --help                  show this text and exit\n"
           "  --version               show the version and exit\n"
           "  --windowed WIDTHxHEIGHT play in a window of that size for this run\n"
           "  --fullscreen            play full screen for this run (the last of the two counts);\n"
           "                          without either, the Options screen's choice is used\n"
           "  --quality high|medium|low  graphics quality for this run (not saved): medium and\n"
           "                          low draw the scene with fewer samples and pixels and\n"
           "                          a smaller shadow map, for slow and software renderers\n"
           "  --level FILE            skip the menu and start in the level FILE (any path);\n"
           "                          the level's end leads on as in the game\n"
           "  --data DIR              read the content from DIR (holding resources/ and shaders/)\n"
           "  --replay FILE           show a recorded run at the speed it was played: SPACE pauses,\n"
           "                          the wheel or keypad + and - set the speed, ESC ends\n"
           "Controls: W A S D or the left stick walk, mouse or right stick turn the camera,\n"
           "SPACE or A jumps, left shift, X or RB runs, left mouse button, B or LB push box,\n"
           "ENTER or Start goes on, BACKSPACE or Back returns to the level start, ESC or Start\n"
           "pauses (Resume, Restart level, Options, Back to menu, Quit); ESC on the menu quits.\n";
}

std::string StartVersionLine() { return std::string("tavo ") + kVersion; }
