// Level loading and the level-change callbacks of the play state.
#include <fstream>
#include <iostream>

#include "gameplay/PlayState.h"
#include "physics/PhysCharacter.h"
#include "physics/PhysicsWorld.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/LevelLoader.h"
#include "scene/LevelNames.h"
#include "scene/Mesh.h"
#include "scene/ModelManager.h"
#include "scene/PhysData.h"
#include "scene/PlayerObject.h"
#include "scene/SceneTrigger.h"
#include "services/Game.h"
#include "services/Progress.h"
#include "services/SoundManager.h"

namespace {

const char* const kPlayerModel = "schoko.dae";
const char* const kMilkModel = "milk.dae";
const char* const kUmbrellaModel = "umbrella.dae";
// What the physics world draws in its debug view: wireframe, contact points, constraints and
// their limits, normals and the frames of bodies.
const int kPhysicsDebugMode = 0x28CE;

void SetTranslation(Mat4& m, const Vec3& position) {
    m[12] = position.x;
    m[13] = position.y;
    m[14] = position.z;
    m[15] = 1.0f;
}

// The mass written into a movable object's name, 1 when there is none or it is not a number.
float MassOf(const CSceneObject& object) {
    float mass = 1.0f;
    if (!ReadMassProperty(object.properties, mass)) {
        std::cerr << "WARNING: Object '" << object.name << "' has mass '" << object.properties.at("mass")
                  << "', which is not a number; using 1" << std::endl;
    }
    return mass;
}

}  // namespace

void CPlayState::SetUpScene() {
    CModelManager* models = game->GetModelManager();
    player = models ? models->GetPlayer(kPlayerModel) : nullptr;

    cameras.freeCamera = std::make_unique<CSceneCamera>();
    // The camera looks at a point 3 units above the player's origin: about its chest.
    cameras.playerCamera = std::make_unique<CAnchoredSceneCamera>(player, Vec3(0.0f, 3.0f, 0.0f));
    cameras.lightCamera = std::make_unique<CSceneCamera>();
    cameras.thirdCamera = std::make_unique<CSceneCamera>();
    cameras.active = cameras.playerCamera.get();
    if (player) player->camera = cameras.playerCamera.get();

    sky.light = CSunLight();
    sky.sunSprite = std::make_unique<CSprite>();
    if (CTextureManager* textures = game->GetTextureManager())
        sky.sunSprite->texture = textures->GetTexture("sun.png");

    sky.skyBox = std::make_unique<CSkyBox>();
    if (models) {
        sky.skyBox->meshes = {models->GetSkyCube()};
        sky.skyBox->meshCount = 1;
    }
    if (CTextureManager* textures = game->GetTextureManager())
        if (CCubeMap* cube = textures->GetCubeMap("sky.jpg")) sky.skyBox->cubeMap = &cube->faces[0];
}

