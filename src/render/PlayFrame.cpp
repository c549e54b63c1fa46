// The drawing side of the play state: the shadow target made at start-up, and one frame of play
// in four passes (shadow map from the sun, the lit 3D scene, debug lines, head-up display).
#include <GL/glew.h>

#include <iostream>
#include <vector>

#include "game/Game.h"
#include "game/Hud.h"
#include "game/Window.h"
#include "gameplay/PlayState.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "render/DrawPaths.h"
#include "render/LightView.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/ShadowTarget.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"

namespace {

// Key code 66: held, the frame is drawn from the sun's light camera.
const int kSunViewKey = 'B';
const Vec3 kSunDirectionColor{0.0f, 1.0f, 1.0f};
const Vec3 kBlockedRayColor{0.0f, 1.0f, 0.0f};
const Vec3 kOpenRayColor{1.0f, 0.0f, 0.0f};
const Mat4 kIdentity;

GLint Location(CShaderProgram* program, const char* name) { return program->Uniform(name); }

void SetIntIfPresent(CShaderProgram* program, const char* name, int value) {
    const GLint at = Location(program, name);
    if (at != -1) glUniform1i(at, value);
}

// `Use` of a program the frame may find missing (never loaded, or set aside by a failed load);
// the program reports itself when it cannot be used.
bool UseProgram(CShaderProgram* program) { return program != nullptr && program->Use(); }

// The per-pass values every lit program shares: projection, sun, shadow map and the projected
// marker picture.
struct LightPass {
    Mat4 projection;
    Vec3 eyeSunDirection;
    Mat4 lightNorm;
};

bool IsClip(const CSceneObject& object) { return object.clipMode == 2; }

// The two programs of a lit pass. Objects that no power-up projects onto are drawn with the
// plain program, which gives the same colour as the projecting one without its projector loop:
// a software rasterizer runs that loop for every fragment, projectors or not.
struct LitPrograms {
    CShaderProgram* plain = nullptr;      // null when it cannot be used
    CShaderProgram* projected = nullptr;  // null when projective texturing is off or it cannot be used
    CShaderProgram* current = nullptr;

    // Makes current the program for an object with or without projectors (the other one stands
    // in for a missing one).
    CShaderProgram* For(bool projectors) {
        CShaderProgram* wanted = (projected && (projectors || !plain)) ? projected : plain;
        if (wanted && wanted != current) glUseProgram(wanted->program);
        current = wanted;
        return wanted;
    }
};

// One frame's drawing for a play state: the passes share the renderer and the play state's
// level, player, power-ups and flags.
class FrameDrawer {
public:
    FrameDrawer(CPlayState& play_, CRenderer& renderer_) : play(play_), renderer(renderer_) {}

    // The per-pass light uniforms, each only where the program has it.
    void SetLightUniforms(CShaderProgram* program, const Mat4& projection, const Vec3& eyeSunDirection,
                          const Mat4& lightNorm);
    // The projectors acting on one object; also fills the renderer's projector arrays.
    void SetProjectorUniforms(CShaderProgram* program, CSceneObject* object);
    // "uni_HasProjectiveTexture" for one object, and its projectors when it has any.
    void SetProjectiveFlag(CShaderProgram* program, CSceneObject* object);
    void DrawShadowCasters(CShaderProgram* program);
    // Both programs of the pass made current in turn, with the pass's light uniforms set;
    // false when neither can be used.
    bool StartLitPass(LitPrograms& programs, const Mat4& projection, const Vec3& eyeSunDirection,
                      const Mat4& lightNorm);
    void DrawLitObjects(LitPrograms& programs);
    void DrawGizmos(CShaderProgram* program);

private:
    CPlayState& play;
    CRenderer& renderer;
};

void FrameDrawer::SetLightUniforms(CShaderProgram* program, const Mat4& projection, const Vec3& eyeSunDirection,
                                  const Mat4& lightNorm) {
    GLint at = Location(program, "uni_ProjMatrix");
    if (at != -1) glUniformMatrix4fv(at, 1, GL_FALSE, projection.m);
    at = Location(program, "uni_ParallelLightDirection");
    if (at != -1) glUniform3f(at, eyeSunDirection.x, eyeSunDirection.y, eyeSunDirection.z);
    at = Location(program, "uni_ParallelLightColor");
    if (at != -1) glUniform3f(at, play.light.color.x, play.light.color.y, play.light.color.z);
    at = Location(program, "uni_ShadowMap");
    if (at != -1) {
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_2D, play.shadowMap ? play.shadowMap->glId : 0);
        glUniform1i(at, 3);
    }
    at = Location(program, "uni_LightNormMatrix");
    if (at != -1) glUniformMatrix4fv(at, 1, GL_FALSE, lightNorm.m);
    at = Location(program, "uni_ProjTextureMap");
    if (at != -1) {
        glActiveTexture(GL_TEXTURE4);
        CTexture* star = play.GetGame()->GetTextureManager()->GetTexture("star.png");
        glBindTexture(GL_TEXTURE_2D, star ? star->glId : 0);
        glUniform1i(at, 4);
    }
}

