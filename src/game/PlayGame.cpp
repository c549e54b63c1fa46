#include "game/PlayGame.h"

#include <iostream>
#include <string>

#include "game/GameImpl.h"
#include "game/RunRecording.h"
#include "platform/InputScript.h"
#include "services/Progress.h"

namespace {

struct SessionEnd {
    int status = 0;
    int frames = 0;
    std::string watch;        // the recording chosen on the Replays screen; "" when none
    bool scripted = false;    // a script drove the session ...
    wl::InputScript rest;     // ... and this is what it had left
};

SessionEnd RunSession(const StartOptions& options) {
    SessionEnd end;
    CGameImpl game;
    game.SetStartOptions(options);
    wl::RecordNextSession(options.recordRun);
    const int result = game.Initialize();
    if (result != 0) {
        std::cerr << "Error while initialization. Error value was " << std::dec << result << ". Exiting..."
                  << std::endl;
        end.status = result;
        return end;  // the game object is destroyed on the way out
    }
    // The level asked for on the command line did not load: said above, and the status tells
    // the script that started the game (the game object is destroyed on the way out).
    if (game.StartLevelFailed()) {
        end.status = 1;
        return end;
    }
    // The look settings and the progress the session starts with go into its recording.
    const SessionStart start = TakeSessionStart(game.GetSettings(), game.GetProgress()->Records());
    game.Run();
    // Taken before the game's teardown closes the window and resets the count and the script.
    end.frames = wl::FramesSwapped();
    if (const wl::InputScript* script = wl::RunningInputScript()) {
        end.scripted = true;
        end.rest = wl::ScriptAfter(*script, end.frames);
    }
    end.watch = game.WatchRequest();
    // The run's recording, written whole now that it is over (the window still open: the
    // recording goes with it).
    SaveRunRecording(options, start, std::cout, std::cerr);
    return end;
}

}  // namespace

StartOptions WatchingOptions(StartOptions options, const wl::InputScript& recording) {
    options.levelPath = recording.startLevel;
    options.recordRun = false;
    options.watchingRecording = true;
    options.openOnReplays = false;
    // Shown as it was played (a window of its size) unless --windowed says.
    if (options.windowWidth == 0 && !recording.fullScreen) {
        options.windowWidth = recording.windowWidth;
        options.windowHeight = recording.windowHeight;
    }
    return options;
}

int PlayGame(const StartOptions& options, int* framesRun) {
    std::cout << "Tavo" << std::endl;
    std::cout << "A game by the Tavo developers - keep to the shade!" << std::endl;
    StartOptions session = options;
    // Installed for the session after a watched run; they must outlive its start-up.
    wl::InputScript watched, rest;
    int frames = 0;
    for (;;) {
        SessionEnd end = RunSession(session);
        if (end.status != 0) return end.status;
        frames += end.frames;
        if (end.watch.empty()) break;

        // The chosen run, from a fresh start. The Replays screen checked the file; one that has
        // gone bad since is said, and the game goes on.
        if (ReadRecording(end.watch, "tavo", &watched, std::cerr)) {
            wl::UseInputScript(&watched);
            wl::WatchInputScript(!end.scripted);
            std::cout << "Showing the recorded run " << end.watch
                      << " (SPACE pauses, the wheel or keypad + and - set the speed, ESC ends)" << std::endl;
            const SessionEnd shown = RunSession(WatchingOptions(options, watched));
            // A run whose level no longer starts is over; a game that cannot start is.
            if (shown.status != 0 && shown.status != 1) return shown.status;
        }

        // Back where it was chosen; a script goes on where it was, until its frames are spent.
        if (end.scripted) {
            if (end.rest.frames == 0) break;
            rest = end.rest;
            wl::UseInputScript(&rest);
        }
        session = options;
        session.levelPath.clear();
        session.openOnReplays = true;
    }
    if (framesRun) *framesRun = frames;
    std::cout << "Main thread end. Cya!" << std::endl;
    return 0;
}
