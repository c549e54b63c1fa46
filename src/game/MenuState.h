#pragma once
// The start menu: two entries ("Start" and "Quit") shown as two full-screen pictures, and level
// selection with the numeric keypad.

#include <string>

#include "services/GameState.h"

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

    bool startSelected = true;
};
