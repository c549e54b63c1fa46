#include "game/SplashscreenState.h"

#include <iostream>

#include "game/Game.h"
#include "game/InputManager.h"
#include "game/PictureQuad.h"
#include "game/SoundManager.h"
#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "scene/Mesh.h"

CSplashscreenState::CSplashscreenState(CGame* game_) : CGameState(game_) { Init(); }

void CSplashscreenState::Init() { transparency = true; }

void CSplashscreenState::Enter() {
    CSoundManager* sound = game->GetSoundManager();
    sound->StopMusic();
    // The play state chose the picture: a death gets its sound once, a finished stage or the
    // whole mission gets music.
    const CMesh* quad = GetPictureQuad(game);
    if (quad && quad->material.diffuseName.rfind("death", 0) == 0) sound->PlaySound("death.wav");
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
