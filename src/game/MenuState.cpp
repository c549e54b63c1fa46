#include "game/MenuState.h"

#include <GL/glew.h>

#include <iostream>

#include "game/Game.h"
#include "game/InputManager.h"
#include "game/Window.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"

namespace {

// Two triangles covering x, y in -1..1, so that the window's orthographic matrix fills the
// screen with them.
std::unique_ptr<CMesh> MakeScreenQuad() {
    auto quad = std::make_unique<CMesh>();
    quad->vertices = new Vertex[4]();
    const float corners[4][4] = {{-1, 1, 0, 1}, {1, 1, 1, 1}, {-1, -1, 0, 0}, {1, -1, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        quad->vertices[i].position[0] = corners[i][0];
        quad->vertices[i].position[1] = corners[i][1];
        quad->vertices[i].tex[0] = corners[i][2];
        quad->vertices[i].tex[1] = corners[i][3];
    }
    quad->indices = new uint32_t[6]{2, 1, 0, 2, 3, 1};
    quad->vertexCount = 4;
    quad->faceCount = 2;
    quad->indexCount = 6;
    return quad;
}

}  // namespace

CMenuState::CMenuState(CGame* game_) : CGameState(game_) { Init(); }

CMenuState::~CMenuState() = default;

void CMenuState::Init() {
    startSelected = true;
    screenQuad = MakeScreenQuad();
}

std::string CMenuState::PictureName() const {
    return std::string(startSelected ? "menustart" : "menuend") + game->GetWindow()->GetAspectSuffix() + ".jpg";
}

void CMenuState::ShowSelection() {
    screenQuad->material.diffuseTexture = game->GetTextureManager()->GetTexture(PictureName());
}

void CMenuState::Enter() {
    startSelected = true;
    ShowSelection();
}

void CMenuState::Update(double) {
    CInputManager* input = game->GetInputManager();
    if (input->KeyHit(wl::KEY_ENTER)) {
        if (startSelected) std::cerr << "WARNING: There are no levels to play in this build yet" << std::endl;
        else game->Quit();
    }
    if (input->KeyHit(wl::KEY_UP) || input->KeyHit(wl::KEY_DOWN)) {
        startSelected = !startSelected;
        ShowSelection();
    }
}

void CMenuState::Render() {
    CShaderProgram* ortho = game->GetOrthoShader();
    if (!ortho || !ortho->Use()) return;
    CRenderer* renderer = game->GetRenderer();
    const Mat4& orthoMatrix = game->GetWindow()->orthoMatrix;
    GLint location = glGetUniformLocation(ortho->program, "uni_OrthoMatrix");
    if (location != -1) glUniformMatrix4fv(location, 1, GL_FALSE, orthoMatrix.m);
    renderer->projectionMatrix = orthoMatrix;

    CMesh* quad = screenQuad.get();
    if (!quad->IsUploaded()) renderer->UploadMesh(quad);
    const Mat4 identity;
    glUniformMatrix4fv(glGetUniformLocation(ortho->program, "uni_ModelMatrix"), 1, GL_FALSE, identity.m);
    CTexture* picture = quad->material.diffuseTexture;
    if (picture && !picture->glId) UploadTexture(picture, *renderer);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture ? picture->glId : 0);
    glUniform1i(glGetUniformLocation(ortho->program, "uni_DiffuseMap"), 0);
    glUniform1i(glGetUniformLocation(ortho->program, "uni_HasDiffuseMap"), picture ? 1 : 0);
    glUniform3fv(glGetUniformLocation(ortho->program, "uni_DiffuseColor"), 1, quad->material.diffuse);

    glBindVertexArray(quad->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, quad->vertexBuffer);
    renderer->BindVertexAttributes(ortho, nullptr);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(quad->indexCount), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    renderer->trianglesRendered += quad->faceCount;
    renderer->objectsRendered += 1;
}
