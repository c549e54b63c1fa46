#include "platform/WindowLibrary.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/FrameTimeLines.h"
#include "platform/InputScript.h"

static_assert(wl::KEY_ESC == GLFW_KEY_ESCAPE && wl::KEY_ENTER == GLFW_KEY_ENTER, "key codes");
static_assert(wl::KEY_F1 == GLFW_KEY_F1 && wl::KEY_F12 == GLFW_KEY_F12, "key codes");
static_assert(wl::KEY_KP_1 == GLFW_KEY_KP_1 && wl::KEY_KP_9 == GLFW_KEY_KP_9, "key codes");
static_assert(wl::KEY_KP_SUBTRACT == GLFW_KEY_KP_SUBTRACT && wl::KEY_KP_ADD == GLFW_KEY_KP_ADD, "key codes");
static_assert(wl::KEY_LSHIFT == GLFW_KEY_LEFT_SHIFT && wl::KEY_HOME == GLFW_KEY_HOME, "key codes");
static_assert(wl::KEY_PAGEUP == GLFW_KEY_PAGE_UP && wl::KEY_INSERT == GLFW_KEY_INSERT, "key codes");
static_assert(wl::KEY_BACKSPACE == GLFW_KEY_BACKSPACE && wl::KEY_END == GLFW_KEY_END, "key codes");
static_assert(wl::KEY_UP == GLFW_KEY_UP && wl::KEY_DOWN == GLFW_KEY_DOWN, "key codes");
static_assert(wl::PAD_A == GLFW_GAMEPAD_BUTTON_A && wl::PAD_BACK == GLFW_GAMEPAD_BUTTON_BACK, "pad buttons");
static_assert(wl::PAD_START == GLFW_GAMEPAD_BUTTON_START && wl::PAD_RB == GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, "pad buttons");
static_assert(wl::PAD_DPAD_UP == GLFW_GAMEPAD_BUTTON_DPAD_UP && wl::PAD_DPAD_LEFT == GLFW_GAMEPAD_BUTTON_DPAD_LEFT, "pad buttons");
static_assert(wl::PAD_BUTTON_COUNT == GLFW_GAMEPAD_BUTTON_LAST + 1, "pad buttons");
static_assert(wl::PAD_LEFT_Y == GLFW_GAMEPAD_AXIS_LEFT_Y && wl::PAD_RIGHT_X == GLFW_GAMEPAD_AXIS_RIGHT_X, "pad axes");
static_assert(wl::PAD_AXIS_COUNT == GLFW_GAMEPAD_AXIS_LAST + 1, "pad axes");

namespace wl {
namespace {

// Key (or mouse button) state as the game reads it. A key that went down and up again before
// anyone asked about it reads as pressed once (so a quick tap inside one slow frame still
// counts); a press that was already seen does not linger after the release. A press nobody
// read in the frame it arrived for is forgotten after that frame (`ForgetUnread`): a tap is
// gone, and a key still held reads as up until it is released and pressed again, so a press
// made on one screen never acts on the next.
class KeyTracker {
public:
    void Press(int key, int frame) {
        down.insert(key);
        seen.erase(key);
        sticky.erase(key);
        stale.erase(key);
        arrived[key] = frame;
    }
    void Release(int key) {
        if (!down.erase(key)) return;
        if (!seen.count(key) && !stale.count(key)) sticky.insert(key);
        stale.erase(key);
    }
    bool Query(int key) {
        if (down.count(key)) {
            if (stale.count(key)) return false;
            seen.insert(key);
            return true;
        }
        return sticky.erase(key) > 0;
    }
    // Presses that arrived before frame `frame` began and were never queried.
    void ForgetUnread(int frame) {
        for (int key : down)
            if (!seen.count(key) && arrived[key] < frame) stale.insert(key);
        for (auto it = sticky.begin(); it != sticky.end();) {
            if (arrived[*it] < frame) it = sticky.erase(it);
            else ++it;
        }
    }
    void Clear() { down.clear(); seen.clear(); sticky.clear(); stale.clear(); arrived.clear(); }

private:
    std::set<int> down, seen, sticky, stale;
    std::map<int, int> arrived;  // the swap count when the key last went down
};

// Pointer positions and wheel sums as the game reads them, kept where an int holds them and the
// difference of two of them still fits a script's numbers.
constexpr double kLargestSteps = 1.0e9;
int ClampSteps(double value) { return static_cast<int>(std::clamp(value, -kLargestSteps, kLargestSteps)); }

// The time the game reads: the time the window opened plus the lengths of the frames swapped
// so far, kept in runs of equal frames. A scripted run and the recording of a real one add up
// the same frame times the same way, so both read the very same numbers.
struct FrameClock {
    double start = 0.0;
    double base = 0.0;         // the runs before the current one
    int runFirst = 0;          // the first frame of the current run
    double runTime = 1.0 / 60.0;
    int frames = 0;            // frames ended

    double Now() const { return start + base + (frames - runFirst) * runTime; }
    // Frame `frames` ended after `seconds`.
    void EndFrame(double seconds) {
        if (seconds != runTime) {
            base += (frames - runFirst) * runTime;
            runFirst = frames;
            runTime = seconds;
        }
        ++frames;
    }
};

// The shortest decimal that reads back as exactly `value` (a float's when `asFloat`).
std::string FormatNumber(double value, bool asFloat = false) {
    char text[64];
    for (int digits = asFloat ? 6 : 15; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (asFloat ? std::strtof(text, nullptr) == static_cast<float>(value) : std::strtod(text, nullptr) == value) break;
    }
    return text;
}

// The input of a session as the game reads it, written as script lines while it happens.
struct Recorder {
    std::string events;
    int frames = 0;
    double startTime = 0.0;
    std::vector<ScriptLevel> levels;
    std::vector<int> levelFrames;
    std::vector<BestRun> bestRuns;
    bool complete = true;
    int windowWidth = 0, windowHeight = 0;
    bool fullScreen = false;
    double lastFrameTime = -1.0;
    FrameTimeLines frameTimeLines;  // the frame times in ticks not yet written
    int cursorX = 0, cursorY = 0, wheel = 0;
    bool active = true, padPlugged = false;
    GamepadState pad;

