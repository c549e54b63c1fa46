#pragma once
// Every session of the real game is recorded (the window library keeps its input and frame
// times in memory, platform/InputScript.h) and written at its end as a script that tavo-replay
// plays back exactly: $XDG_DATA_HOME/tavo/replays/DATE_TIME_LEVEL.replay, where LEVEL is the
// first level the session played. Sessions that played no level are not kept; only the last
// kKeptRecordings recordings are (the game's own files alone, by their names).

#include <iosfwd>
#include <string>
#include <vector>

struct StartOptions;
class CSettings;
namespace wl {
struct InputScript;
}

constexpr int kKeptRecordings = 20;

// Writes the session's recording (call after the main loop, before the window library ends),
// prints "Replay saved: PATH" on `out` and returns the path; "" when there was nothing to keep
// or it could not be written (one warning on `warnings`, the game goes on).
std::string SaveRunRecording(const StartOptions& options, const CSettings* settings, std::ostream& out,
                             std::ostream& warnings);

// The file name of a recording made at `localTime` ("2026-12-07_23-59-01") of `level`:
// "2026-12-07_23-59-01_level1.replay" (the level's name without folder and extension, reduced
// to letters, digits, '-' and '_').
std::string RecordingFileName(const std::string& localTime, const std::string& level);
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