void CPlayState::LoadLevel(const std::string& requestedName) {
    // A copy: a reload passes the current level's own name, which goes with that level.
    const std::string fileName = requestedName;  // NOLINT(performance-unnecessary-copy-initialization)
    std::cout << "Trying to switch to level '" << fileName << "'" << std::endl;
    const double started = wl::GetRealTime();
    // A shipped level's name, or a path as given (a level started with --level).
    const std::string path = LevelFilePath(fileName);
    std::cout << "LOADING Level file " << path << std::endl;

    std::string error;
    std::unique_ptr<CLevel> loaded;
    if (!player) {
        error = std::string("the player model \"") + kPlayerModel + "\" could not be loaded";
    } else {
        loaded = ReadLevelFile(path, fileName, error);
    }
    if (!loaded) {
        std::cerr << "ERROR: Could not load level scene " << path << ", error was: " << error << std::endl;
        std::cerr << "ERROR: Could not load level, please check output!" << std::endl;
        // Without a level there is nothing to play: back to the menu rather than a blank screen.
        if (!level.file) game->ChangeState(STATE_MENU);
        return;
    }

    // The old level goes first: its bodies leave the world they are in before the world goes.
    level.file.reset();
    level.powerups.clear();
    level.character.reset();
    delete player->physData;
    player->physData = nullptr;
    if (level.physicsWorld) level.physicsWorld->Destroy();
    level.physicsWorld.reset();

    // Every level starts the same way, as BACKSPACE's reset does: facing north, at full size.
    // The figure's turn and melting from the level before would otherwise carry into the first
    // steps and sun tests, and a route that wins a level from the menu could fail on the way
    // through the game. It is put on the start before its character and push box are made
    // there: where it died may lie outside the physics world, which refuses a body there.
    player->transform = Mat4();
    SetTranslation(player->transform, loaded->startPosition);
    player->scale = {kFullScale, kFullScale, kFullScale};
    player->life = 1.0f;
    player->umbrellaTime = 0.0f;
    // Its clock starts with it.
    rules.levelTime = 0.0;

    level.physicsWorld = std::make_unique<CPhysicsWorld>();
    CPhysicsWorld* world = level.physicsWorld.get();
    world->Init();
    DebugLineSink lines;
    if (CRenderer* renderer = game->GetRenderer()) {
        CShaderProgram* program = game->GetShader(ShaderId::Simple);
        lines = [renderer, program](const Vec3& from, const Vec3& to, const Vec3& fromColor, const Vec3& toColor) {
            DrawLine(*renderer, from, to, fromColor, toColor, program);
        };
    }
    world->SetDebugDrawer(std::move(lines), kPhysicsDebugMode);
    level.character.reset(world->CreateCharacter(player));
    world->AddKinematicObject(player);  // the push box
    world->DeactivateBody(player);

    level.file = std::move(loaded);
    // A recording of the run names the levels it played and what their files held.
    wl::NoteLevelPlayed(fileName, path);
    CreateCollisionObjects();
    // The follow camera starts out at the distance the player chose, not pulled in.
    if (cameras.playerCamera) cameras.playerCamera->ReleaseObstruction();
    if (cameras.freeCamera) SetTranslation(cameras.freeCamera->transform, level.file->startPosition);
    sky.light.direction = Normalize(level.file->sunDirection);

    if (!rules.gameFinished) StartLevelMusic(fileName);

    std::cout << "Level changed in " << (wl::GetRealTime() - started) << " secs" << std::endl;
}

void CPlayState::StartLevelMusic(const std::string& fileName) {
    // "level3.dae" plays music number 3: the digit just before the last '.'.
    int number = 0;
    if (!LevelMusicNumber(fileName, number)) {
        std::cerr << "WARNING: Level file name '" << fileName
                  << "' has no digit before its extension, so it has no music; the music stays as it is"
                  << std::endl;
        return;
    }
    if (CSoundManager* sound = game->GetSoundManager())
        sound->PlayLevelMusic(static_cast<int16_t>(number));
}

void CPlayState::CreateCollisionObjects() {
    if (!level.file) return;
    CPhysicsWorld* physicsWorld = level.physicsWorld.get();
    std::cout << "Creating collision meshes for static objects, this may take a while..." << std::endl;
    for (const auto& object : level.file->staticObjects) {
        if (object->clipMode != 2) UploadObjectMeshes(*object);
        if (object->clipMode != 1) physicsWorld->AddStaticMesh(object.get());
    }
    for (const auto& object : level.file->normalMappedObjects) {
        UploadObjectMeshes(*object);
        physicsWorld->AddStaticMesh(object.get());
    }
    std::cout << "ColMesh creation finished" << std::endl;

    for (const auto& object : level.file->dynamicObjects) {
        UploadObjectMeshes(*object);
        physicsWorld->AddDynamicObject(object.get(), MassOf(*object), ReadConvexProperty(object->properties));
    }

    for (const auto& trigger : level.file->triggers) {
        physicsWorld->AddTrigger(trigger.get());
        if (trigger->triggerType == "TRIGGEREND") {
            trigger->callbacks[CCallbackTrigger::kOnEnter] = &CPlayState::OnLevelEnd;
            trigger->userData = this;
        } else if (trigger->triggerType == "TRIGGERKILL") {
            trigger->callbacks[CCallbackTrigger::kOnEnter] = &CPlayState::OnKillZone;
            trigger->userData = this;
        }
    }

    CModelManager* models = game->GetModelManager();
    for (const PowerUpSpawn& spawn : level.file->powerUps) {
        const char* modelName = spawn.kind == POWERUP_KIND_MILK ? kMilkModel : kUmbrellaModel;
        if (level.powerups.count(spawn.number)) {
            // Numbers name power-ups (the pads' stars find theirs by number): one per number.
            std::cerr << "WARNING: Power-up number " << spawn.number << " is used twice in level '"
                      << level.file->fileName << "'; the later one is left out" << std::endl;
            continue;
        }
        CSceneObject* model = models ? models->GetModel(modelName) : nullptr;
        if (!model) {
            std::cerr << "ERROR: Power-up " << spawn.number << " is left out: its model \"" << modelName
                      << "\" could not be loaded" << std::endl;
            continue;
        }
        std::unique_ptr<CPowerup> powerup = CreatePowerup(*model, spawn.kind, spawn.number, spawn.position, player);
        CPowerup* added = powerup.get();
        level.powerups[spawn.number] = std::move(powerup);
        // A pick-up inside a sub-step changes the life at once: the character melts (or grows)
        // to it from the next sub-step on.
        physicsWorld->AddPowerup(added->object.get(), added->number, [this, added] {
            OnPowerupTouched(*added);
            if (level.character) level.character->SetLife(player->life);
        });
    }
}

