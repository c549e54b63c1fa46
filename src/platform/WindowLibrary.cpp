#include "platform/WindowLibrary.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <thread>

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

    void DeliverUpTo(int frame) {
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
                case InputEvent::WheelBy: wheel += e.a; break;
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
        }
    }
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
    if (action == GLFW_PRESS) g_lib.buttons.Press(button, g_lib.framesSwapped);
    else if (action == GLFW_RELEASE) g_lib.buttons.Release(button);
    if (g_lib.buttonCallback && !g_lib.scripted) g_lib.buttonCallback(button, action);
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
    g_lib.wheel += yOffset;
}
void OnKey(GLFWwindow*, int key, int, int action, int) {
    g_lib.eventsArrived = true;
    if (action == GLFW_PRESS) g_lib.keys.Press(key, g_lib.framesSwapped);
    else if (action == GLFW_RELEASE) g_lib.keys.Release(key);
}
// The window's contents were damaged or it is asked to close.
void OnRefresh(GLFWwindow*) { g_lib.eventsArrived = true; }
void OnClose(GLFWwindow*) { g_lib.eventsArrived = true; }
void OnError(int, const char*) {}  // failures surface as return values

}  // namespace

void UseInputScript(const InputScript* script) { g_lib.pendingScript = script; }
int FramesSwapped() { return g_lib.framesSwapped; }
bool InputScriptRunning() { return g_lib.scripted != nullptr; }

bool Init() {
    glfwSetErrorCallback(OnError);
    if (g_lib.pendingScript) {
        delete g_lib.scripted;
        g_lib.scripted = new ScriptedInput;
        g_lib.scripted->script = *g_lib.pendingScript;
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
    if (g_lib.scripted) {
        glfwSetTime(0.0);
        g_lib.scripted->DeliverUpTo(0);
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

void SwapBuffers() {
    if (!g_lib.window) return;
    glfwSwapBuffers(g_lib.window);
    // Counted first, so that what arrives now is stamped with the frame it is for.
    ++g_lib.framesSwapped;
    glfwPollEvents();
    if (ScriptedInput* s = g_lib.scripted) {
        std::set<int> buttonsBefore = s->buttonsDown;
        s->DeliverUpTo(g_lib.framesSwapped);
        // Scripted button presses reach the mouse-button callback like real ones.
        if (g_lib.buttonCallback)
            for (int b : s->buttonsDown)
                if (!buttonsBefore.count(b)) g_lib.buttonCallback(b, PRESS);
    }
}

bool WaitEvents(double seconds) {
    if (!g_lib.window || g_lib.scripted) return true;
    // Events the last swap already took in count without waiting for more.
    if (g_lib.eventsArrived) glfwPollEvents();
    else if (seconds > 0.0) glfwWaitEventsTimeout(seconds);
    else glfwPollEvents();
    const bool arrived = g_lib.eventsArrived;
    g_lib.eventsArrived = false;
    return arrived;
}

double GetTime() {
    if (const ScriptedInput* s = g_lib.scripted)
        return s->script.startTime + g_lib.framesSwapped * s->script.frameTime;
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
    return g_lib.focused && !g_lib.iconified;
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
        double dx = 0.0, dy = 0.0;
        glfwGetCursorPos(g_lib.window, &dx, &dy);
        px = static_cast<int>(dx);
        py = static_cast<int>(dy);
    }
    if (x) *x = px;
    if (y) *y = py;
}

int GetMouseWheel() {
    if (const ScriptedInput* s = g_lib.scripted) return s->wheel;
    return static_cast<int>(g_lib.wheel);
}

// The first joystick with a gamepad mapping; -1 when none.
static int FirstGamepad() {
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid)
        if (glfwJoystickIsGamepad(jid) == GLFW_TRUE) return jid;
    return -1;
}

bool GetGamepad(GamepadState* state) {
    *state = GamepadState{};
    if (const ScriptedInput* s = g_lib.scripted) {
        if (s->padPlugged) *state = s->pad;
        return s->padPlugged;
    }
    const int jid = FirstGamepad();
    GLFWgamepadstate pad;
    if (jid < 0 || glfwGetGamepadState(jid, &pad) != GLFW_TRUE) return false;
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b) state->buttons[b] = pad.buttons[b] == GLFW_PRESS;
    for (int a = 0; a < PAD_AXIS_COUNT; ++a) state->axes[a] = pad.axes[a];
    return true;
}

