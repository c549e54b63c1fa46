#pragma once
// A full-screen picture between levels (death, stage complete, mission complete) over the
// frozen scene of the play state, until ENTER. The play state says why it shows (through
// CGame::ShowPicture) and queues what happens when the player comes back to it.

#include <optional>
#include <string>
#include <vector>

#include "services/Game.h"
#include "services/GameState.h"
#include "services/Progress.h"

class CShaderProgram;

class CSplashscreenState : public CGameState {
public:
    explicit CSplashscreenState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    void Enter() override;
    void Init() override;

    // Puts the picture for `reason` on the picture quad; entering then plays its sound. A level's
    // end brings its result, drawn above the picture's panel.
    void Show(PictureReason reason, const LevelResult* result = nullptr);
    // The lines drawn above the panel for the result shown (none without one): this run, the
    // records, and "New record!" when it set one.
    std::vector<std::string> ResultLines() const;
    // "death", "stage_complete" or "mission_complete", then the window's aspect suffix and ".png".
    std::string PictureName(PictureReason reason) const;

    bool IsTransparent() const { return transparency; }

private:
    void DrawResult(CShaderProgram* ortho);

    PictureReason reason = PictureReason::StageComplete;
    std::optional<LevelResult> result;
    // The picture is blended over the scene while set (F9 here, independent of the play
    // state's own setting).
    bool transparency = true;
};
