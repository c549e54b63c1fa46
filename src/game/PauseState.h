#pragma once
// The pause screen: the level's frame, frozen and darkened, with a menu over it (Resume,
// Restart level, Options, Back to menu, Quit). The play state opens it (ESC, the pad's Start,
// the window losing the focus) and stands still under it; ESC or Start resumes.

#include <string>
#include <vector>

#include "game/TextMenu.h"
#include "services/GameState.h"

class CPlayState;

enum class PauseEntry { Resume, Restart, Options, Menu, Quit };

class CPauseState : public CGameState {
public:
    static constexpr TextMenuLayout kLayout{0.15f, 0.11f, 0.34f, 0.065f, 0.085f};
    static constexpr int kEntryCount = 5;
    // How bright the level shows under the menu.
    static constexpr float kDarkening = 0.4f;

    explicit CPauseState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    bool EscapeEndsGame() const override { return false; }
    // From play the choice starts on Resume; back from the options it stays on Options.
    void Enter() override;
    void Init() override;

    PauseEntry Selected() const { return static_cast<PauseEntry>(selected); }
    static const char* EntryText(PauseEntry entry);
    // The entry under (x, y) of a width x height window, if any.
    static bool EntryAt(int x, int y, int width, int height, PauseEntry* entry);
    void Choose(PauseEntry entry);

private:
    CPlayState* Play() const;

    int selected = 0;
    bool backFromOptions = false;
    // Updates left in which pointer motion does not select: freeing the pointer as the screen
    // opens may move it (the window library puts it back where it was) without the player.
    int settling = 0;
};
