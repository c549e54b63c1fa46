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
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_START)) {
        if (startSelected) {
            game->GetSoundManager()->StopMusic();
            auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
            if (play) play->LoadLevel(kFirstLevelFileName);
        } else {
            game->Quit();
        }
    }
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
}

void CMenuState::Render() {
    CShaderProgram* ortho = BeginPicturePass(game);
    if (ortho) DrawPictureQuad(game, ortho);
}
