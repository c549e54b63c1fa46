#pragma once
// The game's window library: the small set of window, input and timer calls the game makes,
// in the classic single-window style (one window, callbacks without a window argument,
// integer mouse and wheel positions). It is implemented on GLFW 3; nothing outside
// src/platform includes GLFW.
//
// The same calls can also run from a script (see InputScript.h): time advances by a fixed
// step per buffer swap and keys, buttons, cursor and wheel come from a list of events by
// frame number. The real game loop runs unchanged on it, which is how tests drive the game.

namespace wl {

// Key codes are GLFW 3's (printable keys are their upper-case character codes).
enum Key : int {
    KEY_SPACE = 32,
    KEY_ESC = 256,
    KEY_ENTER = 257,
    KEY_TAB = 258,
    KEY_BACKSPACE = 259,
    KEY_INSERT = 260,
    KEY_DEL = 261,
    KEY_RIGHT = 262,
    KEY_LEFT = 263,
    KEY_DOWN = 264,
    KEY_UP = 265,
    KEY_PAGEUP = 266,
    KEY_PAGEDOWN = 267,
    KEY_HOME = 268,
    KEY_END = 269,
    KEY_F1 = 290,
    KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6, KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_F11, KEY_F12,
    KEY_KP_0 = 320,
    KEY_KP_1, KEY_KP_2, KEY_KP_3, KEY_KP_4, KEY_KP_5, KEY_KP_6, KEY_KP_7, KEY_KP_8, KEY_KP_9,
    KEY_KP_SUBTRACT = 333,
    KEY_KP_ADD = 334,
    KEY_LSHIFT = 340,
    KEY_LAST = 348,
};

enum MouseButton : int { MOUSE_BUTTON_LEFT = 0, MOUSE_BUTTON_RIGHT = 1, MOUSE_BUTTON_MIDDLE = 2 };

enum : int { RELEASE = 0, PRESS = 1 };
enum : int { WINDOW = 0x00010001, FULLSCREEN = 0x00010002 };
enum : int { OPENED = 0x00020001 };            // window parameter
enum : int { MOUSE_CURSOR = 0x00030001 };      // for Disable
enum : int { FSAA_SAMPLES = 0x0002100E };      // window hint

struct VidMode {
    int width = 0, height = 0;
    int redBits = 0, greenBits = 0, blueBits = 0;
};

// Gamepads in the standard layout of GLFW 3.3's gamepad mappings (an Xbox-style pad: A at the
// bottom of the four face buttons, B right, X left, Y top); the numbers are GLFW's.
enum GamepadButton : int {
    PAD_A = 0, PAD_B, PAD_X, PAD_Y, PAD_LB, PAD_RB, PAD_BACK, PAD_START, PAD_GUIDE,
    PAD_LEFT_THUMB, PAD_RIGHT_THUMB, PAD_DPAD_UP, PAD_DPAD_RIGHT, PAD_DPAD_DOWN, PAD_DPAD_LEFT,
    PAD_BUTTON_COUNT
};
// Sticks run from -1 to 1 with +y down (pushing a stick forward gives -1); triggers from -1
// (released) to 1.
enum GamepadAxis : int {
    PAD_LEFT_X = 0, PAD_LEFT_Y, PAD_RIGHT_X, PAD_RIGHT_Y, PAD_LEFT_TRIGGER, PAD_RIGHT_TRIGGER,
    PAD_AXIS_COUNT
};

struct GamepadState {
    bool buttons[PAD_BUTTON_COUNT] = {};
    float axes[PAD_AXIS_COUNT] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f};
};

using WindowSizeCallback = void (*)(int width, int height);
using MouseButtonCallback = void (*)(int button, int action);

// Returns true on success. A failure shows up again as a failing OpenWindow.
bool Init();
void Terminate();
void OpenWindowHint(int target, int hint);
void GetDesktopMode(VidMode* mode);
// Returns true when the window (and its GL context, made current) is open.
bool OpenWindow(int width, int height, int redBits, int greenBits, int blueBits, int alphaBits,
                int depthBits, int stencilBits, int mode);
void SetWindowPos(int x, int y);
// Switches the open window, keeping its GL context: FULLSCREEN covers the primary monitor at
// its desktop mode, WINDOW makes it a window of width x height centred on the desktop. The
// size callback follows with the new size. False (and nothing changed) without a window or,
// for FULLSCREEN, without a monitor.
bool SetWindowMode(int mode, int width, int height);
// True while the window covers a monitor.
bool WindowFullscreen();
void SetWindowTitle(const char* title);
// Like the classic library, installing the size callback calls it once with the current size.
void SetWindowSizeCallback(WindowSizeCallback callback);
void SetMouseButtonCallback(MouseButtonCallback callback);
void Disable(int token);
void Enable(int token);  // MOUSE_CURSOR: shown and free again
int GetWindowParam(int param);
void GetWindowSize(int* width, int* height);
// Presents the frame and processes pending window and input events (callbacks run here).
void SwapBuffers();
// Processes window and input events, waiting up to `seconds` for one when none is pending,
// for screens that change only when the player does something. Returns true when an event
// that may change what the game shows arrived since the last call (keys, mouse buttons, the
// wheel, a resize, a redraw request, focus, close; cursor motion alone does not count): the
// caller then draws a frame, otherwise the last one stays on screen. The first call after a
// window opens returns true. Under an input script it never waits and returns true, so
// scripted runs draw every frame at their fixed time.
bool WaitEvents(double seconds);
// Seconds since Init, as the game plays them: read once a frame (at each buffer swap), so every
// read in a frame gives the same time; before the first swap the clock as it runs. Under an
// input script, the script's time.
double GetTime();
// The clock as it runs, for measuring how long something took (loading); under an input
// script the script's time like GetTime. Play never depends on it.
double GetRealTime();
int GetKey(int key);
int GetMouseButton(int button);
void GetMousePos(int* x, int* y);
int GetMouseWheel();
// The first plugged-in joystick that has a gamepad mapping, read now; false (and `state` at
// rest) when there is none. A pad plugged in or out is seen at the next call.
bool GetGamepad(GamepadState* state);
// The name of the pad GetGamepad reads, or "" when none is plugged in.
const char* GetGamepadName();
// Called once per frame after the buffer swap: presses (keys and mouse buttons) that were there
// for the frame just ended and that no GetKey / GetMouseButton call read are forgotten. A tap
// no longer counts, and a key still held reads as up until it is released and pressed again.
void ForgetUnreadPresses();
// False while the window has lost the input focus or is minimised (in a scripted run: while
// the script says so). Without a window: true.
bool WindowActive();
// True while the window has the mouse pointer hidden and captured (Disable(MOUSE_CURSOR)).
bool CursorHidden();

}  // namespace wl
