#pragma once
// A screen of text lines over the frame (the pause screen, the options): a centred title and a
// column of rows, laid out in fractions of the window's height so that they keep their place
// at any size, and found again under the pointer from the same numbers.

#include <string>

#include "render/TextRenderer.h"

class CGame;

struct TextMenuLayout {
    float titleTop;     // the title's top, in window heights
    float titleHeight;  // its pixel height, in window heights
    float firstTop;     // the first row's top
    float rowHeight;    // a row's pixel height
    float rowPitch;     // from one row's top to the next's
};

// The top of row `row` in pixels, for a window `height` pixels high.
float TextMenuRowTop(const TextMenuLayout& layout, int row, float height);
// The row whose band (its top to the next row's top, the last as high) holds y, or -1.
int TextMenuRowAt(const TextMenuLayout& layout, int rows, float y, float height);

// One frame of the screen's mouse: where the pointer is, whether it moved and whether the left
// button was pressed; `shown` is false while the pointer is captured (and points nowhere).
struct TextMenuPointer {
    bool shown = false;
    int x = 0, y = 0;
    int width = 0, height = 0;
    bool moved = false;
    bool clicked = false;
};
TextMenuPointer ReadTextMenuPointer(CGame* game);
// Updates after a menu screen opens in which pointer motion alone selects nothing.
inline constexpr int kSettlingUpdates = 3;

// Draws one line with the game's text renderer (sized to the window now) in the ortho program.
void DrawMenuText(CGame* game, const std::string& text, float x, float y, float pixelHeight, TextAlign align,
                  bool highlighted);