    void Line(int frame, const std::string& text) {
        if (!complete) return;
        events += std::to_string(frame);
        events += ' ';
        events += text;
        events += '\n';
    }
    void Key(int frame, int key, bool down) { Line(frame, std::string(down ? "keydown " : "keyup ") + KeyName(key)); }
    void Button(int frame, int button, bool down) {
        Line(frame, std::string(down ? "buttondown " : "buttonup ") + std::to_string(button));
    }
    // A frame time that is a whole number of ticks goes into a frametimes line (equal ones as
    // TICKS*COUNT); any other (a hand-written script's 1/60) into a frametime line of its own.
    void FrameTime(int frame, double seconds) {
        if (frame >= kMaxScriptFrames) complete = false;
        const double ticks = std::round(seconds * kFrameTimeTicksPerSecond);
        if (ticks >= 1.0 && ticks <= kMaxFrameTimeTicks && ticks / kFrameTimeTicksPerSecond == seconds) {
            if (complete) frameTimeLines.Add(frame, static_cast<long>(ticks), &events);
        } else {
            FlushFrameTimes();
            if (seconds != lastFrameTime) Line(frame, "frametime " + FormatNumber(seconds));
        }
        lastFrameTime = seconds;
    }
    void FlushFrameTimes() {
        if (complete) frameTimeLines.Flush(&events);
    }
    // What the game will read in frame `frame`, against what it read before.
    void Sample(int frame, int x, int y, int wheelNow, bool activeNow, bool plugged, const GamepadState& padNow) {
        static const char* const buttonNames[PAD_BUTTON_COUNT] = {
            "A", "B", "X", "Y", "LB", "RB", "BACK", "START", "GUIDE", "LTHUMB", "RTHUMB",
            "DPAD_UP", "DPAD_RIGHT", "DPAD_DOWN", "DPAD_LEFT"};
        static const char* const axisNames[PAD_AXIS_COUNT] = {"LX", "LY", "RX", "RY", "LT", "RT"};
        if (x != cursorX || y != cursorY) Line(frame, "cursor " + std::to_string(x) + " " + std::to_string(y));
        if (wheelNow != wheel) Line(frame, "wheel " + std::to_string(wheelNow - wheel));
        if (activeNow != active) Line(frame, activeNow ? "focus on" : "focus off");
        if (plugged != padPlugged) {
            Line(frame, plugged ? "padplug" : "padunplug");
            pad = GamepadState{};
        }
        if (plugged) {
            for (int b = 0; b < PAD_BUTTON_COUNT; ++b)
                if (padNow.buttons[b] != pad.buttons[b])
                    Line(frame, std::string(padNow.buttons[b] ? "paddown " : "padup ") + buttonNames[b]);
            for (int a = 0; a < PAD_AXIS_COUNT; ++a)
                if (padNow.axes[a] != pad.axes[a])
                    Line(frame, std::string("padaxis ") + axisNames[a] + " " + FormatNumber(static_cast<double>(padNow.axes[a]), true));
        }
        cursorX = x;
        cursorY = y;
        wheel = wheelNow;
        active = activeNow;
        padPlugged = plugged;
        pad = plugged ? padNow : GamepadState{};
    }
};

// Input replayed from a script instead of the real devices.
struct ScriptedInput {
    InputScript script;
    size_t nextEvent = 0;
    KeyTracker keys;
    KeyTracker buttons;
    std::set<int> buttonsDown;
    int cursorX = 0, cursorY = 0;
    int wheel = 0;
    bool padPlugged = false;
    GamepadState pad;  // at rest while unplugged
    bool focused = true;
    FrameClock clock;
    size_t nextFrameTime = 0;
    // Watching: the wall clock the next frame is due at, the speed, paused.
    bool watched = false;
    double due = 0.0;
    double speed = 1.0;
    bool paused = false;

    // The length of frame `frame` (frames count from 0).
    double FrameTimeOf(int frame) {
        const auto& changes = script.frameTimes;
        while (nextFrameTime < changes.size() && changes[nextFrameTime].first <= frame) ++nextFrameTime;
        return nextFrameTime == 0 ? script.frameTime : changes[nextFrameTime - 1].seconds;
    }

    void DeliverUpTo(int frame, Recorder* recorder) {
        auto& ev = script.events;
        while (nextEvent < ev.size() && ev[nextEvent].frame <= frame) {
            const InputEvent& e = ev[nextEvent++];
            switch (e.type) {
                case InputEvent::KeyDown: keys.Press(e.a, frame); break;
                case InputEvent::KeyUp: keys.Release(e.a); break;
                case InputEvent::ButtonDown: buttonsDown.insert(e.a); buttons.Press(e.a, frame); break;
                case InputEvent::ButtonUp: buttonsDown.erase(e.a); buttons.Release(e.a); break;
                case InputEvent::Focus: focused = e.a != 0; break;
                case InputEvent::CursorTo: cursorX = e.a; cursorY = e.b; break;
                case InputEvent::WheelBy: wheel = ClampSteps(static_cast<double>(wheel) + e.a); break;
                case InputEvent::PadPlug: padPlugged = true; pad = GamepadState{}; break;
                case InputEvent::PadUnplug: padPlugged = false; pad = GamepadState{}; break;
                case InputEvent::PadButtonDown:
                case InputEvent::PadButtonUp:
                    if (padPlugged && e.a >= 0 && e.a < PAD_BUTTON_COUNT)
                        pad.buttons[e.a] = e.type == InputEvent::PadButtonDown;
                    break;
                case InputEvent::PadAxis:
                    if (padPlugged && e.a >= 0 && e.a < PAD_AXIS_COUNT) pad.axes[e.a] = std::clamp(e.value, -1.0f, 1.0f);
                    break;
            }
            if (recorder && (e.type == InputEvent::KeyDown || e.type == InputEvent::KeyUp))
                recorder->Key(frame, e.a, e.type == InputEvent::KeyDown);
            if (recorder && (e.type == InputEvent::ButtonDown || e.type == InputEvent::ButtonUp))
                recorder->Button(frame, e.a, e.type == InputEvent::ButtonDown);
        }
        if (recorder) recorder->Sample(frame, cursorX, cursorY, wheel, focused, padPlugged, pad);
    }
};

// A key or mouse button event of the real window, kept until the next buffer swap hands it to
// the game (so that a frame reads the input of one moment, which its recording can give back).
struct RealEvent {
    bool button;
    int code;
    bool down;
};

struct LibraryState {
    GLFWwindow* window = nullptr;
    int samples = 0;
    double wheel = 0.0;  // GLFW 3 reports scroll offsets; we keep their running sum
    int framesSwapped = 0;
    WindowSizeCallback sizeCallback = nullptr;
    MouseButtonCallback buttonCallback = nullptr;
    const InputScript* pendingScript = nullptr;
    ScriptedInput* scripted = nullptr;  // owned; non-null while a script runs
    KeyTracker keys;                    // real keyboard
    KeyTracker buttons;                 // real mouse buttons
    bool focused = true;                // real window: input focus, not minimised
    bool iconified = false;
    // The real devices as the game reads them: taken at each buffer swap (and when the window
    // opens), so that every read in a frame sees the same input and the same time.
    std::vector<RealEvent> pendingEvents;
    std::set<int> realButtonsDown;
    bool active = true;
    int cursorX = 0, cursorY = 0;
    int wheelSteps = 0;
    bool padPlugged = false;
    GamepadState pad;
    std::string padName;
    FrameClock clock;
    bool clockRunning = false;          // false until the first swap: the time reads live
    double lastTimeRead = 0.0;          // before the first swap: the last time the game read
    long long ticksGiven = 0;           // the frame times handed out so far, in ticks
    long long ticksSkipped = 0;         // real time cut off stalls, in ticks
    bool inputTakenAtSwap = false;      // the last swap handed the game new input
    bool recordNext = false;
    Recorder* recorder = nullptr;       // owned; non-null while a session is recorded
    bool watchNext = false;
    unsigned realSeed = 1;              // the real session's random seed, from the clock at Init
    // Set by every event that may change what the game shows (not by cursor motion), cleared
    // by WaitEvents.
    bool eventsArrived = false;
};

LibraryState g_lib;

void OnSize(GLFWwindow*, int width, int height) {
    g_lib.eventsArrived = true;
    if (g_lib.sizeCallback) g_lib.sizeCallback(width, height);
}
void OnButton(GLFWwindow*, int button, int action, int) {
    g_lib.eventsArrived = true;
    if (g_lib.scripted || (action != GLFW_PRESS && action != GLFW_RELEASE)) return;
    g_lib.pendingEvents.push_back({true, button, action == GLFW_PRESS});
}
void OnFocus(GLFWwindow*, int focused) {
    g_lib.eventsArrived = true;
    g_lib.focused = focused == GLFW_TRUE;
}
void OnIconify(GLFWwindow*, int iconified) {
    g_lib.eventsArrived = true;
    g_lib.iconified = iconified == GLFW_TRUE;
}
void OnScroll(GLFWwindow*, double, double yOffset) {
    g_lib.eventsArrived = true;
    if (ScriptedInput* s = g_lib.scripted; s && s->watched) {
        if (yOffset > 0.0) s->speed = std::min(s->speed * 2.0, 8.0);
        if (yOffset < 0.0) s->speed = std::max(s->speed / 2.0, 0.25);
        return;
    }
    g_lib.wheel += yOffset;
}
// The keys of a watched playback: pause, speed, end.
void WatchKey(int key) {
    ScriptedInput* s = g_lib.scripted;
    if (key == GLFW_KEY_SPACE) s->paused = !s->paused;
    else if (key == GLFW_KEY_KP_ADD || key == GLFW_KEY_EQUAL) s->speed = std::min(s->speed * 2.0, 8.0);
    else if (key == GLFW_KEY_KP_SUBTRACT || key == GLFW_KEY_MINUS) s->speed = std::max(s->speed / 2.0, 0.25);
    else if (key == GLFW_KEY_ESCAPE && g_lib.window) glfwSetWindowShouldClose(g_lib.window, GLFW_TRUE);
}

void OnKey(GLFWwindow*, int key, int, int action, int) {
    g_lib.eventsArrived = true;
    if (g_lib.scripted && g_lib.scripted->watched && action == GLFW_PRESS) WatchKey(key);
    // Repeats change nothing; keys the library cannot name are not the game's.
    if (g_lib.scripted || key < 0 || key > KEY_LAST || (action != GLFW_PRESS && action != GLFW_RELEASE)) return;
    g_lib.pendingEvents.push_back({false, key, action == GLFW_PRESS});
}

// The first joystick with a gamepad mapping; -1 when none.
int FirstGamepad() {
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid)
        if (glfwJoystickIsGamepad(jid) == GLFW_TRUE) return jid;
    return -1;
}

// The real pad now; false (and `state` at rest) when none is plugged in.
bool ReadRealGamepad(GamepadState* state, std::string* name) {
    *state = GamepadState{};
    const int jid = FirstGamepad();
    GLFWgamepadstate pad;
    if (jid < 0 || glfwGetGamepadState(jid, &pad) != GLFW_TRUE) return false;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) state->buttons[b] = pad.buttons[b] == GLFW_PRESS;
    for (int a = 0; a < PAD_AXIS_COUNT; ++a) state->axes[a] = pad.axes[a];
    if (name) {
        const char* padName = glfwGetGamepadName(jid);
        *name = padName ? padName : "";
    }
    return true;
}

