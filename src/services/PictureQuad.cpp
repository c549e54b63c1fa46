#include "services/PictureQuad.h"

#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "scene/Mesh.h"
#include "scene/ModelManager.h"
#include "scene/SceneGeoObject.h"
#include "services/Game.h"
#include "services/Window.h"

CMesh* GetPictureQuad(CGame* game) {
    CModelManager* models = game->GetModelManager();
    return models ? models->GetScreenQuad() : nullptr;
}

CShaderProgram* BeginPicturePass(CGame* game) {
    CShaderProgram* ortho = game->GetShader(ShaderId::Ortho);
    return Begin2DPass(*game->GetRenderer(), ortho, game->GetWindow()->orthoMatrix) ? ortho : nullptr;
}

void DrawPictureQuad(CGame* game, CShaderProgram* orthoProgram) {
    CMesh* quad = GetPictureQuad(game);
    if (!quad) return;
    // A throw-away 2D element around the shared quad; it does not own the mesh.
    CSceneGeoObject picture({quad}, Mat4(), "", Vec3());
    Draw2DElement(*game->GetRenderer(), &picture, orthoProgram);
}

void DarkenFrame(CGame* game, float brightness) {
    CMesh* quad = GetPictureQuad(game);
    CShaderProgram* ortho = quad ? BeginPicturePass(game) : nullptr;
    if (!ortho) return;
    const CMaterial kept = quad->material;
    quad->material.diffuseTexture = nullptr;
    quad->material.diffuseName.clear();
    for (float& channel : quad->material.diffuse) channel = brightness;
    Overlay2DMultiply();
    DrawPictureQuad(game, ortho);
    End2DOverlay();
    quad->material = kept;
}
