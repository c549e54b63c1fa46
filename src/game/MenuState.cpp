#include "game/MenuState.h"

#include "gameplay/PlayState.h"
#include "platform/WindowLibrary.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/SoundManager.h"
#include "services/Window.h"

namespace {
// Where tools/content/pictures_screens.py draws the entries: 300 x 72 pixels of a picture 768
// high, centred across it, their centres 58.5 % and 70.5 % of the height down.
constexpr double kEntryHalfWidth = 150.0 / 768.0;  // in picture heights
constexpr double kEntryHalfHeight = 36.0 / 768.0;
constexpr double kStartCentre = 0.585;
constexpr double kQuitCentre = 0.705;
}  // namespace

MenuEntry MenuEntryAt(int x, int y, int width, int height, const std::string& aspectSuffix) {
    if (width <= 0 || height <= 0) return MenuEntry::None;
    // The picture fills the window, so its own aspect, not the window's, sets the entries' width.
    const double pictureAspect = aspectSuffix == "_43" ? 4.0 / 3.0 : 16.0 / 9.0;
    const double across = (static_cast<double>(x) + 0.5) / width - 0.5;
    const double down = (static_cast<double>(y) + 0.5) / height;
    if (across < -kEntryHalfWidth / pictureAspect || across > kEntryHalfWidth / pictureAspect) return MenuEntry::None;
    if (down >= kStartCentre - kEntryHalfHeight && down <= kStartCentre + kEntryHalfHeight) return MenuEntry::Start;
    if (down >= kQuitCentre - kEntryHalfHeight && down <= kQuitCentre + kEntryHalfHeight) return MenuEntry::Quit;
    return MenuEntry::None;
}

CMenuState::CMenuState(CGame* game_) : CGameState(game_) { Init(); }

void CMenuState::Init() { startSelected = true; }

std::string CMenuState::PictureName() const {
    return std::string(startSelected ? "menustart" : "menuend") + game->GetWindow()->GetAspectSuffix() + ".jpg";
}

void CMenuState::ShowSelection() {
    CMesh* quad = GetPictureQuad(game);
    if (!quad) return;
    const std::string name = PictureName();
    quad->material.diffuseTexture = game->GetTextureManager()->GetPicture(name);
    // Named too, so that a first upload at draw time says which picture it is.
    quad->material.diffuseName = name;
}

void CMenuState::Enter() {
    CSoundManager* sound = game->GetSoundManager();
    sound->StopMusic();
    sound->StartMusic("mainmenu.mp3");
    startSelected = true;
    ShowSelection();
}

void CMenuState::Update(double) {
    CInputManager* input = game->GetInputManager();
    // A pad's Start confirms and its D-pad chooses, beside the keys.
    const bool confirmed = input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_START);
    if (confirmed) Choose(startSelected ? MenuEntry::Start : MenuEntry::Quit);
    // UP and DOWN in the same frame flip once: DOWN is not asked for when UP was hit.
    if (input->KeyHit(wl::KEY_UP) || input->KeyHit(wl::KEY_DOWN) || input->PadHit(wl::PAD_DPAD_UP) ||
        input->PadHit(wl::PAD_DPAD_DOWN)) {
        startSelected = !startSelected;
        ShowSelection();
    }
    // The keypad digits or, for keyboards without a keypad, the digits of the main row.
    for (int number = 1; number <= 9; ++number) {
        const bool keypad = input->KeyHit(wl::KEY_KP_1 + number - 1);
        const bool mainRow = input->KeyHit('0' + number);
        if (keypad || mainRow) LoadLevelByNumber(this, number);
    }
    // A click in the frame that ENTER chose in is not a second choice.
    if (!confirmed) FollowMouse();
}

void CMenuState::Choose(MenuEntry entry) {
    if (entry == MenuEntry::Start) {
        game->GetSoundManager()->StopMusic();
        auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
        if (play) play->LoadLevel(kFirstLevelFileName);
    } else if (entry == MenuEntry::Quit) {
        game->Quit();
    }
}

void CMenuState::FollowMouse() {
    CInputManager* input = game->GetInputManager();
    // A captured pointer is hidden and points nowhere the player can see.
    if (wl::CursorHidden()) return;
    int x = 0, y = 0, width = 0, height = 0;
    wl::GetMousePos(&x, &y);
    wl::GetWindowSize(&width, &height);
    const MenuEntry entry = MenuEntryAt(x, y, width, height, game->GetWindow()->GetAspectSuffix());
    const bool clicked = input->ButtonHit(wl::MOUSE_BUTTON_LEFT);
    if (entry == MenuEntry::None) return;
    // Only a pointer that moves selects: one left resting on an entry does not undo the keys.
    const bool moved = input->mouseDeltaX != 0 || input->mouseDeltaY != 0;
    if ((moved || clicked) && startSelected != (entry == MenuEntry::Start)) {
        startSelected = entry == MenuEntry::Start;
        ShowSelection();
    }
    if (clicked) Choose(entry);
}

void CMenuState::Render() {
    CShaderProgram* ortho = BeginPicturePass(game);
    if (ortho) DrawPictureQuad(game, ortho);
}