void FrameDrawer::SetProjectorUniforms(CShaderProgram* program, CSceneObject* object) {
        const size_t n = object->projectorPowerUps.size();
    // Column j of every active projector's texture matrix, one array per column.
    std::vector<float> columns[4];
    for (auto& column : columns) column.assign(n * 4, 0.0f);
    uint32_t count = 0;
    for (int32_t number : object->projectorPowerUps) {
        const auto found = play.powerups.find(number);
        if (found == play.powerups.end()) continue;
        CPowerup& powerup = *found->second;
        // Picked up and waiting to come back: no marker under it.
        if (powerup.respawnTimer > 0.0f) continue;
        if (count >= static_cast<uint32_t>(CRenderer::kMaxProjectors)) continue;
        for (int j = 0; j < 4; ++j)
            for (int r = 0; r < 4; ++r) columns[j][count * 4 + static_cast<uint32_t>(r)] = powerup.projectorMatrix.m[j * 4 + r];
        renderer.projectorSources[count] = powerup.projector.get();
        renderer.projectorMatrices[count] = powerup.projector->viewMatrix;
        ++count;
    }
    renderer.projectorCount = count;
    SetIntIfPresent(program, "uni_ProjectorCount", static_cast<int>(count));
    // The programs hold ten entries; a longer list only ever fills the first ten.
    const GLsizei elements = static_cast<GLsizei>(std::min<size_t>(n, CRenderer::kMaxProjectors));
    static const char* const names[4] = {"uni_TextureMatrix1", "uni_TextureMatrix2", "uni_TextureMatrix3",
                                         "uni_TextureMatrix4"};
    for (int j = 0; j < 4; ++j) {
        const GLint at = Location(program, names[j]);
        if (at != -1 && elements > 0) glUniform4fv(at, elements, columns[j].data());
    }
}

void FrameDrawer::SetProjectiveFlag(CShaderProgram* program, CSceneObject* object) {
    const GLint at = Location(program, "uni_HasProjectiveTexture");
    if (at == -1) return;
    const bool projected = !object->projectorPowerUps.empty();
    glUniform1i(at, projected ? 1 : 0);
    if (projected) SetProjectorUniforms(program, object);
}

void FrameDrawer::DrawShadowCasters(CShaderProgram* program) {
            if (play.level) {
        for (auto& object : play.level->normalMappedObjects) DrawSceneObject(renderer, object.get(), program);
        for (auto& object : play.level->staticObjects)
            if (!IsClip(*object)) DrawSceneObject(renderer, object.get(), program);
    }
    if (play.player) DrawSceneObjectTree(renderer, play.player, program, kIdentity, true);
    if (play.level)
        for (auto& object : play.level->dynamicObjects) DrawSceneObject(renderer, object.get(), program);
    for (auto& entry : play.powerups) {
        CPowerup& powerup = *entry.second;
        if (powerup.respawnTimer <= 0.0f && powerup.object)
            DrawSceneObjectTree(renderer, powerup.object.get(), program, kIdentity, true);
    }
}

bool FrameDrawer::StartLitPass(LitPrograms& programs, const Mat4& projection, const Vec3& eyeSunDirection,
                               const Mat4& lightNorm) {
    for (CShaderProgram** program : {&programs.projected, &programs.plain}) {
        if (!*program) continue;
        if (!UseProgram(*program)) {
            *program = nullptr;
            continue;
        }
        SetLightUniforms(*program, projection, eyeSunDirection, lightNorm);
        programs.current = *program;
    }
    return programs.current != nullptr;
}

