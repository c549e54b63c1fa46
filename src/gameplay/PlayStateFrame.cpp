// The play state's side of a frame: its drawing set up once (frame renderer, sun sprite, sky
// cube), and each frame a description of what is seen, handed to the frame renderer. Nothing
// here changes the rules: a frame may be skipped or drawn twice.
#include "game/Game.h"
#include "game/Hud.h"
#include "game/Window.h"
#include "gameplay/PlayState.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "render/LightView.h"
#include "render/PlayFrame.h"
#include "render/Renderer.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"

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
    if (!sunSprite) {
        sunSprite = std::make_unique<CSprite>();
        sunSprite->texture = game->GetTextureManager()->GetTexture("sun.png");
    }
    CModelManager* models = game->GetModelManager();
    if (skyBox && skyBox->meshCount == 0 && models && models->GetSkyCube()) {
        skyBox->meshes.push_back(models->GetSkyCube());
        skyBox->meshCount = 1;
    }
}

PlayFrameDescription CPlayState::DescribeFrame() {
    PlayFrameDescription frame;

    // The sun, and the light camera that the shadow pass (and the sun view) looks through.
    const Vec3 sun = light.direction;
    frame.sunDirection = sun;
    frame.sunColor = light.color;
    frame.lightProjection = LightProjection();
    frame.lightNorm = LightNormMatrix();
    frame.lightView = LightViewMatrix(sun);
    lightCamera->SetViewMatrix(frame.lightView);
    lightCamera->transform = Inverse(frame.lightView);
    frame.lightCamera = lightCamera.get();

    frame.projection = game->GetWindow()->perspectiveMatrix;
    CSceneCamera* camera = activeCamera;
    if (wl::GetKey(kSunViewKey) == wl::PRESS) {
        frame.projection = frame.lightProjection;
        camera = lightCamera.get();
    }
    frame.camera = camera;
    frame.view = camera->viewMatrix;
    frame.cameraModel = camera->GetModelMatrix();
    wl::GetWindowSize(&frame.width, &frame.height);

    frame.skyBox = skyBox.get();
    frame.sunSprite = sunSprite.get();

    if (level) {
        frame.normalMapped = Pointers(level->normalMappedObjects);
        frame.scenery = Pointers(level->staticObjects);
        frame.moving = Pointers(level->dynamicObjects);
    }
    frame.figure = player;
    for (auto& entry : powerups) {
        CPowerup& powerup = *entry.second;
        // Picked up and waiting to come back: unseen, and no marker under it.
        const bool shown = powerup.respawnTimer <= 0.0f;
        if (powerup.object) frame.powerups.push_back({powerup.object.get(), shown});
        if (shown && powerup.projector)
            frame.projectors[entry.first] = {powerup.projectorMatrix, powerup.projector.get(),
                                             powerup.projector->viewMatrix};
    }

    frame.projectiveTexturing = projectiveTexturing;
    if (projectiveTexturing) frame.projectorPicture = game->GetTextureManager()->GetTexture("star.png");
    frame.programs = {game->GetShader(ShaderId::Transform),        game->GetShader(ShaderId::Cube),
                      game->GetShader(ShaderId::Sun),              game->GetShader(ShaderId::BumpPhong),
                      game->GetShader(ShaderId::BumpPhongProj),    game->GetShader(ShaderId::TexturePhong),
                      game->GetShader(ShaderId::TexturePhongProj), game->GetShader(ShaderId::Simple)};

    frame.frustumCulling = frustumCulling;
    frame.backfaceCulling = backfaceCulling;
    frame.gizmos = gizmoDrawing;
    if (freeCamera) frame.gizmoCameras.push_back(freeCamera.get());
    if (playerCamera) frame.gizmoCameras.push_back(playerCamera.get());
    frame.physicsDebugging = physicsDebugging;
    if (physicsDebugging) {
        // The world's debug drawer was given the renderer and the lines program at level load.
        if (CPhysicsWorld* world = physicsWorld.get()) frame.physicsDebugLines = [world] { world->DebugDraw(); };
        for (int i = 0; i < CSunRays::kCount; ++i)
            frame.sunRays.push_back(
                {sunRays.start[i], sunRays.end[i], sunRays.blocked[i] ? kBlockedRayColor : kOpenRayColor});
    }

    if (CHud* hud = game->GetHud()) {
        CRenderer* renderer = game->GetRenderer();
        CShaderProgram* ortho = game->GetShader(ShaderId::Ortho);
        const Mat4 orthoMatrix = game->GetWindow()->orthoMatrix;
        const bool blended = transparency;
        frame.hud = [hud, renderer, ortho, orthoMatrix, blended] { hud->Draw(*renderer, ortho, orthoMatrix, blended); };
    }
    return frame;
}

void CPlayState::Render() { frameRenderer->Draw(*game->GetRenderer(), DescribeFrame()); }