void CPlayState::UploadObjectMeshes(CSceneGeoObject& object) {
    CRenderer* renderer = game->GetRenderer();
    for (CMesh* mesh : object.meshes) {
        if (!mesh) continue;
        if (renderer && !mesh->IsUploaded()) renderer->UploadMesh(mesh);
        game->ResolveMaterialTextures(mesh->material);
    }
}

LevelResult CPlayState::RecordLevelEnd() {
    LevelResult result;
    result.level = LevelRecordName(level.file ? level.file->fileName : std::string());
    result.seconds = rules.levelTime;
    result.life = player ? player->life : 0.0f;
    // A worse run leaves the records as they were; the line shows them beside this run.
    CProgress* progress = game->GetProgress();
    if (progress && !result.level.empty()) {
        result.record = progress->RecordLevelEnd(result.level, result.seconds, result.life);
        result.bestTime = progress->BestTime(result.level);
        result.bestLife = progress->BestLife(result.level);
    }
    // The session so far is this level's best run: the recording keeps it under its own name.
    // Records kept to this run (a watched run's) are not the player's: no best run of them.
    if (result.record.newBestTime && progress && !progress->KeptToThisRun()) wl::NoteBestRun(result.level);
    std::cout << LevelCompleteLine(result) << std::endl;
    return result;
}

void CPlayState::OnLevelEnd(CSceneTrigger* trigger, void* userData) {
    auto* play = static_cast<CPlayState*>(userData);
    // A picture of this step is already up (a kill volume was first): it stands.
    PlayRules& rules = play->rules;
    if (rules.pendingAction) return;
    const LevelResult result = play->RecordLevelEnd();
    const auto next = trigger->properties.find("nextlevel");
    if (next != trigger->properties.end()) {
        // The next level of a level started by path lies beside it.
        const CLevel* level = play->level.file.get();
        rules.nextLevelName = NextLevelFileName(level ? level->fileName : std::string(), next->second);
        if (rules.nextLevelName.empty())
            std::cerr << "ERROR: Next level '" << next->second
                      << "' is not a file in the level's folder, not loading it" << std::endl;
        rules.pendingAction = &CPlayState::LoadNextLevel;
        play->game->ShowPicture(PictureReason::StageComplete, &result);
    } else {
        // The last level: back to the menu, whose next start begins with the first level.
        rules.nextLevelName = kFirstLevelFileName;
        rules.gameFinished = true;
        rules.pendingAction = &CPlayState::BackToMenu;
        play->game->ShowPicture(PictureReason::MissionComplete, &result);
    }
}

void CPlayState::OnKillZone(CSceneTrigger*, void* userData) {
    auto* play = static_cast<CPlayState*>(userData);
    if (play->rules.pendingAction) return;  // the first picture of the step stands
    play->rules.pendingAction = &CPlayState::ReloadLevel;
    play->game->ShowPicture(PictureReason::Death, nullptr);
}

void LoadLevelByNumber(CGameState* state, int number) {
    const std::string fileName = "level" + std::to_string(number) + ".dae";
    if (!std::ifstream(LevelFilePath(fileName)).good()) return;
    CGame* game = state->GetGame();
    if (CSoundManager* sound = game->GetSoundManager()) sound->StopMusic();
    auto* play = static_cast<CPlayState*>(game->ChangeState(STATE_PLAY));
    if (play) play->LoadLevel(fileName);
}

std::vector<std::string> ShippedLevels() {
    std::vector<std::string> levels;
    for (int number = 1;; ++number) {
        const std::string fileName = "level" + std::to_string(number) + ".dae";
        if (!std::ifstream(LevelFilePath(fileName)).good()) break;
        levels.push_back(fileName);
    }
    return levels;
}

std::string ContinueLevel(const CProgress& progress) {
    const std::vector<std::string> levels = ShippedLevels();
    if (levels.empty()) return std::string();
    const std::string next = progress.FirstNotCompleted(levels);
    return next.empty() ? levels.back() : next;
}
