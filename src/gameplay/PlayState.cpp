#include "gameplay/PlayState.h"

#include <algorithm>
#include <iostream>

#include "game/Game.h"
#include "game/Hud.h"
#include "game/InputManager.h"
#include "game/PictureQuad.h"
#include "game/SoundManager.h"
#include "game/Window.h"
#include "physics/PhysCharacter.h"
#include "physics/PhysData.h"
#include "physics/PhysicsWorld.h"
#include "render/PlayFrame.h"
#include "platform/WindowLibrary.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/PlayerObject.h"

CPlayState::CPlayState(CGame* game_) : CGameState(game_) { Init(); }

CPlayState::~CPlayState() {
    playerCamera.reset();
    freeCamera.reset();
    character.reset();
    sunSprite.reset();
    skyBox.reset();
    level.reset();
    powerups.clear();
    // The player is not touched: the model manager, which owns it, is gone by now and took the
    // push box out of this world with it.
    if (physicsWorld) physicsWorld->Destroy();
    physicsWorld.reset();
    frameRenderer.reset();
}

void CPlayState::Enter() {
    if (CSoundManager* sound = game->GetSoundManager()) sound->StopMusic();
    // The menu or splash picture that led here is not seen again before the next one is shown,
    // which is decoded anew.
    if (CMesh* quad = GetPictureQuad(game)) quad->material.diffuseTexture = nullptr;
    if (CTextureManager* textures = game->GetTextureManager()) textures->ReleasePictures();
    if (pendingAction) pendingAction(this);
}

void CPlayState::Update(double frameTime) {
    // Nothing to play before a level has been loaded (a first level that failed to load).
    if (!level || !player) return;
    // While the window is in the background the level stands still, and goes on from there.
    if (!wl::WindowActive()) return;

    // 1: debug keys (they may pause the physics).
    HandlePlayStateKeys(game->GetInputManager());

    // Every rule advances by the time the physics simulates in this update, never by the frame
    // time: the physics runs whole 1/60 s sub-steps and at most seven per update, so on a slow
    // machine it falls behind the clock. Rules on the clock would then burn more life per unit
    // walked, shorten the umbrella's reach and swing the limbs wider the slower the frames, and
    // the first update after a level load would charge the whole load as sun. The cameras stay
    // on the frame time: they answer the player's hand, not the rules.
    const double dt = PhysicsTimeOfUpdate(frameTime);
    simulatedTime = dt;

    // 2 and 3: the player's input, animation.
    UpdatePlayerMovement(dt);
    AnimateLimbs(dt);
    AnimatePowerups(static_cast<float>(dt));

    // 4: physics; triggers and power-ups react inside, and may already have shown a picture.
    StepPhysics(frameTime);

    CSoundManager* sound = game->GetSoundManager();
    // 5: the milk picked up during the step.
    if (player->milkPicked && sound) sound->PlaySound("milk.wav");

    // 6: sun.
    const float sun = ComputeSunValue();
    if (physicsDebugging) std::cout << "SunValue: " << sun << std::endl;
    player->sunExposure = sun;

    // 7: damage, in double precision so that short updates do not lose it.
    const float damage = static_cast<float>(static_cast<double>(sun) * dt * kSunDamagePerSecond);
    player->life = std::clamp(player->life - damage, 0.0f, 1.0f);

    // 8: umbrella timer.
    player->umbrellaTime =
        std::clamp(static_cast<float>(static_cast<double>(player->umbrellaTime) - dt), 0.0f, kMaxUmbrellaTime);

    // 9: melting, from 0.02 at full life down to 0.001.
    const float s = kFullScale - (1.0f - player->life) * (kFullScale - kMeltedScale);
    player->scale = {s, s, s};

    // 10.
    player->milkPicked = false;

    // 11: umbrella music and the umbrella in the figure's hand.
    const bool umbrellaOn = player->umbrellaTime > 0.0f;
    if (umbrellaOn) {
        if (!umbrellaMusicPlaying) {
            umbrellaMusicPlaying = true;
            if (sound) sound->StartMusic("invincible.mp3");
        }
    } else if (umbrellaMusicPlaying) {
        umbrellaMusicPlaying = false;
        if (sound) sound->ResumeLevelMusic();
    }
    if (player->umbrella) player->umbrella->visible = umbrellaOn;

    // 12: death; unless a trigger of this update's step already showed its picture, which stands.
    if (player->life <= 0.0f && !pendingAction) {
        pendingAction = &CPlayState::ReloadLevel;
        ShowPicture("death");
        std::cout << "You were reduced to a puddle of mud..." << std::endl;
    }

    // 13: head-up display.
    if (CHud* hud = game->GetHud()) hud->Update(player->life, sun, player->umbrellaTime, dt);

    // 14: cameras and the sun keys.
    UpdateCameraControls(frameTime);
}

double CPlayState::PhysicsTimeOfUpdate(double frameTime) const {
    if (!physicsWorld || !(physicsPass || singlePhysicsStep)) return 0.0;
    return physicsWorld->PlanStep(frameTime);
}

void CPlayState::StepPhysics(double frameTime) {
    if (!physicsWorld) return;
    if (physicsPass) {
        physicsWorld->Step(frameTime);
    } else if (singlePhysicsStep) {
        physicsWorld->Step(frameTime);
        singlePhysicsStep = false;
    }
}

void CPlayState::AnimatePowerups(float dt) {
    for (auto& entry : powerups) AnimatePowerup(*entry.second, dt);
}

void CPlayState::ShowPicture(const std::string& stem) {
    const std::string name = stem + game->GetWindow()->GetAspectSuffix() + ".png";
    if (CMesh* quad = GetPictureQuad(game)) {
        quad->material.diffuseTexture = game->GetTextureManager()->GetPicture(name);
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
    // Nothing is left queued: the menu's own choice (Start, a level number) says what loads next,
    // and a queued load would run first and load a level twice.
    play->pendingAction = nullptr;
    play->nextLevelName.clear();
    play->gameFinished = false;
    play->game->ChangeState(STATE_MENU);
}
