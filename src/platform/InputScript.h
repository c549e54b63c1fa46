#pragma once
// Scripted input for the window library: a fixed frame time and a list of input events by
// frame number. Frame 0 is the first frame of the main loop; the events of frame N are
// delivered inside the N-th buffer swap, i.e. they are visible to frame N, as real events
// processed during the previous swap would be. After the last frame the window reports
// itself closed, so the main loop ends as if the user had closed it.
//
// A real window (and GL context) is still opened, so scripted runs render for real; only
// time and input come from the script.

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

struct InputScript {
    double frameTime = 1.0 / 60.0;
    // Timer value when the window opens; loading time as the game will see it.
    double startTime = 0.0;
    // The window closes after this many frames (buffer swaps).
    int frames = 1;
    std::vector<InputEvent> events;

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
// True while a script drives the window library (between Init and Terminate).
bool InputScriptRunning();
// Number of buffer swaps since the window opened (scripted or real).
int FramesSwapped();

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
// scripted pad reads as plugged in from its padplug on. Returns false and fills `error` with
// the line at fault.
bool ParseInputScript(const std::string& text, InputScript* script, std::string* error);
// Key code for a key name, or -1.
int KeyCodeFromName(const std::string& name);
// Pad button or pad axis for its name in a script, or -1.
int PadButtonFromName(const std::string& name);
int PadAxisFromName(const std::string& name);

}  // namespace wl
