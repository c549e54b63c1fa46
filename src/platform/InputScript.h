#pragma once
// Scripted input for the window library: a fixed frame time and a list of input events by
// frame number. Frame 0 is the first frame of the main loop; the events of frame N are
// delivered inside the N-th buffer swap, i.e. they are visible to frame N, as real events
// processed during the previous swap would be. After the last frame the window reports
// itself closed, so the main loop ends as if the user had closed it.
//
// A real window (and GL context) is still opened, so scripted runs render for real; only
// time and input come from the script.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace wl {

struct InputEvent {
    enum Type {
        KeyDown, KeyUp, ButtonDown, ButtonUp, CursorTo, WheelBy, Focus,
        PadPlug, PadUnplug, PadButtonDown, PadButtonUp, PadAxis
    } type;
    int frame;
    int a = 0;           // key, button, cursor x, wheel steps, focus (1 gained, 0 lost), pad button or pad axis
    int b = 0;           // cursor y
    float value = 0.0f;  // pad axis position
};

// Limits of a script: a day of frames at 60 a second, and frames from a tenth of a millisecond
// to a minute long (a recording clamps a longer stall to a minute, and plays it so).
constexpr int kMaxScriptFrames = 24 * 60 * 60 * 60;
constexpr double kMinFrameTime = 0.0001;
constexpr double kMaxFrameTime = 60.0;
// A recording's frame times are whole ticks of a tenth of a millisecond (the real clock is
// rounded to them), written as small numbers: `FRAME frametimes 167 166 167*3`.
constexpr int kFrameTimeTicksPerSecond = 10000;
constexpr int kMaxFrameTimeTicks = 600000;

// A level the run played, and the FNV-1a 64 checksum of its file's bytes (16 hex digits).
struct ScriptLevel {
    std::string name;      // as the game asked for it: "level1.dae", or a path from --level
    std::string checksum;
};

// A level's records in the player's progress when a recorded run started (the game's progress
// keeps them by the level's file name): a run plays back with the progress it was played with,
// since the menu's entries, where Continue leads and the records a level's end reports depend
// on it.
struct ScriptRecord {
    std::string level;  // the last part of the level's path: no '/', '=' or '#'
    bool completed = false;
    std::optional<double> bestTime;  // seconds, above 0 and at most kMaxRecordSeconds
    std::optional<double> bestLife;  // 0 to 1
};
// The longest time the progress records (CProgress::kLongestTime); the most records and the
// longest level name a script holds.
constexpr double kMaxRecordSeconds = 999999.99;
constexpr std::size_t kMaxScriptRecords = 10000;
constexpr std::size_t kMaxRecordNameLength = 1024;

struct InputScript {
    double frameTime = 1.0 / 60.0;
    // From frame `first` on, frames last `seconds` (until the next change); in frame order.
    struct FrameTimeChange {
        int first;
        double seconds;
    };
    std::vector<FrameTimeChange> frameTimes;
    // Timer value when the window opens; loading time as the game will see it.
    double startTime = 0.0;
    // The window closes after this many frames (buffer swaps).
    int frames = 1;
    std::vector<InputEvent> events;
    // What a recording says about the run it was made from; the window library plays the
    // input alone, the tools check these.
    std::string version;             // the game's version ("" in hand-written scripts)
    std::vector<ScriptLevel> levels; // every level the run loaded, first played first
    std::string startLevel;          // the level of --level, "" when the run started at the menu
    unsigned seed = 1;               // the seed of the game's random choices (footstep sounds)
    int windowWidth = 0, windowHeight = 0;  // the window's size when it opened (0: not said)
    bool fullScreen = false;                // ... and whether it covered the screen
    int mouseSpeed = 100;            // the player's settings that change play
    bool invertLook = false;
    bool lookSettingsGiven = false;  // the script names them (a recording does); else the player's apply
    // The progress the run started with (a recording carries it, empty or not); without it the
    // player's own is played with, read and written.
    bool progressGiven = false;
    std::vector<ScriptRecord> progress;

    InputScript& Key(int frame, int key) {  // press in one frame, release in the next
        events.push_back({InputEvent::KeyDown, frame, key, 0});
        events.push_back({InputEvent::KeyUp, frame + 1, key, 0});
        return *this;
    }
    InputScript& Tap(int frame, int key) {  // press and release inside one frame
        events.push_back({InputEvent::KeyDown, frame, key, 0});
        events.push_back({InputEvent::KeyUp, frame, key, 0});
        return *this;
    }
    InputScript& Add(InputEvent::Type type, int frame, int a, int b = 0) {
        events.push_back({type, frame, a, b});
        return *this;
    }
    InputScript& PadButton(int frame, int button) {  // pad button down in one frame, up in the next
        events.push_back({InputEvent::PadButtonDown, frame, button, 0});
        events.push_back({InputEvent::PadButtonUp, frame + 1, button, 0});
        return *this;
    }
    InputScript& PadAxis(int frame, int axis, float value) {
        events.push_back({InputEvent::PadAxis, frame, axis, 0, value});
        return *this;
    }
};