void FrameDrawer::DrawLitObjects(LitPrograms& programs) {
        if (play.level) {
        for (auto& object : play.level->staticObjects) {
            // Invisible colliders: solid for the physics, never drawn.
            if (IsClip(*object)) continue;
            CShaderProgram* program = programs.For(!object->projectorPowerUps.empty());
            if (play.projectiveTexturing) SetProjectiveFlag(program, object.get());
            DrawSceneObject(renderer, object.get(), program);
        }
        for (auto& object : play.level->dynamicObjects) {
            CShaderProgram* program = programs.For(!object->projectorPowerUps.empty());
            if (play.projectiveTexturing) SetProjectiveFlag(program, object.get());
            object->UpdateWorldCorners();
            DrawSceneObject(renderer, object.get(), program);
        }
    }
    // No markers on the figure or the power-ups: whatever the last level object projected must
    // not carry over onto them.
    CShaderProgram* program = programs.For(false);
    if (play.projectiveTexturing) {
        SetIntIfPresent(program, "uni_HasProjectiveTexture", 0);
        renderer.projectorCount = 0;
    }
    if (play.player) DrawSceneObjectTree(renderer, play.player, program, kIdentity, true);
    for (auto& entry : play.powerups) {
        CPowerup& powerup = *entry.second;
        if (play.projectiveTexturing) SetIntIfPresent(program, "uni_HasProjectiveTexture", 0);
        if (powerup.respawnTimer <= 0.0f && powerup.object)
            DrawSceneObjectTree(renderer, powerup.object.get(), program, kIdentity, true);
    }
}

