#include "game/PauseState.h"

#include "game/OptionsState.h"
#include "gameplay/PlayState.h"
#include "platform/WindowLibrary.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"

namespace {
// The entries take this much of the window's width, centred.
constexpr float kEntryHalfWidth = 0.25f;
}  // namespace

CPauseState::CPauseState(CGame* game_) : CGameState(game_) { Init(); }

void CPauseState::Init() {
    selected = 0;
    backFromOptions = false;
}

const char* CPauseState::EntryText(PauseEntry entry) {
    switch (entry) {
        case PauseEntry::Resume: return "Resume";
        case PauseEntry::Restart: return "Restart level";
        case PauseEntry::Options: return "Options";
        case PauseEntry::Menu: return "Back to menu";
        case PauseEntry::Quit: return "Quit";
    }
    return "";
}

bool CPauseState::EntryAt(int x, int y, int width, int height, PauseEntry* entry) {
    if (width <= 0 || height <= 0) return false;
    const float across = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 0.5f;
    if (across < -kEntryHalfWidth || across > kEntryHalfWidth) return false;
    const int row = TextMenuRowAt(kLayout, kEntryCount, static_cast<float>(y) + 0.5f, static_cast<float>(height));
    if (row < 0) return false;
    *entry = static_cast<PauseEntry>(row);
    return true;
}

CPlayState* CPauseState::Play() const { return static_cast<CPlayState*>(game->GetState(STATE_PLAY)); }

void CPauseState::Enter() {
    if (!backFromOptions) selected = 0;
    backFromOptions = false;
    settling = kSettlingUpdates;
}

void CPauseState::Update(double) {
    CInputManager* input = game->GetInputManager();
    // Only a pointer that moves selects: one resting on an entry does not undo the keys.
    const TextMenuPointer pointer = ReadTextMenuPointer(game);
    const bool moved = pointer.moved && settling == 0;
    if (settling > 0) --settling;
    if (input->KeyHit(wl::KEY_ESC) || input->PadHit(wl::PAD_START)) {
        Choose(PauseEntry::Resume);
        return;
    }
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_A)) {
        Choose(Selected());
        return;
    }
    // UP and DOWN go round: UP from Resume is Quit.
    if (input->KeyHit(wl::KEY_UP) || input->PadHit(wl::PAD_DPAD_UP)) selected = (selected + kEntryCount - 1) % kEntryCount;
    else if (input->KeyHit(wl::KEY_DOWN) || input->PadHit(wl::PAD_DPAD_DOWN)) selected = (selected + 1) % kEntryCount;

    PauseEntry under = PauseEntry::Resume;
    if (!pointer.shown || !EntryAt(pointer.x, pointer.y, pointer.width, pointer.height, &under)) return;
    if (moved || pointer.clicked) selected = static_cast<int>(under);
    if (pointer.clicked) Choose(under);
}

void CPauseState::Choose(PauseEntry entry) {
    CPlayState* play = Play();
    switch (entry) {
        case PauseEntry::Resume:
            if (play) game->SetState(play);
            break;
        case PauseEntry::Restart:
            if (play) play->RestartFromPause();
            break;
        case PauseEntry::Options:
            if (auto* options = static_cast<COptionsState*>(game->GetState(STATE_OPTIONS))) {
                options->ReturnTo(STATE_PAUSE);
                backFromOptions = true;
                game->SetState(options);
            }
            break;
        case PauseEntry::Menu:
            if (play) play->LeaveToMenuFromPause();
            break;
        case PauseEntry::Quit:
            game->Quit();
            break;
    }
}

void CPauseState::Render() {
    // The level as it stood, darkened, and the menu over it.
    CPlayState* play = Play();
    if (play && play->level.file) play->Render();
    DarkenFrame(game, kDarkening);
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    DrawMenuText(game, "Paused", w / 2, kLayout.titleTop * h, kLayout.titleHeight * h, TextAlign::Centre, false);
    for (int i = 0; i < kEntryCount; ++i)
        DrawMenuText(game, EntryText(static_cast<PauseEntry>(i)), w / 2, TextMenuRowTop(kLayout, i, h),
                     kLayout.rowHeight * h, TextAlign::Centre, i == selected);
}
