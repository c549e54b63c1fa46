#include "services/InputManager.h"

#include <iostream>

#include "platform/WindowLibrary.h"

CInputManager::CInputManager() {
    // Without an open window (the usual case at construction) the library reports zeros.
    lastWheel = wl::GetMouseWheel();
    wl::GetMousePos(&lastMouseX, &lastMouseY);
}

bool CInputManager::KeyHit(int key) {
    if (heldKeys.count(key)) return false;
    if (wl::GetKey(key) != wl::PRESS) return false;
    heldKeys.insert(key);
    return true;
}

bool CInputManager::ButtonHit(int button) {
    if (heldButtons.count(button)) return false;
    if (wl::GetMouseButton(button) != wl::PRESS) return false;
    heldButtons.insert(button);
    return true;
}

bool CInputManager::PadHit(int button) {
    if (button < 0 || button >= wl::PAD_BUTTON_COUNT || heldPadButtons.count(button)) return false;
    wl::GamepadState pad;
    if (!wl::GetGamepad(&pad) || !pad.buttons[button]) return false;
    heldPadButtons.insert(button);
    return true;
}

void CInputManager::UpdatePad() {
    wl::GamepadState pad;
    const bool connected = wl::GetGamepad(&pad);
    if (connected != padConnected) {
        // Play goes on either way: a pad pulled out leaves the keyboard and mouse in control.
        if (connected) std::cout << "Gamepad connected: " << wl::GetGamepadName() << std::endl;
        else std::cout << "Gamepad disconnected: keyboard and mouse only" << std::endl;
        padConnected = connected;
    }
    for (auto it = heldPadButtons.begin(); it != heldPadButtons.end();) {
        if (!pad.buttons[*it]) it = heldPadButtons.erase(it);
        else ++it;
    }
    // As with keys, a press nobody asked for must not act on a later screen. A pad is polled, so
    // a button first seen down here gets the next frame to be read; still down and unread after
    // that, it counts as held until it is released and pressed again.
    for (int button = 0; button < wl::PAD_BUTTON_COUNT; ++button) {
        if (pad.buttons[button] && padButtonsSeenDown[static_cast<size_t>(button)]) heldPadButtons.insert(button);
        padButtonsSeenDown[static_cast<size_t>(button)] = pad.buttons[button];
    }
}

void CInputManager::Update() {
    // A press nothing asked for in its frame must not act on a later screen.
    wl::ForgetUnreadPresses();
    for (auto it = heldKeys.begin(); it != heldKeys.end();) {
        if (wl::GetKey(*it) != wl::PRESS) it = heldKeys.erase(it);
        else ++it;
    }
    for (auto it = heldButtons.begin(); it != heldButtons.end();) {
        if (wl::GetMouseButton(*it) != wl::PRESS) it = heldButtons.erase(it);
        else ++it;
    }
    const int wheel = wl::GetMouseWheel();
    wheelDelta = wheel - lastWheel;
    lastWheel = wheel;
    int x = 0, y = 0;
    wl::GetMousePos(&x, &y);
    mouseDeltaX = x - lastMouseX;
    mouseDeltaY = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    UpdatePad();
}