const char* GetGamepadName() {
    if (const ScriptedInput* s = g_lib.scripted) return s->padPlugged ? "Scripted pad" : "";
    const int jid = FirstGamepad();
    const char* name = jid < 0 ? nullptr : glfwGetGamepadName(jid);
    return name ? name : "";
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

bool ParseInputScript(const std::string& text, InputScript* script, std::string* error) {
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    *script = InputScript{};
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(lineNo) + ": " + why + ": '" + line + "'";
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNo;
        std::string content = line.substr(0, line.find('#'));
        std::istringstream words(content);
        std::string first;
        if (!(words >> first)) continue;
        if (first == "frametime" || first == "starttime") {
            double v;
            if (!(words >> v) || v < 0.0) return fail("expected a non-negative number of seconds");
            (first == "frametime" ? script->frameTime : script->startTime) = v;
            continue;
        }
        if (first == "frames") {
            if (!(words >> script->frames) || script->frames < 1) return fail("expected a frame count");
            continue;
        }
        char* end = nullptr;
        long frame = std::strtol(first.c_str(), &end, 10);
        if (*end != '\0' || frame < 0) return fail("expected a frame number or a setting");
        std::string verb;
        if (!(words >> verb)) return fail("missing event");
        int f = static_cast<int>(frame);
        if (verb == "keydown" || verb == "keyup" || verb == "key" || verb == "tap") {
            std::string keyName;
            words >> keyName;
            int key = KeyCodeFromName(keyName);
            if (key < 0) return fail("unknown key");
            if (verb == "keydown") script->Add(InputEvent::KeyDown, f, key);
            else if (verb == "keyup") script->Add(InputEvent::KeyUp, f, key);
            else if (verb == "key") script->Key(f, key);
            else script->Tap(f, key);
        } else if (verb == "buttondown" || verb == "buttonup" || verb == "wheel") {
            int n;
            if (!(words >> n)) return fail("expected a number");
            script->Add(verb == "buttondown" ? InputEvent::ButtonDown
                        : verb == "buttonup" ? InputEvent::ButtonUp : InputEvent::WheelBy, f, n);
        } else if (verb == "padplug" || verb == "padunplug") {
            script->Add(verb == "padplug" ? InputEvent::PadPlug : InputEvent::PadUnplug, f, 0);
        } else if (verb == "paddown" || verb == "padup" || verb == "pad") {
            std::string buttonName;
            words >> buttonName;
            const int button = PadButtonFromName(buttonName);
            if (button < 0) return fail("unknown pad button");
            if (verb == "pad") script->PadButton(f, button);
            else script->Add(verb == "paddown" ? InputEvent::PadButtonDown : InputEvent::PadButtonUp, f, button);
        } else if (verb == "padaxis") {
            std::string axisName;
            float value = 0.0f;
            words >> axisName;
            const int axis = PadAxisFromName(axisName);
            if (axis < 0) return fail("unknown pad axis");
            if (!(words >> value) || !(value >= -1.0f && value <= 1.0f)) return fail("expected a position from -1 to 1");
            script->PadAxis(f, axis, value);
        } else if (verb == "focus") {
            std::string state;
            words >> state;
            if (state != "on" && state != "off") return fail("expected on or off");
            script->Add(InputEvent::Focus, f, state == "on" ? 1 : 0);
        } else if (verb == "cursor") {
            int x, y;
            if (!(words >> x >> y)) return fail("expected x and y");
            script->Add(InputEvent::CursorTo, f, x, y);
        } else {
            return fail("unknown event");
        }
    }
    return true;
}

}  // namespace wl