bool SamePad(const GamepadState& a, const GamepadState& b) {
    return std::equal(std::begin(a.buttons), std::end(a.buttons), std::begin(b.buttons)) &&
           std::equal(std::begin(a.axes), std::end(a.axes), std::begin(b.axes));
}

// Takes the real devices' state for the frame `frame` (after the events were handed over).
// Returns true when anything the game reads changed.
bool SampleRealDevices(int frame) {
    double dx = 0.0, dy = 0.0;
    glfwGetCursorPos(g_lib.window, &dx, &dy);
    GamepadState pad;
    std::string name;
    const bool plugged = ReadRealGamepad(&pad, &name);
    const int x = ClampSteps(dx), y = ClampSteps(dy);
    const int wheel = ClampSteps(g_lib.wheel);
    const bool active = g_lib.focused && !g_lib.iconified;
    const bool changed = x != g_lib.cursorX || y != g_lib.cursorY || wheel != g_lib.wheelSteps ||
                         active != g_lib.active || plugged != g_lib.padPlugged || !SamePad(pad, g_lib.pad);
    g_lib.cursorX = x;
    g_lib.cursorY = y;
    g_lib.wheelSteps = wheel;
    g_lib.active = active;
    g_lib.padPlugged = plugged;
    g_lib.pad = pad;
    g_lib.padName = name;
    if (g_lib.recorder) g_lib.recorder->Sample(frame, x, y, wheel, active, plugged, pad);
    return changed;
}
// The window's contents were damaged or it is asked to close.
void OnRefresh(GLFWwindow*) { g_lib.eventsArrived = true; }
void OnClose(GLFWwindow*) { g_lib.eventsArrived = true; }
void OnError(int, const char*) {}  // failures surface as return values

}  // namespace

void UseInputScript(const InputScript* script) { g_lib.pendingScript = script; }
int FramesSwapped() { return g_lib.framesSwapped; }
bool InputScriptRunning() { return g_lib.scripted != nullptr; }

const InputScript* RunningInputScript() { return g_lib.scripted ? &g_lib.scripted->script : nullptr; }
void RecordNextSession(bool on) { g_lib.recordNext = on; }
void WatchInputScript(bool on) { g_lib.watchNext = on; }
unsigned RandomSeed() { return g_lib.scripted ? g_lib.scripted->script.seed : g_lib.realSeed; }
double WatchSpeed() { return g_lib.scripted ? g_lib.scripted->speed : 1.0; }
bool Recording() { return g_lib.recorder != nullptr; }

void NoteLevelPlayed(const std::string& name, const std::string& path) {
    Recorder* r = g_lib.recorder;
    if (!r) return;
    for (const ScriptLevel& level : r->levels)
        if (level.name == name) return;
    r->levels.push_back({name, FileChecksum(path)});
    r->levelFrames.push_back(g_lib.framesSwapped);
}

void NoteBestRun(const std::string& level) {
    Recorder* r = g_lib.recorder;
    if (!r) return;
    for (BestRun& best : r->bestRuns)
        if (best.level == level) {
            best.frame = g_lib.framesSwapped;
            return;
        }
    r->bestRuns.push_back({level, g_lib.framesSwapped});
}

Recorded TakeRecording() {
    Recorded recorded;
    if (Recorder* r = g_lib.recorder) {
        r->FlushFrameTimes();
        recorded.events = r->events;
        recorded.levelFrames = r->levelFrames;
        recorded.bestRuns = r->bestRuns;
        recorded.frames = g_lib.framesSwapped;
        recorded.startTime = r->startTime;
        recorded.seed = RandomSeed();
        recorded.windowWidth = r->windowWidth;
        recorded.windowHeight = r->windowHeight;
        recorded.fullScreen = r->fullScreen;
        recorded.levels = r->levels;
        recorded.complete = r->complete && g_lib.framesSwapped <= kMaxScriptFrames;
    }
    return recorded;
}

