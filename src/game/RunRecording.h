#pragma once
// Every session of the real game is recorded (the window library keeps its input and frame
// times in memory, platform/InputScript.h) and written at its end as a script that tavo-replay
// plays back exactly: $XDG_DATA_HOME/tavo/replays/DATE_TIME_LEVEL.replay, where LEVEL is the
// first level the session played. Sessions that played no level are not kept; only the last
// kKeptRecordings recordings are (the game's own files alone, by their names). Beside them, the
// best run of each level (the run that set its best time in the progress file) is kept as
// best_LEVEL.replay: the session's recording up to kFramesAfterBestRun frames after that level
// ended, which plays back to the same "Level complete:" line; a better run replaces it.

#include <iosfwd>
#include <string>
#include <vector>

struct StartOptions;
struct ProgressRecord;
class CSettings;
namespace wl {
struct InputScript;
}

constexpr int kKeptRecordings = 20;
// A best run goes on this many frames after its level's end, so that the picture of the
// level's end is shown.
constexpr int kFramesAfterBestRun = 3;

// Writes the session's recording (call after the main loop, before the window library ends),
// prints "Replay saved: PATH" on `out` (and "Best run saved: PATH" for every level the session
// played to a best time) and returns the path; "" when there was nothing to keep
// or it could not be written (one warning on `warnings`, the game goes on). `start` is what the
// session started with: the recording carries it, since a playback starts from there (a look
// speed changed in the options during the run is replayed by the run's own keys).
struct SessionStart {
    int mouseSpeed = 100;
    bool invertLook = false;
    std::vector<ProgressRecord> progress;
};
SessionStart TakeSessionStart(const CSettings* settings, const std::vector<ProgressRecord>& progress);
std::string SaveRunRecording(const StartOptions& options, const SessionStart& start, std::ostream& out,
                             std::ostream& warnings);

// The progress a recording carries, as the game's progress holds it (empty when it carries none).
std::vector<ProgressRecord> ProgressOfRecording(const wl::InputScript& script);

// The file name of a recording made at `localTime` ("2026-12-07_23-59-01") of `level`:
// "2026-12-07_23-59-01_level1.replay" (the level's name without folder and extension, reduced
// to letters, digits, '-' and '_').
std::string RecordingFileName(const std::string& localTime, const std::string& level);
// The file name of a level's best run: "best_level3.replay" for "level3.dae" (the name
// reduced as in RecordingFileName). Never one of RecordingFileName's, so pruning leaves it.
std::string BestRunFileName(const std::string& level);
// True for the names RecordingFileName makes (with an optional "-N" after the time, for a
// second recording in the same second).
bool IsRecordingFileName(const std::string& name);
// The recordings among `names` to delete so that only the newest `keep` remain, oldest first.
std::vector<std::string> RecordingsToDelete(std::vector<std::string> names, int keep);

// Reads a script or recording to play: the file (at most 512 MiB), its lines, and the levels it
// was recorded on, whose files must be as they were then. On failure writes one line naming the
// file and the line or level at fault to `errors` (prefixed with `program`) and returns false;
// a recording by another version of the game gives a warning there and plays.
bool ReadRecording(const std::string& path, const std::string& program, wl::InputScript* script, std::ostream& errors);
