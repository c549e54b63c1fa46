#pragma once
// A full-screen picture between levels (death, stage complete, mission complete) over the
// frozen scene of the play state, until ENTER. The play state picks the picture and queues
// what happens when the player comes back to it.

#include "game/GameState.h"

class CSplashscreenState : public CGameState {
public:
    explicit CSplashscreenState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    void Enter() override;
    void Init() override;

    bool IsTransparent() const { return transparency; }

private:
    // The picture is blended over the scene while set (F9 here, independent of the play
    // state's own setting).
    bool transparency = true;
};