bool Init() {
    glfwSetErrorCallback(OnError);
    if (g_lib.pendingScript) {
        delete g_lib.scripted;
        g_lib.scripted = new ScriptedInput;
        g_lib.scripted->script = *g_lib.pendingScript;
        g_lib.scripted->watched = g_lib.watchNext;
        std::stable_sort(g_lib.scripted->script.events.begin(), g_lib.scripted->script.events.end(),
                         [](const InputEvent& a, const InputEvent& b) { return a.frame < b.frame; });
    }
    // The X server of these machines (Xvfb 21.1) now and then drops a new connection during
    // its set-up when another client has just gone; the display is fine a moment later.
    bool ok = glfwInit() == GLFW_TRUE;
    for (int retry = 0; !ok && retry < 4; ++retry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        ok = glfwInit() == GLFW_TRUE;
    }
    if (ok && !g_lib.scripted) glfwSetTime(0.0);
    delete g_lib.recorder;
    g_lib.recorder = g_lib.recordNext ? new Recorder : nullptr;
    g_lib.realSeed = static_cast<unsigned>(std::time(nullptr));
    return ok;
}

void Terminate() {
    glfwTerminate();  // also destroys the window and its context
    g_lib.window = nullptr;
    g_lib.sizeCallback = nullptr;
    g_lib.buttonCallback = nullptr;
    g_lib.wheel = 0.0;
    g_lib.keys.Clear();
    g_lib.buttons.Clear();
    g_lib.focused = true;
    g_lib.iconified = false;
    g_lib.eventsArrived = false;
    g_lib.framesSwapped = 0;
    g_lib.samples = 0;
    delete g_lib.scripted;
    g_lib.scripted = nullptr;
    g_lib.pendingScript = nullptr;
    delete g_lib.recorder;
    g_lib.recorder = nullptr;
    g_lib.recordNext = false;
    g_lib.watchNext = false;
    g_lib.pendingEvents.clear();
    g_lib.realButtonsDown.clear();
    g_lib.active = true;
    g_lib.cursorX = g_lib.cursorY = g_lib.wheelSteps = 0;
    g_lib.padPlugged = false;
    g_lib.pad = GamepadState{};
    g_lib.clock = FrameClock{};
    g_lib.clockRunning = false;
    g_lib.lastTimeRead = 0.0;
    g_lib.inputTakenAtSwap = false;
}

void OpenWindowHint(int target, int hint) {
    if (target == FSAA_SAMPLES) g_lib.samples = hint;
}

void GetDesktopMode(VidMode* mode) {
    *mode = VidMode{};
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* vm = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!vm) return;
    mode->width = vm->width;
    mode->height = vm->height;
    mode->redBits = vm->redBits;
    mode->greenBits = vm->greenBits;
    mode->blueBits = vm->blueBits;
}

bool OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode) {
    if (g_lib.window) return false;
    GLFWmonitor* monitor = mode == FULLSCREEN ? glfwGetPrimaryMonitor() : nullptr;
    if (mode == FULLSCREEN && !monitor) return false;
    glfwDefaultWindowHints();
    // Zero colour bits mean "the library's default", as they always did.
    if (redBits > 0) glfwWindowHint(GLFW_RED_BITS, redBits);
    if (greenBits > 0) glfwWindowHint(GLFW_GREEN_BITS, greenBits);
    if (blueBits > 0) glfwWindowHint(GLFW_BLUE_BITS, blueBits);
    if (alphaBits > 0) glfwWindowHint(GLFW_ALPHA_BITS, alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, stencilBits);
    glfwWindowHint(GLFW_SAMPLES, g_lib.samples);
    // A full-screen game must not minimise itself when focus moves to another window.
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    // No version or profile hint: the driver's default (compatibility) context, which the
    // client-array draw mode needs.
    g_lib.window = glfwCreateWindow(width, height, "", monitor, nullptr);
    if (!g_lib.window) return false;
    glfwMakeContextCurrent(g_lib.window);
    // Keys are tracked from their events, so that a tap between two polls still counts once.
    glfwSetKeyCallback(g_lib.window, OnKey);
    // Buttons likewise (instead of the library's sticky buttons, which kept a click for
    // whoever asked next, however much later).
    glfwSetScrollCallback(g_lib.window, OnScroll);
    glfwSetMouseButtonCallback(g_lib.window, OnButton);
    // Focus is followed from its events: the window counts as active until told otherwise.
    g_lib.focused = true;
    g_lib.iconified = false;
    glfwSetWindowFocusCallback(g_lib.window, OnFocus);
    glfwSetWindowIconifyCallback(g_lib.window, OnIconify);
    glfwSetWindowSizeCallback(g_lib.window, OnSize);
    glfwSetWindowRefreshCallback(g_lib.window, OnRefresh);
    glfwSetWindowCloseCallback(g_lib.window, OnClose);
    g_lib.framesSwapped = 0;
    g_lib.eventsArrived = true;  // the first frame is always drawn
    g_lib.pendingEvents.clear();
    g_lib.clockRunning = false;
    if (g_lib.recorder) {
        glfwGetWindowSize(g_lib.window, &g_lib.recorder->windowWidth, &g_lib.recorder->windowHeight);
        g_lib.recorder->fullScreen = glfwGetWindowMonitor(g_lib.window) != nullptr;
    }
    if (g_lib.scripted) {
        glfwSetTime(0.0);
        g_lib.scripted->clock.start = g_lib.scripted->script.startTime;
        if (g_lib.recorder) g_lib.recorder->startTime = g_lib.scripted->script.startTime;
        g_lib.scripted->DeliverUpTo(0, g_lib.recorder);
        g_lib.scripted->due = glfwGetTime();
    } else {
        g_lib.wheel = 0.0;
        g_lib.cursorX = g_lib.cursorY = g_lib.wheelSteps = 0;
        g_lib.active = true;
        g_lib.padPlugged = false;
        g_lib.pad = GamepadState{};
        SampleRealDevices(0);
    }
    return true;
}

void SetWindowPos(int x, int y) {
    // Ignored for a full-screen window, as before.
    if (g_lib.window && !glfwGetWindowMonitor(g_lib.window)) glfwSetWindowPos(g_lib.window, x, y);
}

bool SetWindowMode(int mode, int width, int height) {
    if (!g_lib.window) return false;
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    const GLFWvidmode* desktop = primary ? glfwGetVideoMode(primary) : nullptr;
    if (mode == FULLSCREEN) {
        if (!desktop) return false;
        glfwSetWindowMonitor(g_lib.window, primary, 0, 0, desktop->width, desktop->height, desktop->refreshRate);
    } else {
        const int x = desktop ? (desktop->width - width) / 2 : 0;
        const int y = desktop ? (desktop->height - height) / 2 : 0;
        glfwSetWindowMonitor(g_lib.window, nullptr, x, y, width, height, GLFW_DONT_CARE);
    }
    g_lib.eventsArrived = true;
    return true;
}

bool WindowFullscreen() { return g_lib.window && glfwGetWindowMonitor(g_lib.window) != nullptr; }

void SetWindowTitle(const char* title) {
    if (g_lib.window) glfwSetWindowTitle(g_lib.window, title);
}

void SetWindowSizeCallback(WindowSizeCallback callback) {
    g_lib.sizeCallback = callback;
    if (!g_lib.window) return;
    glfwSetWindowSizeCallback(g_lib.window, OnSize);
    if (callback) {
        int w = 0, h = 0;
        glfwGetWindowSize(g_lib.window, &w, &h);
        callback(w, h);
    }
}

