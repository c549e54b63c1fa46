#pragma once
// The start menu: "Continue" (once a level has been completed), "Start", "Options", "Replays"
// and "Quit", drawn as pills with their labels over the menu picture, chosen with the keys, the
// pad or the mouse, and level selection with the digit keys.

#include <string>
#include <vector>

#include "services/GameState.h"

class CShaderProgram;
struct CTexture;

enum class MenuEntry { Continue, Start, Options, Replays, Quit };

// Said at start-up and under the menu's entries when the pixels are drawn by the CPU.
inline constexpr const char kSoftwareRenderingHint[] =
    "Software rendering: a faster graphics quality is in Options";

// The label drawn on an entry's pill.
const char* MenuEntryLabel(MenuEntry entry);

// Where the entries lie, in window heights: `count` pills 300 x 50 pixels of a window 768 high,
// centred across it, one under the other 60 pixels apart around 61.7 % of the height down (five
// at 0.88 of that size)
// (tools/content/pictures_screens.py leaves that room between the title and the controls).
struct MenuLayout {
    static constexpr double kPillWidth = 300.0 / 768.0;
    static constexpr double kPillHeight = 50.0 / 768.0;
    static constexpr double kStep = 60.0 / 768.0;
    static constexpr double kMiddle = 0.617;
    // The pill pictures hold room for the glow and the arrows around the pill: 60 pixels to
    // each side and 24 above and below, at the pill's scale.
    static constexpr double kPictureWidth = 420.0 / 768.0;
    static constexpr double kPictureHeight = 98.0 / 768.0;
    // The software-rendering hint's line box: its top under the last pill, its height.
    static constexpr double kHintGap = 0.005, kHintHeight = 0.028;

    // Five entries are drawn smaller and closer (pills, steps and labels), so that they keep
    // clear of the title's words above and of the hint and the controls below.
    static double Scale(int count) { return count > 4 ? 0.88 : 1.0; }

    // The centre of entry `index` of `count`, as a fraction of the height from the top.
    static double Centre(int index, int count);
};

// The index of the entry under the point (x, y), in pixels from the window's top left corner,
// of a `width` x `height` window showing `count` entries; -1 when there is none.
int MenuEntryAt(int x, int y, int width, int height, int count);

class CMenuState : public CGameState {
public:
    explicit CMenuState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    // Reads the progress for the entries (with "Continue" first when there is any) and selects
    // the first.
    void Enter() override;
    void Init() override;

    const std::vector<MenuEntry>& Entries() const { return entries; }
    MenuEntry Selected() const { return entries[static_cast<size_t>(selected)]; }
    // The picture the menu shows ("menu_43.jpg", ...): the title and the controls.
    std::string PictureName() const;

private:
    void ShowPicture();
    void Select(int index);
    // What ENTER does with an entry.
    void Choose(MenuEntry entry);
    // The mouse, while the pointer shows: moving onto an entry selects it, a left click on one
    // chooses it.
    void FollowMouse();
    // The entries' pills and labels over the picture.
    void DrawEntries(CShaderProgram* ortho);
    // The software-rendering hint under the entries, when the game gives it.
    void DrawHint();

    std::vector<MenuEntry> entries;
    int selected = 0;
    // The pill pictures, looked up with the menu picture each time the menu is entered (play
    // frees the pictures): not chosen, chosen.
    CTexture* pills[2] = {nullptr, nullptr};
};