void FrameDrawer::DrawGizmos(CShaderProgram* program) {
        glDisable(GL_DEPTH_TEST);
    if (play.level)
        for (auto& object : play.level->dynamicObjects) {
            DrawAxes(renderer, object.get(), program);
            DrawBoundingBox(renderer, object.get(), program);
        }
    if (play.freeCamera) DrawAxes(renderer, play.freeCamera.get(), program);
    if (play.playerCamera) DrawAxes(renderer, play.playerCamera.get(), program);
    if (play.level) {
        // Invisible colliders included: this is where they can be seen.
        for (auto& object : play.level->staticObjects) {
            DrawAxes(renderer, object.get(), program);
            DrawBoundingBox(renderer, object.get(), program);
        }
        for (auto& object : play.level->normalMappedObjects) {
            DrawAxes(renderer, object.get(), program);
            DrawBoundingBox(renderer, object.get(), program);
        }
    }
    for (auto& entry : play.powerups)
        if (entry.second->object) {
            DrawAxes(renderer, entry.second->object.get(), program);
            DrawBoundingBox(renderer, entry.second->object.get(), program);
        }
    if (play.player) DrawAxes(renderer, play.player, program);
    DrawLine(renderer, Vec3(0.0f, 0.0f, 0.0f), play.light.direction, kSunDirectionColor, kSunDirectionColor, program);
    if (play.player) DrawBoundingBox(renderer, play.player, program);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void CPlayState::Init() {
    // The game makes its states after GL is up; a play state made without GL (rules tests) has
    // no shadow map, and its frame skips the shadow pass.
    if (glGenFramebuffers != nullptr) {
        shadowMap = std::make_unique<CTexture>();
        GLuint framebuffer = 0;
        CreateShadowTarget(*shadowMap, framebuffer);
        shadowFramebuffer = framebuffer;
    } else {
        std::cerr << "WARNING: No GL context: the play state has no shadow map" << std::endl;
    }
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

void CPlayState::ReleaseShadowTarget() {
    if (!shadowMap) return;
    GLuint framebuffer = shadowFramebuffer;
    DeleteShadowTarget(*shadowMap, framebuffer);
    shadowFramebuffer = framebuffer;
    shadowMap.reset();
}

void CPlayState::Render() {
    CRenderer& renderer = *game->GetRenderer();
    FrameDrawer drawer(*this, renderer);
    const Vec3 sun = light.direction;
    const Mat4 lightProjection = LightProjection();
    const Mat4 lightNorm = LightNormMatrix();

    // Shadow pass: depth only, from the sun, into the shadow map.
    const Mat4 lightView = LightViewMatrix(sun);
    lightCamera->SetViewMatrix(lightView);
    lightCamera->transform = Inverse(lightView);
    renderer.lightCamera = lightCamera.get();
    renderer.lightViewMatrix = lightView;
    if (shadowMap) {
        glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
        glViewport(0, 0, shadowMap->width, shadowMap->height);
        glClear(GL_DEPTH_BUFFER_BIT);
        renderer.frustumCulling = false;
        glEnable(GL_CULL_FACE);
        // Back faces only: what a closed object casts starts behind its lit side, so the lit
        // side never shadows itself.
        glCullFace(GL_FRONT);
        CShaderProgram* depth = game->GetTransformShader();
        if (UseProgram(depth)) {
            glUniformMatrix4fv(Location(depth, "uni_ProjMatrix"), 1, GL_FALSE, lightProjection.m);
            renderer.currentCamera = lightCamera.get();
            renderer.viewMatrix = lightView;
            drawer.DrawShadowCasters(depth);
        }
    }

    // Main pass.
    renderer.objectsRendered = 0;
    renderer.trianglesRendered = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    int width = 0, height = 0;
    wl::GetWindowSize(&width, &height);
    glViewport(0, 0, width, height);
    renderer.frustumCulling = frustumCulling;
    if (!backfaceCulling) glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDepthMask(GL_FALSE);

    Mat4 projection = game->GetWindow()->perspectiveMatrix;
    CSceneCamera* camera = activeCamera;
    if (wl::GetKey(kSunViewKey) == wl::PRESS) {
        projection = lightProjection;
        camera = lightCamera.get();
    }
    renderer.projectionMatrix = projection;
    renderer.currentCamera = camera;
    renderer.viewMatrix = camera->viewMatrix;
    // The sun direction in eye space: the transpose of the camera's rotation applied to it.
    const Mat4 cameraModel = camera->GetModelMatrix();
    const Vec3 eyeSun{cameraModel.m[0] * sun.x + cameraModel.m[1] * sun.y + cameraModel.m[2] * sun.z,
                      cameraModel.m[4] * sun.x + cameraModel.m[5] * sun.y + cameraModel.m[6] * sun.z,
                      cameraModel.m[8] * sun.x + cameraModel.m[9] * sun.y + cameraModel.m[10] * sun.z};

    CShaderProgram* sky = game->GetCubeShader();
    if (skyBox && UseProgram(sky)) {
        drawer.SetLightUniforms(sky, projection, eyeSun, lightNorm);
        // The sky surrounds the camera wherever it goes; its depth is never written.
        skyBox->transform.m[12] = cameraModel.m[12];
        skyBox->transform.m[13] = cameraModel.m[13];
        skyBox->transform.m[14] = cameraModel.m[14];
        skyBox->transform.m[15] = 1.0f;
        DrawSkyBox(renderer, skyBox.get(), sky);
    }
    CShaderProgram* sunProgram = game->GetSunShader();
    if (sunSprite && UseProgram(sunProgram)) {
        drawer.SetLightUniforms(sunProgram, projection, eyeSun, lightNorm);
        DrawSprite(renderer, sunSprite.get(), sunProgram);
    }
    glDepthMask(GL_TRUE);

    LitPrograms bump{game->GetBumpShaderPhong(), projectiveTexturing ? game->GetBumpShaderPhongProj() : nullptr};
    if (level && drawer.StartLitPass(bump, projection, eyeSun, lightNorm))
        for (auto& object : level->normalMappedObjects) {
            CShaderProgram* program = bump.For(!object->projectorPowerUps.empty());
            if (projectiveTexturing) drawer.SetProjectiveFlag(program, object.get());
            DrawSceneObject(renderer, object.get(), program);
        }
    LitPrograms lit{game->GetTextureShaderPhong(),
                    projectiveTexturing ? game->GetTextureShaderPhongProj() : nullptr};
    if (drawer.StartLitPass(lit, projection, eyeSun, lightNorm)) drawer.DrawLitObjects(lit);

    // Debug lines.
    CShaderProgram* lines = game->GetSimpleShader();
    if ((gizmoDrawing || physicsDebugging) && UseProgram(lines)) {
        drawer.SetLightUniforms(lines, projection, eyeSun, lightNorm);
        if (gizmoDrawing) drawer.DrawGizmos(lines);
        if (physicsDebugging) {
            glDisable(GL_DEPTH_TEST);
            if (physicsWorld) physicsWorld->DebugDraw();
            for (int i = 0; i < CSunRays::kCount; ++i)
                DrawLine(renderer, sunRays.start[i], sunRays.end[i],
                         sunRays.blocked[i] ? kBlockedRayColor : kOpenRayColor,
                         sunRays.blocked[i] ? kBlockedRayColor : kOpenRayColor, lines);
            glEnable(GL_DEPTH_TEST);
        }
    }

    // Head-up display, over everything.
    if (CHud* hud = game->GetHud())
        hud->Draw(renderer, game->GetOrthoShader(), game->GetWindow()->orthoMatrix, transparency);

    // Left for the next frame and the other states: window framebuffer, depth test and writes
    // on, no blending, texture unit 0.
    glActiveTexture(GL_TEXTURE0);
}
