// The global debug keys, handled once per frame before the current state updates.

#include <iostream>

#include "game/GameImpl.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/TextureManager.h"
#include "services/InputManager.h"

namespace {

const char* OnOff(bool on) { return on ? "enabled" : "disabled"; }

void PrintCommandList() {
    static const char* const lines[] = {
        "Some game commands:",
        "F2 - Show FPS and render stats (each frame)",
        "F3 - Toggle wireframe mode",
        "F4 - Toggle texture filter mode (NEAREST/LINEAR)",
        "F5 - Toggle MipMap quality (OFF/NEAREST/LINEAR)",
        "F6 - Toggle use of VBOs/direct vertex arrays",
        "F7 - Toggle physics (player can not move anymore)",
        "F8 - Toggle frustum culling",
        "F9 - Toggle transparency (HUD)",
        "F10 - Draw physics info (possibly SLOW, depending on current debug flags :P)",
        "F11 - Toggle anisotropic filtering modes",
        "F12 - Save screenshot",
        "BACKSPACE - Reset player to start",
        "END - Toggle free-fly/anchored camera",
        "INSERT - Draw object gizmos/bounding boxes",
        "POS1/HOME - Reload all shaders",
        "PGUP - Toggle backface culling",
        "L - Disable sunlight damage for player",
        "P - Single-Step physics (when physics disabled)",
    };
    for (const char* line : lines) std::cout << line << std::endl;
}

}  // namespace

void CGameImpl::HandleGlobalKeys() {
    CInputManager& input = *inputManager;
    if (input.KeyHit(wl::KEY_F1)) PrintCommandList();
    if (input.KeyHit(wl::KEY_F2)) {
        showFrameStatsEachSecond = !showFrameStatsEachSecond;
        std::cout << "FPS each frame: " << OnOff(showFrameStatsEachSecond) << std::endl;
    }
    if (input.KeyHit(wl::KEY_F3)) {
        wireframe = !wireframe;
        SetWireframe(wireframe);
        std::cout << "Wireframe drawing " << OnOff(wireframe) << std::endl;
    }
    if (input.KeyHit(wl::KEY_F4)) {
        renderer->textureFilter = renderer->textureFilter == 0 ? 1 : 0;
        std::cout << (renderer->textureFilter == 1 ? "Now using LINEAR texture filtering"
                                                   : "Now using NEAREST texture filtering")
                  << std::endl;
        UpdateTextureFilters(*textureManager, *renderer);
    }
    if (input.KeyHit(wl::KEY_F5)) {
        renderer->mipmapMode = renderer->mipmapMode == 0 ? 1 : renderer->mipmapMode == 1 ? 2 : 0;
        static const char* const names[] = {"Now using NO MipMapping", "Now using NEAREST MipMapping",
                                            "Now using LINEAR MipMapping"};
        std::cout << names[renderer->mipmapMode] << std::endl;
        UpdateTextureFilters(*textureManager, *renderer);
    }
    if (input.KeyHit(wl::KEY_F6)) {
        renderer->useVBOs = !renderer->useVBOs;
        std::cout << "VBOs " << OnOff(renderer->useVBOs) << std::endl;
    }
    if (input.KeyHit(wl::KEY_F11)) {
        if (renderer->maxAnisotropy > renderer->anisotropy) renderer->anisotropy *= 2.0f;
        else renderer->anisotropy = 1.0f;
        std::cout << "Now using " << renderer->anisotropy << "x anisotropic filtering" << std::endl;
        UpdateTextureFilters(*textureManager, *renderer);
    }
    if (input.KeyHit(wl::KEY_F12)) {
        // The screenshot shows the last frame; one that was not drawn is drawn now from the
        // same state, exactly as the loop would have drawn it.
        if (!lastFrameDrawn) DrawFrame();
        if (!SaveScreenshot().empty()) std::cout << "Screenshot saved in game dir" << std::endl;
    }
    if (input.KeyHit(wl::KEY_HOME)) ReloadShaderPrograms();
}
