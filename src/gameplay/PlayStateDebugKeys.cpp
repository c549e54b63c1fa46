// The play state's debug keys, handled first thing in every play-state update. Each acts once
// per press and reports itself on standard output.
#include <iostream>

#include "gameplay/PlayState.h"
#include "platform/WindowLibrary.h"
#include "services/InputManager.h"

namespace {

// Flips a setting and prints its name followed by "enabled" or "disabled".
void Toggle(bool& setting, const char* name) {
    setting = !setting;
    std::cout << name << (setting ? "enabled" : "disabled") << std::endl;
}

}  // namespace

void CPlayState::HandlePlayStateKeys(CInputManager* input) {
    if (input->KeyHit(wl::KEY_END)) {
        if (cameras.active == cameras.freeCamera.get()) {
            cameras.active = cameras.playerCamera.get();
            std::cout << "Now controlling the player camera" << std::endl;
        } else {
            cameras.active = cameras.freeCamera.get();
            std::cout << "Now controlling the free camera" << std::endl;
        }
    }
    if (input->KeyHit(wl::KEY_INSERT)) Toggle(debug.gizmoDrawing, "Gizmo Drawing ");
    if (input->KeyHit(wl::KEY_F7)) Toggle(debug.physicsPass, "Physics pass ");
    if (input->KeyHit(wl::KEY_F10)) Toggle(debug.physicsDebugging, "Physics Debugging ");
    if (input->KeyHit(wl::KEY_F9)) Toggle(debug.transparency, "Transparency ");
    if (input->KeyHit(wl::KEY_F8)) Toggle(debug.frustumCulling, "Frustum culling ");
    if (input->KeyHit(wl::KEY_PAGEUP)) Toggle(debug.backfaceCulling, "Backface Culling ");
    if (input->KeyHit('P')) {
        // Not a toggle: the next update steps the physics once if the physics pass is off.
        debug.singlePhysicsStep = true;
        std::cout << "PhsyStep" << std::endl;
    }
    if (input->KeyHit('L')) Toggle(debug.lightDamage, "Light damage ");
    if (input->KeyHit('T')) Toggle(debug.projectiveTexturing, "Projective Texturing ");
}
