#pragma once
// Turns the window library's key-is-down state into one-time key presses, and measures the
// mouse and wheel movement of each frame.

#include <set>

class CInputManager {
public:
    CInputManager();

    // True exactly once per press. The held set is shared by every caller, so a press one
    // caller consumed reads as "not hit" for all others until the key is released.
    bool KeyHit(int key);
    // Once per frame, at its end (after the buffer swap): forget released keys and the presses
    // nobody read during the frame, and take the mouse and wheel deltas.
    void Update();

    std::set<int> heldKeys;
    int wheelDelta = 0;
    int lastWheel = 0;
    int mouseDeltaX = 0;
    int mouseDeltaY = 0;
    int lastMouseX = 0;
    int lastMouseY = 0;
};
