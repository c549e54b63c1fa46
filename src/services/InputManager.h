#pragma once
// Turns the window library's key-is-down state into one-time key presses, and measures the
// mouse and wheel movement of each frame.

#include <array>
#include <set>

#include "platform/WindowLibrary.h"

class CInputManager {
public:
    CInputManager();

    // True exactly once per press. The held set is shared by every caller, so a press one
    // caller consumed reads as "not hit" for all others until the key is released.
    bool KeyHit(int key);
    // The same for a pad button (wl::PAD_START, ...): true once per press of the pad's button.
    bool PadHit(int button);
    // The same for a mouse button (wl::MOUSE_BUTTON_LEFT, ...).
    bool ButtonHit(int button);
    // Once per frame, at its end (after the buffer swap): forget released keys and the presses
    // nobody read during the frame, and take the mouse and wheel deltas.
    void Update();

    std::set<int> heldKeys;
    std::set<int> heldButtons;  // mouse buttons
    int wheelDelta = 0;
    int lastWheel = 0;
    int mouseDeltaX = 0;
    int mouseDeltaY = 0;
    int lastMouseX = 0;
    int lastMouseY = 0;
    std::set<int> heldPadButtons;
    std::array<bool, wl::PAD_BUTTON_COUNT> padButtonsSeenDown{};  // down at the last Update
    bool padConnected = false;  // a pad was plugged in at the last Update

private:
    // Takes a pad plugged in, or lets one go that was pulled out, with one line each.
    void UpdatePad();
};
