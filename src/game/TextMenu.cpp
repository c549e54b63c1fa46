#include "game/TextMenu.h"

#include <cmath>

#include "platform/WindowLibrary.h"
#include "render/TextRenderer.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/Window.h"

float TextMenuRowTop(const TextMenuLayout& layout, int row, float height) {
    return (layout.firstTop + static_cast<float>(row) * layout.rowPitch) * height;
}

int TextMenuRowAt(const TextMenuLayout& layout, int rows, float y, float height) {
    if (height <= 0.0f || rows <= 0) return -1;
    const float first = TextMenuRowTop(layout, 0, height);
    const float pitch = layout.rowPitch * height;
    if (y < first || pitch <= 0.0f) return -1;
    const int row = static_cast<int>(std::floor((y - first) / pitch));
    return row < rows ? row : -1;
}

TextMenuPointer ReadTextMenuPointer(CGame* game) {
    TextMenuPointer pointer;
    CInputManager* input = game->GetInputManager();
    pointer.clicked = input->ButtonHit(wl::MOUSE_BUTTON_LEFT);
    pointer.shown = !wl::CursorHidden();
    wl::GetMousePos(&pointer.x, &pointer.y);
    wl::GetWindowSize(&pointer.width, &pointer.height);
    pointer.moved = input->mouseDeltaX != 0 || input->mouseDeltaY != 0;
    return pointer;
}

void DrawMenuText(CGame* game, const std::string& text, float x, float y, float pixelHeight, TextAlign align,
                  bool highlighted) {
    CTextRenderer* writer = game->GetText();
    if (!writer || !writer->Ready()) return;
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    if (width <= 0 || height <= 0) return;
    // The window may have changed size (or gone full screen) since the last line.
    writer->SetScreenSize(width, height);
    writer->DrawText(*game->GetRenderer(), game->GetShader(ShaderId::Ortho), game->GetWindow()->orthoMatrix, text, x, y,
                     pixelHeight, align, highlighted ? kTextHighlight : kTextCream);
}
