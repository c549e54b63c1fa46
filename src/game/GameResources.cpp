// Start-up loading of the game object: the shader programs, the preloaded textures and models.
#include <iostream>

#include "game/GameImpl.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/PlayerObject.h"
#include "services/Window.h"

namespace {

std::unique_ptr<CShaderProgram> LoadProgram(const char* name, const char* defines) {
    auto program = std::make_unique<CShaderProgram>(name, defines);
    program->Load();  // a failed program stays in place, not loaded
    return program;
}

}  // namespace

void CGameImpl::LoadShaderPrograms() {
    for (const ShaderProgramEntry& entry : kShaderPrograms)
        shaders[static_cast<size_t>(entry.id)] = LoadProgram(entry.name, entry.defines);
}

void CGameImpl::ReloadShaderPrograms() {
    const double start = wl::GetRealTime();
    // The ortho, depth and projector programs are not reloaded.
    for (ShaderId id : {ShaderId::Texture, ShaderId::TexturePhong, ShaderId::TexturePhongCheap, ShaderId::BumpPhong,
                        ShaderId::Sun, ShaderId::Cube, ShaderId::Simple})
        if (CShaderProgram* program = GetShader(id)) program->Load();
    std::cout << "Shader reload in " << wl::GetRealTime() - start << " secs" << std::endl;
}

void CGameImpl::PreloadTextures() {
    // Decoded now, uploaded when first drawn.
    static const char* const preload[] = {
        "brickwall.jpg", "chocolate.jpg", "duckCM.tga", "floor07.jpg", "floor07b.jpg",
        "hud_life.png", "hud_lifebar.png", "hud_sundetector.png", "hud_detector.png",
        "milk.png", "umbrella.png",
    };
    for (const char* name : preload) textureManager->LoadTexture(name);
    // The full-screen pictures are decoded when first shown (CTextureManager::GetPicture), only
    // in the window's shape: held decoded from start-up, the five of 1920 x 1080 took 37 MB
    // through the whole session, though a play session may show none of them.

    if (CCubeMap* sky = textureManager->GetCubeMap("sky.jpg")) UploadCubeMap(sky, *renderer);
    if (CTexture* sun = textureManager->GetTexture("sun.png")) UploadTexture(sun, *renderer);
    if (CTexture* star = textureManager->GetTexture("star.png")) UploadTexture(star, *renderer);
}

void CGameImpl::PreloadModels() {
    renderer->CreateAxesGizmo(GetShader(ShaderId::Simple));
    renderer->CreateLineBuffer(GetShader(ShaderId::Simple));
    renderer->UploadMesh(modelManager->GetCube());

    // Each prints its "not preloaded" warning: nothing is cached before this point.
    UploadSceneObjectTree(modelManager->GetPlayer("schoko.dae"));
    UploadSceneObjectTree(modelManager->GetModel("milk.dae"));
    UploadSceneObjectTree(modelManager->GetModel("umbrella.dae"));

    CMesh* skyCube = modelManager->GetSkyCube();
    if (CCubeMap* sky = textureManager->GetCubeMap("sky.jpg")) skyCube->material.diffuseTexture = &sky->faces[0];
    renderer->UploadMesh(skyCube);
    renderer->UploadMesh(modelManager->GetScreenQuad());
}

void CGameImpl::UploadSceneObjectTree(CSceneObject* object) {
    if (!object) return;  // a model that could not be loaded has been reported already
    for (uint32_t i = 0; i < object->meshCount; ++i) {
        CMesh* mesh = object->GetMesh(i);
        if (!mesh) continue;
        ResolveMaterialTextures(mesh->material);
        if (!mesh->IsUploaded()) renderer->UploadMesh(mesh);
    }
    for (CSceneObject* child : object->children) UploadSceneObjectTree(child);
}
