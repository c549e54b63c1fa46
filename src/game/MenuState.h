#pragma once
// The start menu: two entries ("Start" and "Quit") shown as two full-screen pictures, chosen
// with the keys, the pad or the mouse, and level selection with the digit keys.

#include <string>

#include "services/GameState.h"

// The entries of the menu pictures, as the mouse finds them.
enum class MenuEntry { None, Start, Quit };

// The entry under the point (x, y), in pixels from the window's top left corner, of a window
// `width` x `height` showing the menu picture of aspect `aspectSuffix` ("_43" or "_169")
// stretched over it.
MenuEntry MenuEntryAt(int x, int y, int width, int height, const std::string& aspectSuffix);

class CMenuState : public CGameState {
public:
    explicit CMenuState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    void Enter() override;
    void Init() override;

    bool IsStartSelected() const { return startSelected; }
    // The picture the menu shows now ("menustart_43.jpg", ...).
    std::string PictureName() const;

private:
    void ShowSelection();
    // What ENTER does: start the first level, or quit.
    void Choose(MenuEntry entry);
    // The mouse, while the pointer shows: moving onto an entry selects it, a left click on one
    // chooses it.
    void FollowMouse();

    bool startSelected = true;
};