// Installs a script for the next Init ... Terminate cycle; the scripted mode ends with
// Terminate. Passing nullptr returns to real input.
void UseInputScript(const InputScript* script);
// Plays the next script installed at the pace it was played (its frame times, waiting for the
// clock to catch up) for a player watching it in the game's window. The real keyboard and
// wheel then steer the playback, never the game: SPACE pauses and resumes, the wheel or keypad
// + and - set the speed from a quarter to eight times, ESC ends it (the window closes).
void WatchInputScript(bool on);
// The playback speed while watching (1 is as played).
double WatchSpeed();
// The seed for the game's random choices this session: the script's (1 unless it says), else
// one from the clock, which the recording keeps.
unsigned RandomSeed();
// True while a script drives the window library (between Init and Terminate).
bool InputScriptRunning();
// The script that drives the window library (its header included); null when none does.
const InputScript* RunningInputScript();
// Number of buffer swaps since the window opened (scripted or real).
int FramesSwapped();

// Recording: the input of the next session (Init ... Terminate), as the game reads it, kept
// in memory in the script format, frame by frame: the frame times, key and button presses and
// releases, and the cursor, wheel, focus and pad whenever they change. A real run and a
// scripted one are recorded alike, at the seam where their input reaches the game, so the
// recording plays back as the run went.
void RecordNextSession(bool on);
// True while the session is being recorded.
bool Recording();
// Notes a level the session loaded (its checksum is read from `path` now); no-op when not
// recording.
void NoteLevelPlayed(const std::string& name, const std::string& path);
// Notes that the frame now running ended `level` (its record name) with its best time so far:
// the session up to here is that level's best run. A later note for the same level replaces
// it; no-op when not recording.
void NoteBestRun(const std::string& level);
struct BestRun {
    std::string level;
    int frame = 0;  // the frame in which the level ended
};
struct Recorded {
    std::string events;               // the event and frame time lines, in frame order
    int frames = 0;                   // buffer swaps recorded
    double startTime = 0.0;
    unsigned seed = 1;
    int windowWidth = 0, windowHeight = 0;
    bool fullScreen = false;
    std::vector<ScriptLevel> levels;
    std::vector<int> levelFrames;     // the frame in which each of `levels` was first loaded
    std::vector<BestRun> bestRuns;    // the levels that ended with a best time, last one each
    bool complete = true;             // false when the session outran kMaxScriptFrames
};
// The recording of the session so far (call before Terminate, which drops it).
Recorded TakeRecording();
// The first `frames` frames of a recording (all of it when it is shorter): the events and
// levels before that frame; a frame-time line that starts before it is kept whole (the
// playback reads no time past its last frame).
Recorded CutRecording(const Recorded& recorded, int frames);
// The whole script text of a recording, with its header; `progress`, when given, is the
// progress the session started with (written even when empty, so that it is told apart from a
// script without any).
std::string RecordingText(const Recorded& recorded, const std::string& version, const std::string& startLevel,
                          int mouseSpeed, bool invertLook, const std::vector<ScriptRecord>* progress = nullptr);

// FNV-1a 64 of a file's bytes as 16 lower-case hex digits; "" when it cannot be read.
std::string FileChecksum(const std::string& path);
// The name a key is written with in a script (KeyCodeFromName reads it back).
std::string KeyName(int key);

// What is left of `script` after its first `framesPlayed` frames, for a session that goes on
// where another one ended (the game after a watched run): the later events and frame times,
// frame numbers counted from the cut, and the frames left (0 when none are). Keys, buttons, the
// pointer and a pad from before the cut start over released, at 0 0 and unplugged; the header
// stays but for the start level (the new session starts at the menu).
InputScript ScriptAfter(const InputScript& script, int framesPlayed);

// Parses a script from text, one directive per line ('#' starts a comment):
//   frametime SECONDS | starttime SECONDS | frames N
//   FRAME keydown KEY | FRAME keyup KEY | FRAME key KEY | FRAME tap KEY
//   FRAME buttondown N | FRAME buttonup N | FRAME cursor X Y | FRAME wheel STEPS
//   FRAME focus on|off   (the window gains or loses the input focus; it starts with it)
//   FRAME padplug | FRAME padunplug
//   FRAME paddown PAD | FRAME padup PAD | FRAME pad PAD | FRAME padaxis AXIS VALUE
// KEY is a key name (ESC, ENTER, UP, F2, KP_4, W, ...) or a number. PAD is a pad button (A, B,
// X, Y, LB, RB, BACK, START, GUIDE, LTHUMB, RTHUMB, DPAD_UP, DPAD_RIGHT, DPAD_DOWN, DPAD_LEFT),
// AXIS a stick or trigger (LX, LY, RX, RY, LT, RT) and VALUE its position from -1 to 1. A
// scripted pad reads as plugged in from its padplug on.
// Frame times (a recording writes frametimes lines):
//   FRAME frametime SECONDS   (frames from FRAME on last SECONDS)
//   FRAME frametimes T1 T2*N ...   (FRAME lasts T1 ticks of 1/10000 s, the N after it T2 each,
//                                   ...; the frames after the line keep its last time)
// Recordings add a header:
//   version TEXT | level CHECKSUM NAME | startlevel NAME | seed N | window W H [fullscreen] | mousespeed N |
//   invertlook yes|no | progress | record yes|no SECONDS|- LIFE|- NAME   (after progress, one a level)
// Returns false and fills `error` with the line at fault: unknown directives, numbers out of
// range (frames past kMaxScriptFrames, frame times outside kMinFrameTime .. kMaxFrameTime),
// words left over, and text that is not text.
bool ParseInputScript(const std::string& text, InputScript* script, std::string* error);
// Key code for a key name, or -1.
int KeyCodeFromName(const std::string& name);
// Pad button or pad axis for its name in a script, or -1.
int PadButtonFromName(const std::string& name);
int PadAxisFromName(const std::string& name);

}  // namespace wl
