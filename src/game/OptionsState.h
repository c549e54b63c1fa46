#pragma once
// The options: music and effects volume, mouse look speed, inverted look, full screen, graphics
// quality, and Back. UP / DOWN choose a row, LEFT / RIGHT (or a click on the value's left or
// right half, where its arrows are) change it, and the change is heard or seen at once and
// written to settings.ini at once. ESC or Back returns to the screen that opened it: the menu,
// or the pause screen.

#include <string>

#include "game/TextMenu.h"
#include "services/GameState.h"

enum class OptionRow { MusicVolume, EffectsVolume, MouseSpeed, InvertLook, Fullscreen, Quality, Back };

class COptionsState : public CGameState {
public:
    static constexpr TextMenuLayout kLayout{0.05f, 0.1f, 0.19f, 0.055f, 0.075f};
    static constexpr int kRowCount = 7;
    static constexpr int kVolumeStep = 10;
    static constexpr int kMouseSpeedStep = 10;
    // Labels end left of this (in window widths), values are centred on kValueCentre between
    // their arrows; a click left of the centre lowers the value, right of it raises it.
    static constexpr float kLabelRight = 0.54f;
    static constexpr float kValueLeft = 0.58f, kValueCentre = 0.73f, kValueRight = 0.88f;
    // How bright what lies behind shows: the level, or the menu's picture (whose own words
    // must not compete with the rows).
    static constexpr float kLevelBackdrop = 0.3f, kMenuBackdrop = 0.15f;
    // The key hint's top, below Back and above the HUD's panels.
    static constexpr float kHintTop = 0.72f, kHintHeight = 0.035f;

    explicit COptionsState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    bool EscapeEndsGame() const override { return false; }
    void Enter() override;
    void Init() override;

    // Where Back leads, this once (the pause screen sets it before opening the options);
    // afterwards it is the menu again.
    void ReturnTo(int stateId) { returnTo = stateId; }

    OptionRow Selected() const { return static_cast<OptionRow>(selected); }
    static const char* RowLabel(OptionRow row);
    // The row's value as shown ("70 %", "Yes", "High"); empty for Back.
    std::string ValueText(OptionRow row) const;
    // The line under the rows: the keys, or on the quality row, when the window was opened for a
    // finer quality than the one chosen, that its full speed comes with the next start.
    std::string FooterText() const;
    // One step down (-1) or up (+1) of the row's value, applied and saved at once.
    void Change(OptionRow row, int direction);
    void Back();
    // The row under (x, y) of a width x height window, and which part of it: -1 the value's
    // left half, +1 its right half, 0 the label.
    static bool RowAt(int x, int y, int width, int height, OptionRow* row, int* part);

private:
    int selected = 0;
    int returnTo = STATE_MENU;
    int settling = 0;  // as the pause screen's: updates in which motion alone selects nothing
};
