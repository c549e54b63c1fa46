#include "game/SplashscreenState.h"

#include <iostream>

#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "services/Game.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/SoundManager.h"
#include "services/Window.h"

CSplashscreenState::CSplashscreenState(CGame* game_) : CGameState(game_) { Init(); }

void CSplashscreenState::Init() { transparency = true; }

std::string CSplashscreenState::PictureName(PictureReason why) const {
    const char* stem = why == PictureReason::Death           ? "death"
                       : why == PictureReason::StageComplete ? "stage_complete"
                                                             : "mission_complete";
    return stem + game->GetWindow()->GetAspectSuffix() + ".png";
}

void CSplashscreenState::Show(PictureReason why) {
    reason = why;
    const std::string name = PictureName(why);
    if (CMesh* quad = GetPictureQuad(game)) {
        quad->material.diffuseTexture = game->GetTextureManager()->GetPicture(name);
        // Named too, so that a first upload at draw time says which picture it is.
        quad->material.diffuseName = name;
    }
}

void CSplashscreenState::Enter() {
    CSoundManager* sound = game->GetSoundManager();
    sound->StopMusic();
    // A death gets its sound once, a finished stage or the whole mission gets music.
    if (reason == PictureReason::Death) sound->PlaySound("death.wav");
    else sound->StartMusic("levelcomplete.mp3");
}

void CSplashscreenState::Update(double) {
    CInputManager* input = game->GetInputManager();
    // An ENTER still held from the previous screen is not a new press (the input manager keeps
    // it consumed until it is released), so a picture always waits for the player.
    if (input->KeyHit(wl::KEY_ENTER) || input->PadHit(wl::PAD_START)) game->ChangeState(STATE_PLAY);
    if (input->KeyHit(wl::KEY_F9)) {
        transparency = !transparency;
        std::cout << "Transparency " << (transparency ? "enabled" : "disabled") << std::endl;
    }
}

void CSplashscreenState::Render() {
    // The level stays on screen behind the picture, frozen: the play state is drawn but not
    // updated while the picture shows.
    if (CGameState* play = game->GetState(STATE_PLAY)) play->Render();
    CShaderProgram* ortho = BeginPicturePass(game);
    if (!ortho) return;
    Overlay2DState(transparency);
    DrawPictureQuad(game, ortho);
    End2DOverlay();
}
