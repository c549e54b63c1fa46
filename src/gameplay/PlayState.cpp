#include "gameplay/PlayState.h"

#include <algorithm>
#include <iostream>

#include "physics/PhysCharacter.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "render/PlayFrame.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/PhysData.h"
#include "scene/PlayerObject.h"
#include "services/Game.h"
#include "services/Hud.h"
#include "services/InputManager.h"
#include "services/PictureQuad.h"
#include "services/SoundManager.h"

CPlayState::CPlayState(CGame* game_) : CGameState(game_) { Init(); }

CPlayState::~CPlayState() {
    cameras.playerCamera.reset();
    cameras.freeCamera.reset();
    level.character.reset();
    sky.sunSprite.reset();
    sky.skyBox.reset();
    level.file.reset();
    level.powerups.clear();
    // The player is not touched: the model manager, which owns it, is gone by now and took the
    // push box out of this world with it.
    if (level.physicsWorld) level.physicsWorld->Destroy();
    level.physicsWorld.reset();
    frameRenderer.reset();
}

void CPlayState::Enter() {
    if (rules.paused) {
        rules.paused = false;
        std::cout << "Game resumed" << std::endl;
        return;
    }
    if (CSoundManager* sound = game->GetSoundManager()) sound->StopMusic();
    // The menu or splash picture that led here is not seen again before the next one is shown,
    // which is decoded anew.
    if (CMesh* quad = GetPictureQuad(game)) quad->material.diffuseTexture = nullptr;
    if (CTextureManager* textures = game->GetTextureManager()) textures->ReleasePictures();
    if (rules.pendingAction) rules.pendingAction(this);
}

void CPlayState::Update(double frameTime) {
    // Nothing to play before a level has been loaded (a first level that failed to load).
    if (!level.file || !player) return;
    // ESC, the pad's Start, or the window going to the background: the level stands still
    // under the pause screen until the player resumes it there.
    CInputManager* input = game->GetInputManager();
    if (!wl::WindowActive() || input->KeyHit(wl::KEY_ESC) || input->PadHit(wl::PAD_START)) {
        Pause();
        return;
    }

    // 1: debug keys (they may pause the physics).
    HandlePlayStateKeys(input);

    // Every rule advances by the time the physics simulates in this update, never by the frame
    // time: the physics runs whole 1/60 s sub-steps and at most seven per update, so on a slow
    // machine it falls behind the clock. Rules on the clock would then burn more life per unit
    // walked, shorten the umbrella's reach and swing the limbs wider the slower the frames, and
    // the first update after a level load would charge the whole load as sun. The cameras stay
    // on the frame time: they answer the player's hand, not the rules.
    const double dt = PhysicsTimeOfUpdate(frameTime);
    rules.simulatedTime = dt;
    // The level's clock counts this update before the step that may reach the end.
    rules.levelTime += dt;

    // 2 and 3: the player's input, animation.
    UpdatePlayerMovement(dt);
    AnimateLimbs(dt);
    AnimatePowerups(static_cast<float>(dt));

    // 4: physics; triggers and power-ups react inside, and may already have shown a picture.
    // The character melts to the life the rules left it.
    if (level.character) level.character->SetLife(player->life);
    StepPhysics(frameTime);

    CSoundManager* sound = game->GetSoundManager();
    // 5: the milk picked up during the step.
    if (player->milkPicked && sound) sound->PlaySound("milk.wav");

    // 6: sun.
    const float sun = ComputeSunValue();
    if (debug.physicsDebugging) std::cout << "SunValue: " << sun << std::endl;
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

    // 10: the pick-up has had its sound (step 5); the flag waits for the next one.
    player->milkPicked = false;

    // 11: umbrella music and the umbrella in the figure's hand.
    const bool umbrellaOn = player->umbrellaTime > 0.0f;
    if (umbrellaOn) {
        if (!rules.umbrellaMusicPlaying) {
            rules.umbrellaMusicPlaying = true;
            if (sound) sound->StartMusic("invincible.mp3");
        }
    } else if (rules.umbrellaMusicPlaying) {
        rules.umbrellaMusicPlaying = false;
        if (sound) sound->ResumeLevelMusic();
    }
    if (player->umbrella) player->umbrella->visible = umbrellaOn;

    // 12: death; unless a trigger of this update's step already showed its picture, which stands.
    if (player->life <= 0.0f && !rules.pendingAction) {
        rules.pendingAction = &CPlayState::ReloadLevel;
        game->ShowPicture(PictureReason::Death, nullptr);
        std::cout << "You were reduced to a puddle of mud..." << std::endl;
    }

    // 13: head-up display.
    if (CHud* hud = game->GetHud()) hud->Update(player->life, sun, player->umbrellaTime, dt);

    // 14: cameras and the sun keys.
    UpdateCameraControls(frameTime);
}

double CPlayState::PhysicsTimeOfUpdate(double frameTime) const {
    if (!level.physicsWorld || !(debug.physicsPass || debug.singlePhysicsStep)) return 0.0;
    return level.physicsWorld->PlanStep(frameTime);
}

void CPlayState::StepPhysics(double frameTime) {
    if (!level.physicsWorld) return;
    if (debug.physicsPass) {
        level.physicsWorld->Step(frameTime);
    } else if (debug.singlePhysicsStep) {
        level.physicsWorld->Step(frameTime);
        debug.singlePhysicsStep = false;
    }
}

void CPlayState::AnimatePowerups(float dt) {
    for (auto& entry : level.powerups) AnimatePowerup(*entry.second, dt);
}

void CPlayState::Pause() {
    // Without a pause screen (a game that has none) the level still stands still this update.
    if (!game->GetState(STATE_PAUSE)) return;
    rules.paused = true;
    std::cout << "Game paused" << std::endl;
    game->ChangeState(STATE_PAUSE);
}

void CPlayState::RestartFromPause() {
    rules.paused = false;
    rules.pendingAction = &CPlayState::ReloadLevel;
    game->ChangeState(STATE_PLAY);
}

void CPlayState::LeaveToMenuFromPause() {
    rules.paused = false;
    BackToMenu(this);
}

void CPlayState::ReloadLevel(CPlayState* play) {
    play->rules.pendingAction = nullptr;
    if (play->level.file) play->LoadLevel(play->level.file->fileName);
}

void CPlayState::LoadNextLevel(CPlayState* play) {
    play->rules.pendingAction = nullptr;
    const std::string next = play->rules.nextLevelName;
    play->rules.nextLevelName.clear();
    if (!next.empty()) play->LoadLevel(next);
}

void CPlayState::BackToMenu(CPlayState* play) {
    // Nothing is left queued: the menu's own choice (Start, a level number) says what loads next,
    // and a queued load would run first and load a level twice.
    play->rules.pendingAction = nullptr;
    play->rules.nextLevelName.clear();
    play->rules.gameFinished = false;
    play->game->ChangeState(STATE_MENU);
}
