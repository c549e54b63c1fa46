#include "game/Screens.h"

#include "game/MenuState.h"
#include "game/OptionsState.h"
#include "game/PauseState.h"
#include "game/ReplaysState.h"
#include "game/SplashscreenState.h"
#include "gameplay/PlayState.h"
#include "services/GameState.h"

namespace {

using ScreenFactory = std::unique_ptr<CGameState> (*)(CGame* game);

template <typename Screen>
std::unique_ptr<CGameState> Make(CGame* game) {
    return std::make_unique<Screen>(game);
}

struct ScreenEntry {
    int id;
    ScreenFactory make;
};

// One line a screen.
constexpr ScreenEntry kScreens[] = {
    {STATE_MENU, &Make<CMenuState>},
    {STATE_SPLASHSCREEN, &Make<CSplashscreenState>},
    {STATE_PLAY, &Make<CPlayState>},
    {STATE_PAUSE, &Make<CPauseState>},
    {STATE_OPTIONS, &Make<COptionsState>},
    {STATE_REPLAYS, &Make<CReplaysState>},
};

constexpr bool IdsDiffer() {
    for (const ScreenEntry& a : kScreens)
        for (const ScreenEntry& b : kScreens)
            if (&a != &b && a.id == b.id) return false;
    return true;
}
static_assert(IdsDiffer(), "two screens have the same id");

}  // namespace

std::unique_ptr<CGameState> MakeScreen(int id, CGame* game) {
    for (const ScreenEntry& entry : kScreens)
        if (entry.id == id) return entry.make(game);
    return nullptr;
}
