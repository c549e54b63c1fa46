// The play state's side of a frame: its drawing set up once (frame renderer, sun sprite, sky
// cube), and each frame a description of what is seen, handed to the frame renderer. Nothing
// here changes the rules: a frame may be skipped or drawn twice.
#include "gameplay/PlayState.h"
#include "gameplay/QualityPresets.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "render/LightView.h"
#include "render/PlayFrame.h"
#include "render/Renderer.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"
#include "services/Game.h"
#include "services/Hud.h"
#include "services/Settings.h"
#include "services/Window.h"

namespace {

// Key code 66: held, the frame is drawn from the sun's light camera.
const int kSunViewKey = 'B';
const Vec3 kBlockedRayColor{0.0f, 1.0f, 0.0f};
const Vec3 kOpenRayColor{1.0f, 0.0f, 0.0f};

template <typename Objects>
std::vector<CSceneObject*> Pointers(const Objects& objects) {
    std::vector<CSceneObject*> pointers;
    pointers.reserve(objects.size());
    for (const auto& object : objects) pointers.push_back(object.get());
    return pointers;
}

}  // namespace

void CPlayState::Init() {
    frameRenderer = std::make_unique<CPlayFrameRenderer>();
    SetUpScene();
    // The sun's picture and the sky's cube, where the scene set-up has not given them already.
    if (!sky.sunSprite) {
        sky.sunSprite = std::make_unique<CSprite>();
        sky.sunSprite->texture = game->GetTextureManager()->GetTexture("sun.png");
    }
    CModelManager* models = game->GetModelManager();
    if (sky.skyBox && sky.skyBox->meshCount == 0 && models && models->GetSkyCube()) {
        sky.skyBox->meshes.push_back(models->GetSkyCube());
        sky.skyBox->meshCount = 1;
    }
}

PlayFrameDescription CPlayState::DescribeFrame() {
    PlayFrameDescription frame;

    // The sun, and the light camera that the shadow pass (and the sun view) looks through.
    const Vec3 sun = sky.light.direction;
    frame.sunDirection = sun;
    frame.sunColor = sky.light.color;
    frame.lightProjection = LightProjection();
    frame.lightNorm = LightNormMatrix();
    frame.lightView = LightViewMatrix(sun);
    CSceneCamera* lightCamera = cameras.lightCamera.get();
    lightCamera->SetViewMatrix(frame.lightView);
    lightCamera->transform = Inverse(frame.lightView);
    frame.lightCamera = lightCamera;

    frame.projection = game->GetWindow()->perspectiveMatrix;
    CSceneCamera* camera = cameras.active;
    if (wl::GetKey(kSunViewKey) == wl::PRESS) {
        frame.projection = frame.lightProjection;
        camera = lightCamera;
    }
    frame.camera = camera;
    frame.view = camera->viewMatrix;
    frame.cameraModel = camera->GetModelMatrix();
    wl::GetWindowSize(&frame.width, &frame.height);
    // Read every frame: a change in the options shows in the next one.
    if (const CSettings* settings = game->GetSettings()) frame.quality = FrameQualityFor(settings->Quality());

    frame.skyBox = sky.skyBox.get();
    frame.sunSprite = sky.sunSprite.get();

    if (const CLevel* file = level.file.get()) {
        frame.normalMapped = Pointers(file->normalMappedObjects);
        frame.scenery = Pointers(file->staticObjects);
        frame.moving = Pointers(file->dynamicObjects);
    }
    frame.figure = player;
    for (auto& entry : level.powerups) {
        CPowerup& powerup = *entry.second;
        // Picked up and waiting to come back: unseen, and no marker under it.
        const bool shown = powerup.respawnTimer <= 0.0f;
        if (powerup.object) frame.powerups.push_back({powerup.object.get(), shown});
        if (shown && powerup.projector)
            frame.projectors[entry.first] = {powerup.projectorMatrix, powerup.projector.get(),
                                             powerup.projector->viewMatrix};
    }

    frame.projectiveTexturing = debug.projectiveTexturing;
    if (debug.projectiveTexturing) frame.projectorPicture = game->GetTextureManager()->GetTexture("star.png");
    frame.programs = {game->GetShader(ShaderId::Transform),        game->GetShader(ShaderId::Cube),
                      game->GetShader(ShaderId::Sun),              game->GetShader(ShaderId::BumpPhong),
                      game->GetShader(ShaderId::BumpPhongProj),    game->GetShader(ShaderId::TexturePhong),
                      game->GetShader(ShaderId::TexturePhongProj), game->GetShader(ShaderId::Simple),
                      game->GetShader(ShaderId::Ortho),            game->GetShader(ShaderId::TexturePhongCheap)};

    frame.frustumCulling = debug.frustumCulling;
    frame.backfaceCulling = debug.backfaceCulling;
    frame.gizmos = debug.gizmoDrawing;
    if (cameras.freeCamera) frame.gizmoCameras.push_back(cameras.freeCamera.get());
    if (cameras.playerCamera) frame.gizmoCameras.push_back(cameras.playerCamera.get());
    frame.physicsDebugging = debug.physicsDebugging;
    if (debug.physicsDebugging) {
        // The world's debug drawer was given the renderer and the lines program at level load.
        if (CPhysicsWorld* world = level.physicsWorld.get()) frame.physicsDebugLines = [world] { world->DebugDraw(); };
        const CSunRays& rays = sky.sunRays;
        for (int i = 0; i < CSunRays::kCount; ++i)
            frame.sunRays.push_back({rays.start[i], rays.end[i], rays.blocked[i] ? kBlockedRayColor : kOpenRayColor});
    }

    if (CHud* hud = game->GetHud()) {
        CRenderer* renderer = game->GetRenderer();
        CShaderProgram* ortho = game->GetShader(ShaderId::Ortho);
        const Mat4 orthoMatrix = game->GetWindow()->orthoMatrix;
        const bool blended = debug.transparency;
        frame.hud = [hud, renderer, ortho, orthoMatrix, blended] { hud->Draw(*renderer, ortho, orthoMatrix, blended); };
    }
    return frame;
}

void CPlayState::Render() { frameRenderer->Draw(*game->GetRenderer(), DescribeFrame()); }
