#pragma once
// The Replays screen, opened from the menu: the player's recorded runs (game/ReplayList.h), the
// best run of each level first, then the recent ones newest first, a page of them at a time,
// and Back. Choosing one shows it in the game's window (CGame::WatchRecording), after which the
// game comes back here. A file that cannot be played is named on the screen and on standard
// error, and the screen stays. ESC, the pad's B or Start, or Back return to the menu.

#include <string>
#include <vector>

#include "game/ReplayList.h"
#include "game/TextMenu.h"
#include "services/GameState.h"

class CReplaysState : public CGameState {
public:
    static constexpr TextMenuLayout kLayout{0.05f, 0.1f, 0.19f, 0.05f, 0.062f};
    // Runs shown at once; the page follows the selection.
    static constexpr int kPageRows = 7;
    // The count of runs and the keys, and under them a run that could not be played.
    static constexpr float kFooterTop = 0.69f, kFooterHeight = 0.035f;
    static constexpr float kMessageTop = 0.75f, kMessageHeight = 0.032f;
    // Darker than the options show the menu's picture: the message lies over its words.
    static constexpr float kBackdrop = 0.1f;
    // Rows take this much of the window's width, centred.
    static constexpr float kRowHalfWidth = 0.3f;

    explicit CReplaysState(CGame* game);

    void Update(double frameTime) override;
    void Render() override;
    bool WaitsForInput() const override { return true; }
    bool EscapeEndsGame() const override { return false; }
    // Reads the replays folder again and selects the first run.
    void Enter() override;
    void Init() override;

    const std::vector<ReplayListEntry>& Runs() const { return runs; }
    // The selected run's index, or Runs().size() for Back.
    int Selected() const { return selected; }
    // The first run on the page.
    int FirstShown() const { return first; }
    // The last run that could not be played, as the screen shows it; "" when none.
    const std::string& Message() const { return message; }
    // Plays run `index` (or goes back for Back).
    void Choose(int index);
    // The screen row under (x, y) of a width x height window: 0 .. rows - 1, or -1.
    int RowAt(int x, int y, int width, int height) const;

private:
    void Select(int index);
    // The rows on screen: the page of runs (or the empty folder's note), then Back.
    int ShownRows() const;
    // The run or Back shown on screen row `row`; -1 for the empty folder's note.
    int IndexOfRow(int row) const;

    std::string folder;
    std::vector<ReplayListEntry> runs;
    int selected = 0;
    int first = 0;
    std::string message;
    int settling = 0;  // as the pause screen's: updates in which motion alone selects nothing
};
