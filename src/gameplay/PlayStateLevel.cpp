#include <fstream>
#include <iostream>

#include "game/Game.h"
#include "game/SoundManager.h"
#include "gameplay/PlayState.h"
#include "scene/PlayerObject.h"
#include "scene/SceneTrigger.h"

namespace {

const char* const kLevelFolder = "resources/levels/";

}  // namespace

void CPlayState::SetUpScene() {
    freeCamera = std::make_unique<CSceneCamera>();
    // The camera looks at a point 3 units above the player's origin: about its chest.
    playerCamera = std::make_unique<CAnchoredSceneCamera>(player, Vec3(0.0f, 3.0f, 0.0f));
    lightCamera = std::make_unique<CSceneCamera>();
    thirdCamera = std::make_unique<CSceneCamera>();
    activeCamera = playerCamera.get();
    light = CSunLight();
    skyBox = std::make_unique<CSkyBox>();
}

// Placeholder until the level reader lands with the next commit: reports the file as not
// loadable, so the current level (if any) keeps running. Nothing tests this body yet.
void CPlayState::LoadLevel(const std::string& fileName) {
    std::cout << "Trying to switch to level '" << fileName << "'" << std::endl;
    const std::string path = kLevelFolder + fileName;
    std::cout << "LOADING Level file " << path << std::endl;
    std::cerr << "ERROR: Could not load level scene " << path << ", error was: no level reader yet" << std::endl;
    std::cerr << "ERROR: Could not load level, please check output!" << std::endl;
}

void CPlayState::CreateCollisionObjects() {}

void CPlayState::OnLevelEnd(CSceneTrigger* trigger, void* userData) {
    auto* play = static_cast<CPlayState*>(userData);
    const auto next = trigger->properties.find("nextlevel");
    if (next != trigger->properties.end()) {
        play->nextLevelName = next->second;
        play->pendingAction = &CPlayState::LoadNextLevel;
        play->ShowPicture("stage_complete");
    } else {
        // The last level: back to the menu, whose next start begins with the first level.
        play->nextLevelName = "level1.dae";
        play->gameFinished = true;
        play->pendingAction = &CPlayState::BackToMenu;
        play->ShowPicture("mission_complete");
    }
}

void CPlayState::OnKillZone(CSceneTrigger*, void* userData) {
    auto* play = static_cast<CPlayState*>(userData);
    play->pendingAction = &CPlayState::ReloadLevel;
    play->ShowPicture("death");
}

void LoadLevelByNumber(CGameState* state, int number) {
    const std::string fileName = "level" + std::to_string(number) + ".dae";
    if (!std::ifstream(kLevelFolder + fileName).good()) return;
    CGame* game = state->GetGame();
    game->GetSoundManager()->StopMusic();
    auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
    if (play) play->LoadLevel(fileName);
}
