#include "game/InputManager.h"

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

void CInputManager::Update() {
    // A press nothing asked for in its frame must not act on a later screen.
    wl::ForgetUnreadPresses();
    for (auto it = heldKeys.begin(); it != heldKeys.end();) {
        if (wl::GetKey(*it) != wl::PRESS) it = heldKeys.erase(it);
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
}
