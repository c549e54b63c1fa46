#include "gameplay/PlayState.h"

#include <algorithm>
#include <iostream>

#include "game/Game.h"
#include "game/Hud.h"
#include "game/InputManager.h"
#include "game/PictureQuad.h"
#include "game/Window.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/PlayerObject.h"

CPlayState::CPlayState(CGame* game_) : CGameState(game_) { Init(); }

CPlayState::~CPlayState() {
    playerCamera.reset();
    freeCamera.reset();
    skyBox.reset();
    level.reset();
    powerups.clear();
    ReleaseShadowTarget();
}

void CPlayState::Enter() {
    if (pendingAction) pendingAction(this);
}

void CPlayState::Update(double frameTime) {
    // Nothing to play before a level has been loaded (a first level that failed to load).
    if (!level || !player) return;

    HandlePlayStateKeys(game->GetInputManager());
    UpdatePlayerMovement(frameTime);
    AnimateLimbs(frameTime);
    AnimatePowerups(static_cast<float>(frameTime));

    const float sun = ComputeSunValue();
    if (physicsDebugging) std::cout << "SunValue: " << sun << std::endl;
    player->sunExposure = sun;

    // Damage in double precision: small frame times would otherwise lose most of it.
    const float damage = static_cast<float>(static_cast<double>(sun) * frameTime * kSunDamagePerSecond);
    player->life = std::clamp(player->life - damage, 0.0f, 1.0f);
    player->umbrellaTime =
        std::clamp(static_cast<float>(static_cast<double>(player->umbrellaTime) - frameTime), 0.0f, kMaxUmbrellaTime);

    // The figure melts from 0.02 at full life down to 0.001.
    const float s = kFullScale - (1.0f - player->life) * (kFullScale - kMeltedScale);
    player->scale = {s, s, s};
    player->milkPicked = false;

    const bool umbrellaOn = player->umbrellaTime > 0.0f;
    if (umbrellaOn && !umbrellaMusicPlaying) umbrellaMusicPlaying = true;
    else if (!umbrellaOn && umbrellaMusicPlaying) umbrellaMusicPlaying = false;
    if (player->umbrella) player->umbrella->visible = umbrellaOn;

    if (player->life <= 0.0f) {
        pendingAction = &CPlayState::ReloadLevel;
        ShowPicture("death");
        std::cout << "You were reduced to a puddle of mud..." << std::endl;
    }

    if (CHud* hud = game->GetHud()) hud->Update(player->life, sun, player->umbrellaTime, frameTime);

    UpdateCameraControls(frameTime);
}

void CPlayState::AnimatePowerups(float frameTime) {
    for (auto& entry : powerups) AnimatePowerup(*entry.second, frameTime);
}

void CPlayState::ShowPicture(const std::string& stem) {
    const std::string name = stem + game->GetWindow()->GetAspectSuffix() + ".png";
    if (CMesh* quad = GetPictureQuad(game)) {
        quad->material.diffuseTexture = game->GetTextureManager()->GetTexture(name);
        // The splash screen picks its sound by this name.
        quad->material.diffuseName = name;
    }
    game->ChangeState(STATE_SPLASHSCREEN);
}

void CPlayState::ReloadLevel(CPlayState* play) {
    play->pendingAction = nullptr;
    if (play->level) play->LoadLevel(play->level->fileName);
}

void CPlayState::LoadNextLevel(CPlayState* play) {
    play->pendingAction = nullptr;
    const std::string next = play->nextLevelName;
    play->nextLevelName.clear();
    if (!next.empty()) play->LoadLevel(next);
}

void CPlayState::BackToMenu(CPlayState* play) {
    play->game->ChangeState(STATE_MENU);
    play->gameFinished = false;
    // The next entry from the menu starts over with the first level.
    play->pendingAction = &CPlayState::LoadNextLevel;
}