void SetMouseButtonCallback(MouseButtonCallback callback) { g_lib.buttonCallback = callback; }

void Disable(int token) {
    if (token == MOUSE_CURSOR && g_lib.window)
        glfwSetInputMode(g_lib.window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
}

void Enable(int token) {
    if (token == MOUSE_CURSOR && g_lib.window)
        glfwSetInputMode(g_lib.window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
}

int GetWindowParam(int param) {
    if (param != OPENED || !g_lib.window) return 0;
    if (g_lib.scripted && g_lib.framesSwapped >= g_lib.scripted->script.frames) return 0;
    return glfwWindowShouldClose(g_lib.window) ? 0 : 1;
}

void GetWindowSize(int* width, int* height) {
    int w = 0, h = 0;
    if (g_lib.window) glfwGetWindowSize(g_lib.window, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

// A watched playback shows each frame for its time (at the chosen speed), and stands while it is
// paused; the window's own events (the watcher's keys, closing it) are taken meanwhile.
static void WaitForTheClock(ScriptedInput* s, double seconds) {
    s->due += seconds / s->speed;
    for (;;) {
        if (glfwWindowShouldClose(g_lib.window)) return;
        const double now = glfwGetTime();
        if (s->paused) {
            glfwWaitEventsTimeout(0.05);
            s->due = glfwGetTime();
            continue;
        }
        // Drawing slower than the run was played: go on at once, owing no more than a quarter second.
        if (now >= s->due) {
            s->due = std::max(s->due, now - 0.25);
            return;
        }
        glfwWaitEventsTimeout(std::min(s->due - now, 0.05));
    }
}

// The length of the frame that just ended, in whole ticks as a recording writes it and the game
// then reads it: the real clock since the first frame, rounded to a tick, less the ticks handed
// out before, so that rounding never adds up to a drift. A stall longer than a frame may last
// is cut to that, and the time cut off is skipped.
static double RealFrameTime() {
    const double sinceStart = (glfwGetTime() - g_lib.clock.start) * kFrameTimeTicksPerSecond;
    const long long now = std::llround(sinceStart) - g_lib.ticksSkipped;
    long long ticks = now - g_lib.ticksGiven;
    if (ticks > kMaxFrameTimeTicks) {
        g_lib.ticksSkipped += ticks - kMaxFrameTimeTicks;
        ticks = kMaxFrameTimeTicks;
    }
    ticks = std::max(ticks, 1LL);
    g_lib.ticksGiven += ticks;
    return static_cast<double>(ticks) / kFrameTimeTicksPerSecond;
}

void SwapBuffers() {
    if (!g_lib.window) return;
    glfwSwapBuffers(g_lib.window);
    const int ended = g_lib.framesSwapped;
    // Counted first, so that what arrives now is stamped with the frame it is for.
    ++g_lib.framesSwapped;
    glfwPollEvents();
    Recorder* const recorder = g_lib.recorder;
    if (ScriptedInput* s = g_lib.scripted) {
        const double seconds = s->FrameTimeOf(ended);
        if (s->watched) WaitForTheClock(s, seconds);
        s->clock.EndFrame(seconds);
        if (recorder) recorder->FrameTime(ended, seconds);
        std::set<int> buttonsBefore = s->buttonsDown;
        s->DeliverUpTo(g_lib.framesSwapped, recorder);
        // Scripted button presses reach the mouse-button callback like real ones.
        if (g_lib.buttonCallback)
            for (int b : s->buttonsDown)
                if (!buttonsBefore.count(b)) g_lib.buttonCallback(b, PRESS);
        return;
    }
    // The real clock, read once a frame: every read until the next swap gives this time.
    if (!g_lib.clockRunning) {
        g_lib.clockRunning = true;
        g_lib.clock.start = g_lib.lastTimeRead;
        g_lib.ticksGiven = g_lib.ticksSkipped = 0;
        if (recorder) recorder->startTime = g_lib.lastTimeRead;
    }
    const double seconds = RealFrameTime();
    g_lib.clock.EndFrame(seconds);
    if (recorder) recorder->FrameTime(ended, seconds);
    // The events of the last frame reach the game now, in the order they came.
    const int frame = g_lib.framesSwapped;
    std::set<int> buttonsBefore = g_lib.realButtonsDown;
    std::vector<RealEvent> events;
    events.swap(g_lib.pendingEvents);
    for (const RealEvent& e : events) {
        KeyTracker& tracker = e.button ? g_lib.buttons : g_lib.keys;
        if (e.down) tracker.Press(e.code, frame);
        else tracker.Release(e.code);
        if (e.button && e.down) g_lib.realButtonsDown.insert(e.code);
        if (e.button && !e.down) g_lib.realButtonsDown.erase(e.code);
        if (recorder) {
            if (e.button) recorder->Button(frame, e.code, e.down);
            else recorder->Key(frame, e.code, e.down);
        }
    }
    const bool changed = SampleRealDevices(frame);
    g_lib.inputTakenAtSwap = changed || !events.empty();
    // Presses reach the mouse-button callback here, as scripted ones do.
    if (g_lib.buttonCallback)
        for (int b : g_lib.realButtonsDown)
            if (!buttonsBefore.count(b)) g_lib.buttonCallback(b, PRESS);
}

bool WaitEvents(double seconds) {
    if (!g_lib.window || g_lib.scripted) return true;
    // Events the last swap already took in count without waiting for more.
    if (g_lib.eventsArrived || g_lib.inputTakenAtSwap) glfwPollEvents();
    else if (seconds > 0.0) glfwWaitEventsTimeout(seconds);
    else glfwPollEvents();
    // Input reaches the game at a swap: a frame that arrives with new events only brings them
    // in, and the next one (which reads them) is drawn too. A pad is polled: one that changed
    // counts as an event.
    GamepadState pad;
    const bool plugged = ReadRealGamepad(&pad, nullptr);
    const bool padChanged = plugged != g_lib.padPlugged || !SamePad(pad, g_lib.pad);
    const bool arrived = g_lib.eventsArrived || g_lib.inputTakenAtSwap || padChanged;
    g_lib.eventsArrived = false;
    g_lib.inputTakenAtSwap = false;
    return arrived;
}

double GetTime() {
    if (const ScriptedInput* s = g_lib.scripted) return s->clock.Now();
    if (g_lib.clockRunning) return g_lib.clock.Now();
    // Before the first frame ends (loading): the clock as it runs; the first frame begins at
    // the last time read.
    g_lib.lastTimeRead = glfwGetTime();
    return g_lib.lastTimeRead;
}

double GetRealTime() {
    if (const ScriptedInput* s = g_lib.scripted) return s->clock.Now();
    return glfwGetTime();
}

int GetKey(int key) {
    if (ScriptedInput* s = g_lib.scripted) return s->keys.Query(key) ? PRESS : RELEASE;
    if (!g_lib.window) return RELEASE;
    return g_lib.keys.Query(key) ? PRESS : RELEASE;
}

int GetMouseButton(int button) {
    if (ScriptedInput* s = g_lib.scripted) return s->buttons.Query(button) ? PRESS : RELEASE;
    if (!g_lib.window) return RELEASE;
    return g_lib.buttons.Query(button) ? PRESS : RELEASE;
}

void ForgetUnreadPresses() {
    if (ScriptedInput* s = g_lib.scripted) {
        s->keys.ForgetUnread(g_lib.framesSwapped);
        s->buttons.ForgetUnread(g_lib.framesSwapped);
        return;
    }
    g_lib.keys.ForgetUnread(g_lib.framesSwapped);
    g_lib.buttons.ForgetUnread(g_lib.framesSwapped);
}

bool WindowActive() {
    if (const ScriptedInput* s = g_lib.scripted) return s->focused;
    if (!g_lib.window) return true;
    return g_lib.active;
}

bool CursorHidden() {
    return g_lib.window && glfwGetInputMode(g_lib.window, GLFW_CURSOR) == GLFW_CURSOR_DISABLED;
}

void GetMousePos(int* x, int* y) {
    int px = 0, py = 0;
    if (const ScriptedInput* s = g_lib.scripted) {
        px = s->cursorX;
        py = s->cursorY;
    } else if (g_lib.window) {
        px = g_lib.cursorX;
        py = g_lib.cursorY;
    }
    if (x) *x = px;
    if (y) *y = py;
}

int GetMouseWheel() {
    if (const ScriptedInput* s = g_lib.scripted) return s->wheel;
    return g_lib.window ? g_lib.wheelSteps : 0;
}

bool GetGamepad(GamepadState* state) {
    *state = GamepadState{};
    if (const ScriptedInput* s = g_lib.scripted) {
        if (s->padPlugged) *state = s->pad;
        return s->padPlugged;
    }
    if (!g_lib.window || !g_lib.padPlugged) return false;
    *state = g_lib.pad;
    return true;
}

const char* GetGamepadName() {
    if (const ScriptedInput* s = g_lib.scripted) return s->padPlugged ? "Scripted pad" : "";
    return g_lib.padPlugged ? g_lib.padName.c_str() : "";
}

// ---- script text -------------------------------------------------------------------------

int KeyCodeFromName(const std::string& rawName) {
    std::string name;
    for (char c : rawName) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const std::map<std::string, int> named = {
        {"SPACE", KEY_SPACE}, {"ESC", KEY_ESC}, {"ESCAPE", KEY_ESC}, {"ENTER", KEY_ENTER},
        {"TAB", KEY_TAB}, {"BACKSPACE", KEY_BACKSPACE}, {"INSERT", KEY_INSERT}, {"DEL", KEY_DEL},
        {"RIGHT", KEY_RIGHT}, {"LEFT", KEY_LEFT}, {"DOWN", KEY_DOWN}, {"UP", KEY_UP},
        {"PAGEUP", KEY_PAGEUP}, {"PAGEDOWN", KEY_PAGEDOWN}, {"HOME", KEY_HOME}, {"END", KEY_END},
        {"KP_SUBTRACT", KEY_KP_SUBTRACT}, {"KP_ADD", KEY_KP_ADD}, {"LSHIFT", KEY_LSHIFT},
    };
    auto it = named.find(name);
    if (it != named.end()) return it->second;
    if (name.size() == 1 && (std::isalnum(static_cast<unsigned char>(name[0])))) return name[0];
    if (name.size() >= 2 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12) return KEY_F1 + n - 1;
    }
    if (name.size() == 4 && name.compare(0, 3, "KP_") == 0 && std::isdigit(static_cast<unsigned char>(name[3])))
        return KEY_KP_0 + (name[3] - '0');
    if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::atoi(name.c_str());
    return -1;
}

int PadButtonFromName(const std::string& rawName) {
    std::string name;
    for (char c : rawName) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const names[PAD_BUTTON_COUNT] = {
        "A", "B", "X", "Y", "LB", "RB", "BACK", "START", "GUIDE", "LTHUMB", "RTHUMB",
        "DPAD_UP", "DPAD_RIGHT", "DPAD_DOWN", "DPAD_LEFT"};
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b)
        if (name == names[b]) return b;
    return -1;
}

int PadAxisFromName(const std::string& rawName) {
    std::string name;
    for (char c : rawName) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const names[PAD_AXIS_COUNT] = {"LX", "LY", "RX", "RY", "LT", "RT"};
    for (int a = 0; a < PAD_AXIS_COUNT; ++a)
        if (name == names[a]) return a;
    return -1;
}

std::string KeyName(int key) {
    static const std::map<int, std::string> named = {
        {KEY_SPACE, "SPACE"}, {KEY_ESC, "ESC"}, {KEY_ENTER, "ENTER"}, {KEY_TAB, "TAB"},
        {KEY_BACKSPACE, "BACKSPACE"}, {KEY_INSERT, "INSERT"}, {KEY_DEL, "DEL"}, {KEY_RIGHT, "RIGHT"},
        {KEY_LEFT, "LEFT"}, {KEY_DOWN, "DOWN"}, {KEY_UP, "UP"}, {KEY_PAGEUP, "PAGEUP"},
        {KEY_PAGEDOWN, "PAGEDOWN"}, {KEY_HOME, "HOME"}, {KEY_END, "END"}, {KEY_KP_SUBTRACT, "KP_SUBTRACT"},
        {KEY_KP_ADD, "KP_ADD"}, {KEY_LSHIFT, "LSHIFT"},
    };
    const auto it = named.find(key);
    if (it != named.end()) return it->second;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= KEY_F1 && key <= KEY_F12) return "F" + std::to_string(key - KEY_F1 + 1);
    if (key >= KEY_KP_0 && key <= KEY_KP_9) return "KP_" + std::to_string(key - KEY_KP_0);
    // A code: two digits at least, so that it never reads as a digit key.
    return key >= 0 && key < 10 ? "0" + std::to_string(key) : std::to_string(key);
}

std::string FileChecksum(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "";
    std::uint64_t hash = 14695981039346656037ull;
    unsigned char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        for (std::size_t i = 0; i < got; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return "";
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

namespace {

// A record's value in the fewest digits that read back as the very same double.
std::string RecordValue(const std::optional<double>& value) {
    if (!value) return "-";
    char buffer[400];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("-");
}

}  // namespace

std::string RecordingText(const Recorded& recorded, const std::string& version, const std::string& startLevel,
                          int mouseSpeed, bool invertLook, const std::vector<ScriptRecord>* progress) {
    std::string text = "# Tavo: a recorded run (tavo-replay FILE plays it, tavo --replay FILE shows it)\n";
    text += "version " + version + "\n";
    for (const ScriptLevel& level : recorded.levels) text += "level " + level.checksum + " " + level.name + "\n";
    if (!startLevel.empty()) text += "startlevel " + startLevel + "\n";
    text += "seed " + std::to_string(recorded.seed) + "\n";
    if (recorded.windowWidth > 0 && recorded.windowHeight > 0)
        text += "window " + std::to_string(recorded.windowWidth) + " " + std::to_string(recorded.windowHeight) +
                (recorded.fullScreen ? " fullscreen\n" : "\n");
    text += "mousespeed " + std::to_string(mouseSpeed) + "\n";
    text += std::string("invertlook ") + (invertLook ? "yes" : "no") + "\n";
    if (progress) {
        text += "progress\n";
        for (const ScriptRecord& record : *progress)
            text += std::string("record ") + (record.completed ? "yes " : "no ") + RecordValue(record.bestTime) + " " +
                    RecordValue(record.bestLife) + " " + record.level + "\n";
    }
    text += "starttime " + FormatNumber(recorded.startTime) + "\n";
    text += "frames " + std::to_string(std::max(recorded.frames, 1)) + "\n";
    text += recorded.events;
    return text;
}

Recorded CutRecording(const Recorded& recorded, int frames) {
    Recorded cut = recorded;
    cut.frames = std::clamp(frames, 1, std::max(recorded.frames, 1));
    cut.events.clear();
    cut.bestRuns.clear();
    // Every event line starts with its frame.
    std::size_t at = 0;
    while (at < recorded.events.size()) {
        std::size_t end = recorded.events.find('\n', at);
        end = end == std::string::npos ? recorded.events.size() : end + 1;
        if (std::strtol(recorded.events.c_str() + at, nullptr, 10) < cut.frames)
            cut.events.append(recorded.events, at, end - at);
        at = end;
    }
    cut.levels.clear();
    cut.levelFrames.clear();
    for (std::size_t i = 0; i < recorded.levels.size(); ++i) {
        const int loaded = i < recorded.levelFrames.size() ? recorded.levelFrames[i] : 0;
        if (loaded >= cut.frames) continue;
        cut.levels.push_back(recorded.levels[i]);
        cut.levelFrames.push_back(loaded);
    }
    return cut;
}

namespace {

// A whole number from `word` within [low, high]; false for anything else (signs but '-',
// leading junk, trailing junk, overflow).
bool ReadInt(const std::string& word, long low, long high, long* value) {
    if (word.empty() || word.size() > 12) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || word[0] == '+' || std::isspace(static_cast<unsigned char>(word[0]))) return false;
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

// A finite decimal number within [low, high].
bool ReadNumber(const std::string& word, double low, double high, double* value) {
    if (word.empty() || word.size() > 40) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != 'e' && c != 'E' && c != '+')
            return false;
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < low || v > high) return false;
    *value = v;
    return true;
}

// A record's value: `-` for none, else a plain decimal (digits and one point, as the progress
// file writes them) within [low, high].
bool ReadRecordValue(const std::string& word, double low, double high, std::optional<double>* value) {
    if (word == "-") {
        value->reset();
        return true;
    }
    if (word.empty() || word.find_first_not_of("0123456789.") != std::string::npos) return false;
    double v = 0.0;
    const char* last = word.data() + word.size();
    const std::from_chars_result result = std::from_chars(word.data(), last, v, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(v) || v < low || v > high) return false;
    *value = v;
    return true;
}

}  // namespace

InputScript ScriptAfter(const InputScript& script, int framesPlayed) {
    InputScript rest = script;
    rest.startLevel.clear();
    rest.events.clear();
    rest.frameTimes.clear();
    const int cut = std::max(framesPlayed, 0);
    rest.frames = std::max(script.frames - cut, 0);
    // The frame time in force at the cut is the new first one.
    for (const InputScript::FrameTimeChange& change : script.frameTimes) {
        if (change.first <= cut) rest.frameTime = change.seconds;
        else rest.frameTimes.push_back({change.first - cut, change.seconds});
    }
    for (const InputEvent& event : script.events) {
        if (event.frame < cut) continue;
        InputEvent moved = event;
        moved.frame -= cut;
        rest.events.push_back(moved);
    }
    return rest;
}

bool ParseInputScript(const std::string& text, InputScript* script, std::string* error) {
    *script = InputScript{};
    int lineNo = 0;
    std::string line;
    auto fail = [&](const std::string& why) {
        if (error) {
            std::string shown = line.size() > 80 ? line.substr(0, 80) + "..." : line;
            *error = "line " + std::to_string(lineNo) + ": " + why + ": '" + shown + "'";
        }
        return false;
    };
    int lastTimedFrame = -1;  // the last frame a frame-time line named
    std::set<std::string> recordedLevels;  // the levels of the record lines so far
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t endOfLine = text.find('\n', at);
        if (endOfLine == std::string::npos) endOfLine = text.size();
        line = text.substr(at, std::min<std::size_t>(endOfLine - at, 4096));
        ++lineNo;
        if (endOfLine - at > 4096) return fail("line longer than 4096 characters");
        at = endOfLine + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (char c : line) {
            const unsigned char u = static_cast<unsigned char>(c);
            if ((u < 32 && c != '\t') || u == 127) {
                line = "";
                return fail("not a text line (control characters)");
            }
        }
        std::string content = line.substr(0, line.find('#'));
        std::istringstream words(content);
        std::string first;
        if (!(words >> first)) continue;
        // A directive's words, then nothing more.
        auto word = [&]() {
            std::string w;
            words >> w;
            return w;
        };
        auto rest = [&]() {
            std::string r;
            std::getline(words, r);
            const std::size_t b = r.find_first_not_of(" \t"), e = r.find_last_not_of(" \t");
            return b == std::string::npos ? std::string() : r.substr(b, e - b + 1);
        };
        auto done = [&]() { return word().empty(); };
        if (first == "frametime" || first == "starttime") {
            double v = 0.0;
            if (first == "frametime") {
                if (!ReadNumber(word(), kMinFrameTime, kMaxFrameTime, &v))
                    return fail("expected a frame time from 0.0001 to 60 seconds");
                script->frameTime = v;
            } else {
                if (!ReadNumber(word(), 0.0, 1.0e6, &v)) return fail("expected a start time from 0 to 1000000 seconds");
                script->startTime = v;
            }
            if (!done()) return fail("unexpected words after the number");
            continue;
        }
        if (first == "frames") {
            long n = 0;
            if (!ReadInt(word(), 1, kMaxScriptFrames, &n))
                return fail("expected a frame count from 1 to " + std::to_string(kMaxScriptFrames) +
                            " (a day at 60 frames a second)");
            script->frames = static_cast<int>(n);
            if (!done()) return fail("unexpected words after the number");
            continue;
        }
        if (first == "version") {
            script->version = rest();
            if (script->version.empty() || script->version.size() > 64) return fail("expected a version");
            continue;
        }
        if (first == "level") {
            ScriptLevel level;
            level.checksum = word();
            level.name = rest();
            if (level.checksum.size() != 16 ||
                !std::all_of(level.checksum.begin(), level.checksum.end(),
                             [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }))
                return fail("expected a checksum of 16 hex digits and a level name");
            if (level.name.empty() || level.name.size() > 1024) return fail("expected a level name after the checksum");
            if (script->levels.size() >= 1000) return fail("more than 1000 levels");
            script->levels.push_back(level);
            continue;
        }
        if (first == "startlevel") {
            script->startLevel = rest();
            if (script->startLevel.empty() || script->startLevel.size() > 1024) return fail("expected a level file");
            continue;
        }
        if (first == "seed") {
            long n = 0;
            if (!ReadInt(word(), 0, 4294967295L, &n)) return fail("expected a seed from 0 to 4294967295");
            script->seed = static_cast<unsigned>(n);
            if (!done()) return fail("unexpected words after the number");
            continue;
        }
        if (first == "window") {
            long w = 0, h = 0;
            if (!ReadInt(word(), 64, 16384, &w) || !ReadInt(word(), 64, 16384, &h))
                return fail("expected a window width and height from 64 to 16384");
            script->windowWidth = static_cast<int>(w);
            script->windowHeight = static_cast<int>(h);
            const std::string mode = word();
            if (!mode.empty() && mode != "fullscreen") return fail("expected fullscreen or nothing after the size");
            script->fullScreen = mode == "fullscreen";
            if (!done()) return fail("unexpected words after the size");
            continue;
        }
        if (first == "mousespeed") {
            long n = 0;
            if (!ReadInt(word(), 10, 400, &n)) return fail("expected a mouse speed from 10 to 400");
            script->mouseSpeed = static_cast<int>(n);
            script->lookSettingsGiven = true;
            if (!done()) return fail("unexpected words after the number");
            continue;
        }
        if (first == "invertlook") {
            const std::string v = word();
            if (v != "yes" && v != "no") return fail("expected yes or no");
            script->invertLook = v == "yes";
            script->lookSettingsGiven = true;
            if (!done()) return fail("unexpected words after yes or no");
            continue;
        }
        if (first == "progress") {
            if (script->progressGiven) return fail("a second progress line");
            script->progressGiven = true;
            if (!done()) return fail("unexpected words after progress");
            continue;
        }
        if (first == "record") {
            if (!script->progressGiven) return fail("a record line before the progress line");
            ScriptRecord record;
            const std::string completed = word();
            if (completed != "yes" && completed != "no") return fail("expected yes or no (completed) after record");
            record.completed = completed == "yes";
            if (!ReadRecordValue(word(), 0.0, kMaxRecordSeconds, &record.bestTime) ||
                (record.bestTime && *record.bestTime <= 0.0))
                return fail("expected a best time above 0 and at most 999999.99 seconds (such as 23.45), or -");
            if (!ReadRecordValue(word(), 0.0, 1.0, &record.bestLife))
                return fail("expected a best life from 0 to 1 (such as 0.87), or -");
            record.level = rest();
            if (record.level.empty() || record.level.size() > kMaxRecordNameLength ||
                record.level.find_first_of("/=") != std::string::npos)
                return fail("expected a level's file name (no '/' or '=') after the best life");
            if (script->progress.size() >= kMaxScriptRecords)
                return fail("more than " + std::to_string(kMaxScriptRecords) + " records");
            if (!recordedLevels.insert(record.level).second) return fail("a second record of level " + record.level);
            script->progress.push_back(record);
            continue;
        }
        long frame = 0;
        if (!ReadInt(first, 0, kMaxScriptFrames, &frame)) {
            if (!first.empty() && (std::isdigit(static_cast<unsigned char>(first[0])) || first[0] == '-'))
                return fail("expected a frame number from 0 to " + std::to_string(kMaxScriptFrames));
            return fail("unknown directive");
        }
        const int f = static_cast<int>(frame);
        if (script->events.size() >= 10000000) return fail("more than 10 million events");
        const std::string verb = word();
        if (verb.empty()) return fail("missing event");
        if (verb == "frametime") {
            double v = 0.0;
            if (!ReadNumber(word(), kMinFrameTime, kMaxFrameTime, &v))
                return fail("expected a frame time from 0.0001 to 60 seconds");
            if (f <= lastTimedFrame) return fail("frame times must come in frame order");
            script->frameTimes.push_back({f, v});
            lastTimedFrame = f;
        } else if (verb == "frametimes") {
            if (f <= lastTimedFrame) return fail("frame times must come in frame order");
            long long next = f;
            std::string value;
            while (words >> value) {
                const std::size_t star = value.find('*');
                long ticks = 0, count = 1;
                if (!ReadInt(value.substr(0, star), 1, kMaxFrameTimeTicks, &ticks) ||
                    (star != std::string::npos && !ReadInt(value.substr(star + 1), 1, kMaxScriptFrames, &count)))
                    return fail("expected frame times in tenths of a millisecond from 1 to 600000, as TICKS or "
                                "TICKS*FRAMES");
                if (next + count - 1 > kMaxScriptFrames)
                    return fail("frame times past frame " + std::to_string(kMaxScriptFrames));
                // Exactly the time the recorded game read: the nearest double to ticks / 10000.
                const double seconds = static_cast<double>(ticks) / kFrameTimeTicksPerSecond;
                if (script->frameTimes.empty() || script->frameTimes.back().seconds != seconds)
                    script->frameTimes.push_back({static_cast<int>(next), seconds});
                next += count;
            }
            if (next == f) return fail("expected frame times after frametimes");
            lastTimedFrame = static_cast<int>(next - 1);
        } else if (verb == "keydown" || verb == "keyup" || verb == "key" || verb == "tap") {
            const std::string keyName = word();
            const int key = keyName.size() > 12 ? -1 : KeyCodeFromName(keyName);
            if (key < 0 || key > KEY_LAST) return fail("unknown key");
            if (verb == "keydown") script->Add(InputEvent::KeyDown, f, key);
            else if (verb == "keyup") script->Add(InputEvent::KeyUp, f, key);
            else if (verb == "key") script->Key(f, key);
            else script->Tap(f, key);
        } else if (verb == "buttondown" || verb == "buttonup") {
            long n = 0;
            if (!ReadInt(word(), 0, 7, &n)) return fail("expected a mouse button from 0 to 7");
            script->Add(verb == "buttondown" ? InputEvent::ButtonDown : InputEvent::ButtonUp, f, static_cast<int>(n));
        } else if (verb == "wheel") {
            long n = 0;
            if (!ReadInt(word(), -2000000000, 2000000000, &n))
                return fail("expected wheel steps from -2000000000 to 2000000000");
            script->Add(InputEvent::WheelBy, f, static_cast<int>(n));
        } else if (verb == "padplug" || verb == "padunplug") {
            script->Add(verb == "padplug" ? InputEvent::PadPlug : InputEvent::PadUnplug, f, 0);
        } else if (verb == "paddown" || verb == "padup" || verb == "pad") {
            const int button = PadButtonFromName(word());
            if (button < 0) return fail("unknown pad button");
            if (verb == "pad") script->PadButton(f, button);
            else script->Add(verb == "paddown" ? InputEvent::PadButtonDown : InputEvent::PadButtonUp, f, button);
        } else if (verb == "padaxis") {
            const int axis = PadAxisFromName(word());
            if (axis < 0) return fail("unknown pad axis");
            double value = 0.0;
            const std::string position = word();
            if (!ReadNumber(position, -1.0, 1.0, &value)) return fail("expected a position from -1 to 1");
            // As a float directly: a recording writes the pad's float in 9 digits.
            script->PadAxis(f, axis, std::clamp(std::strtof(position.c_str(), nullptr), -1.0f, 1.0f));
        } else if (verb == "focus") {
            const std::string state = word();
            if (state != "on" && state != "off") return fail("expected on or off");
            script->Add(InputEvent::Focus, f, state == "on" ? 1 : 0);
        } else if (verb == "cursor") {
            long x = 0, y = 0;
            if (!ReadInt(word(), -2000000000, 2000000000, &x) || !ReadInt(word(), -2000000000, 2000000000, &y))
                return fail("expected x and y from -2000000000 to 2000000000");
            script->Add(InputEvent::CursorTo, f, static_cast<int>(x), static_cast<int>(y));
        } else {
            return fail("unknown event");
        }
        if (!done()) return fail("unexpected words after the event");
    }
    return true;
}

}  // namespace wl
