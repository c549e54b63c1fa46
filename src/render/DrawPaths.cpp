#include "render/DrawPaths.h"

#include <GL/glew.h>

#include <algorithm>
#include <iostream>

#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Sprite.h"
#include "render/Texture.h"
#include "scene/Mesh.h"
#include "scene/SkyBox.h"

namespace {

GLint Uniform(CShaderProgram* program, const char* name) { return program->Uniform(name); }

void SetMatrix(CShaderProgram* program, const char* name, const Mat4& matrix) {
    glUniformMatrix4fv(Uniform(program, name), 1, GL_FALSE, matrix.m);
}

// Uniforms the current program may not have: skipped when the location is -1.
void SetMatrixIfPresent(CShaderProgram* program, const char* name, const Mat4& matrix) {
    const GLint location = Uniform(program, name);
    if (location != -1) glUniformMatrix4fv(location, 1, GL_FALSE, matrix.m);
}

void SetNormalMatrixIfPresent(CShaderProgram* program, const Mat4& matrix) {
    const GLint location = Uniform(program, "uni_NormalMatrix");
    if (location == -1) return;
    float normal[9];
    NormalMatrix(matrix, normal);
    glUniformMatrix3fv(location, 1, GL_FALSE, normal);
}

const char* const kNotInVram = "ERROR: CANT DRAW A MODEL NOT LOADED INTO VRAM!";

// Draws an uploaded mesh from its GPU buffers, or from its arrays in client memory when the
// renderer's vertex buffers are off, and counts its triangles.
void DrawMesh(CRenderer& renderer, const CMesh& mesh, CShaderProgram* program) {
    const GLsizei count = static_cast<GLsizei>(mesh.indexCount);
    if (renderer.useVBOs) {
        glBindVertexArray(mesh.vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
        renderer.BindVertexAttributes(program, nullptr);
        glDrawElements(mesh.primitiveMode, count, GL_UNSIGNED_INT, nullptr);
    } else {
        // Client arrays are read through the default vertex array object with no buffer bound.
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        renderer.BindVertexAttributes(program, mesh.vertices);
        glDrawElements(mesh.primitiveMode, count, GL_UNSIGNED_INT, mesh.indices);
    }
    renderer.trianglesRendered += mesh.faceCount;
}

// Units 2, 1, 0 in that order, so unit 0 is active afterwards as every draw expects.
void UnbindMaterialTextures() {
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void BindMap(CRenderer& renderer, CShaderProgram* program, CTexture* texture, const std::string& name,
             const char* kind, const char* hasUniform, const char* mapUniform, GLint unit) {
    const GLint has = Uniform(program, hasUniform);
    // The sampler reads its own unit even without a map. A shader runs both sides of its
    // has-a-map test, and a sampler left at unit 0 would read the diffuse map once more, a
    // full filtered fetch for every fragment; its own unit, left empty, is cheap to read.
    const GLint map = Uniform(program, mapUniform);
    if (map != -1) glUniform1i(map, unit);
    if (!texture) {
        if (has != -1) glUniform1i(has, 0);
        return;
    }
    if (has != -1) glUniform1i(has, 1);
    // The map's own unit is made active before a late upload: the upload binds (and then
    // unbinds) on the active unit, which would otherwise drop a map bound just before.
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    if (texture->glId == 0) {
        std::cerr << "WARNING: Late VRAM loading of " << kind << " texture '" << name << "'!" << std::endl;
        UploadTexture(texture, renderer);
    }
    glBindTexture(GL_TEXTURE_2D, texture->glId);
}

// Every mesh of the object, each with its material; false (after the error line) at the first
// mesh that is not on the GPU, which ends the object.
bool DrawMeshes(CRenderer& renderer, CSceneObject* object, CShaderProgram* program, bool unbindArrayBuffer) {
    for (uint32_t i = 0; i < object->meshCount; ++i) {
        CMesh* mesh = object->GetMesh(i);
        if (!mesh || !mesh->IsUploaded()) {
            std::cerr << kNotInVram << std::endl;
            return false;
        }
        BindMaterial(renderer, mesh->material, program);
        DrawMesh(renderer, *mesh, program);
        UnbindMaterialTextures();
        glBindVertexArray(0);
        if (unbindArrayBuffer) glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    return true;
}

bool InFrustum(const CSceneObject* object, const Mat4& modelViewProjection) {
    return IsBoxInFrustum(object->localCorners, modelViewProjection);
}

}  // namespace

void DrawLine(CRenderer& renderer, const Vec3& from, const Vec3& to, const Vec3& fromColor, const Vec3& toColor,
              CShaderProgram* program) {
    const float segment[12] = {from.x,      from.y,      from.z,      to.x,      to.y,      to.z,
                               fromColor.x, fromColor.y, fromColor.z, toColor.x, toColor.y, toColor.z};
    GLint vertex = -1, color = -1;
    if (renderer.useVBOs) {
        glBindVertexArray(renderer.lineVao);
        glBindBuffer(GL_ARRAY_BUFFER, renderer.lineVbo);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(segment), segment);
    } else {
        vertex = program->Attribute("in_Vertex");
        color = program->Attribute("in_Color");
        glEnableVertexAttribArray(static_cast<GLuint>(vertex));
        glVertexAttribPointer(static_cast<GLuint>(vertex), 3, GL_FLOAT, GL_FALSE, 0, segment);
        glEnableVertexAttribArray(static_cast<GLuint>(color));
        glVertexAttribPointer(static_cast<GLuint>(color), 3, GL_FLOAT, GL_FALSE, 0, segment + 6);
    }
    SetMatrix(program, "uni_ModelViewMatrix", renderer.viewMatrix);
    glDrawArrays(GL_LINES, 0, 2);
    if (!renderer.useVBOs) {
        // The pointers lead into this stack frame: leave no enabled array behind that could
        // be read by a later draw through the default vertex array object.
        glDisableVertexAttribArray(static_cast<GLuint>(vertex));
        glDisableVertexAttribArray(static_cast<GLuint>(color));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void DrawBoundingBox(CRenderer& renderer, CSceneObject* object, CShaderProgram* program) {
    static const int edges[12][2] = {{0, 1}, {0, 2}, {0, 4}, {1, 3}, {1, 5}, {2, 3},
                                     {2, 6}, {3, 7}, {4, 5}, {4, 6}, {5, 7}, {6, 7}};
    const Vec3 magenta(1, 0, 1);
    for (const auto& edge : edges)
        DrawLine(renderer, object->worldCorners[edge[0]], object->worldCorners[edge[1]], magenta, magenta, program);
}

void DrawAxes(CRenderer& renderer, CSceneObject* object, CShaderProgram* program) {
    if (!renderer.axesGizmo.vertexArray) return;
    glBindVertexArray(renderer.axesGizmo.vertexArray);
    SetMatrix(program, "uni_ModelViewMatrix", Multiply(object->GetModelMatrix(), renderer.viewMatrix));
    glDrawArrays(renderer.axesGizmo.primitiveMode, 0, 6);
    glBindVertexArray(0);
}

void DrawSprite(CRenderer& renderer, CSprite* sprite, CShaderProgram* program) {
    if (sprite->vbo == CSprite::kNotCreated) {
        glGenVertexArrays(1, &sprite->vao);
        glGenBuffers(1, &sprite->vbo);
        glBindVertexArray(sprite->vao);
        glBindBuffer(GL_ARRAY_BUFFER, sprite->vbo);
        const float position[3] = {sprite->position.x, sprite->position.y, sprite->position.z};
        glBufferData(GL_ARRAY_BUFFER, sizeof(position), position, GL_STATIC_DRAW);
        const GLuint vertex = static_cast<GLuint>(program->Attribute("in_Vertex"));
        glEnableVertexAttribArray(vertex);
        glVertexAttribPointer(vertex, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    glBindVertexArray(sprite->vao);
    glBindBuffer(GL_ARRAY_BUFFER, sprite->vbo);
    renderer.BindVertexAttributes(program, nullptr);
    SetMatrixIfPresent(program, "uni_ModelViewMatrix", renderer.viewMatrix);
    if (!sprite->texture) {
        std::cerr << "SPRITE WITHOUT TEXTURE" << std::endl;
    } else if (sprite->texture->glId == 0) {
        std::cerr << "ERROR: DIFF TEXTURE NOT LOADED INTO VRAM!" << std::endl;
    } else {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, sprite->texture->glId);
        glUniform1i(Uniform(program, "uni_TextureMap"), 0);
    }
    glDrawArrays(GL_POINTS, 0, 1);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void DrawSkyBox(CRenderer& renderer, CSkyBox* skyBox, CShaderProgram* program) {
    CMesh* mesh = skyBox->meshCount > 0 ? skyBox->GetMesh(0) : nullptr;
    if (!mesh || !mesh->IsUploaded()) {
        std::cerr << "ERROR: CANT DRAW THE SKYBOX, MESH NOT LOADED INTO VRAM!" << std::endl;
        return;
    }
    const Mat4 model = skyBox->GetModelMatrix();
    SetMatrix(program, "uni_ModelViewMatrix", Multiply(model, renderer.viewMatrix));
    if (CTexture* cubeFace = mesh->material.diffuseTexture) {
        if (cubeFace->glId == 0) {
            std::cerr << "ERROR: DIFF TEXTURE NOT LOADED INTO VRAM!" << std::endl;
        } else {
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_CUBE_MAP, cubeFace->glId);
            glUniform1i(Uniform(program, "uni_CubeMap"), 0);
        }
    }
    // The sky's normals turn with the box alone, not with the camera.
    float normal[9];
    NormalMatrix(model, normal);
    glUniformMatrix3fv(Uniform(program, "uni_NormalMatrix"), 1, GL_FALSE, normal);
    DrawMesh(renderer, *mesh, program);
    renderer.objectsRendered += 1;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void BindMaterial(CRenderer& renderer, CMaterial& material, CShaderProgram* program) {
    GLint location = Uniform(program, "uni_DiffuseColor");
    if (location != -1) glUniform3fv(location, 1, material.diffuse);
    location = Uniform(program, "uni_AmbientColor");
    if (location != -1) glUniform3fv(location, 1, material.ambient);
    location = Uniform(program, "uni_SpecularColor");
    if (location != -1) glUniform3fv(location, 1, material.specular);
    location = Uniform(program, "uni_Shininess");
    if (location != -1) glUniform1f(location, material.shininess);
    BindMap(renderer, program, material.diffuseTexture, material.diffuseName, "Diff", "uni_HasDiffuseMap",
            "uni_DiffuseMap", 0);
    BindMap(renderer, program, material.normalTexture, material.normalName, "Normal", "uni_HasNormalMap",
            "uni_NormalMap", 1);
    BindMap(renderer, program, material.specularTexture, material.specularName, "Spec", "uni_HasSpecularMap",
            "uni_SpecularMap", 2);
}

void DrawSceneObject(CRenderer& renderer, CSceneObject* object, CShaderProgram* program) {
    if (!object->visible) return;
    const Mat4 model = object->GetModelMatrix();
    const Mat4 modelView = Multiply(model, renderer.viewMatrix);
    if (renderer.frustumCulling && !InFrustum(object, Multiply(modelView, renderer.projectionMatrix))) return;

    SetMatrix(program, "uni_ModelViewMatrix", modelView);
    SetNormalMatrixIfPresent(program, modelView);
    SetMatrixIfPresent(program, "uni_ModelLightMatrix", Multiply(model, renderer.lightViewMatrix));

    if (!object->projectorPowerUps.empty()) {
        // Column k of every projector's matrix goes into array k, in projector order.
        const uint32_t count = std::min<uint32_t>(renderer.projectorCount, CRenderer::kMaxProjectors);
        float columns[4][CRenderer::kMaxProjectors * 4];
        for (uint32_t i = 0; i < count; ++i) {
            const Mat4 projector = Multiply(model, renderer.projectorMatrices[i]);
            for (int k = 0; k < 4; ++k)
                for (int row = 0; row < 4; ++row) columns[k][i * 4 + static_cast<uint32_t>(row)] = projector.m[k * 4 + row];
        }
        static const char* const names[4] = {"uni_ModelProjectorMatrix1", "uni_ModelProjectorMatrix2",
                                              "uni_ModelProjectorMatrix3", "uni_ModelProjectorMatrix4"};
        for (int k = 0; k < 4 && count > 0; ++k) {
            const GLint location = Uniform(program, names[k]);
            if (location != -1) glUniform4fv(location, static_cast<GLsizei>(count), columns[k]);
        }
    }

    if (!DrawMeshes(renderer, object, program, true)) return;
    renderer.objectsRendered += 1;
}

void DrawSceneObjectTree(CRenderer& renderer, CSceneObject* object, CShaderProgram* program, const Mat4& parentMatrix,
                         bool cull) {
    if (!object->visible) return;
    const Mat4 world = Multiply(object->GetModelMatrix(), parentMatrix);
    if (renderer.frustumCulling && cull &&
        !InFrustum(object, Multiply(Multiply(world, renderer.viewMatrix), renderer.projectionMatrix)))
        return;

    if (object->meshCount > 0) {
        const Mat4 modelView = Multiply(world, renderer.viewMatrix);
        SetMatrix(program, "uni_ModelViewMatrix", modelView);
        SetNormalMatrixIfPresent(program, modelView);
        SetMatrixIfPresent(program, "uni_ModelLightMatrix", Multiply(world, renderer.lightViewMatrix));
        const GLint projectors = Uniform(program, "uni_ModelProjectorMatrix");
        const uint32_t count = std::min<uint32_t>(renderer.projectorCount, CRenderer::kMaxProjectors);
        if (projectors != -1 && count > 0) {
            Mat4 matrices[CRenderer::kMaxProjectors];
            for (uint32_t i = 0; i < count; ++i) matrices[i] = Multiply(world, renderer.projectorMatrices[i]);
            glUniformMatrix4fv(projectors, static_cast<GLsizei>(count), GL_FALSE, matrices[0].m);
        }
        // A mesh that is not on the GPU ends this object and everything below it.
        if (!DrawMeshes(renderer, object, program, true)) return;
    }
    renderer.objectsRendered += 1;
    for (size_t i = 0; i < object->children.size(); ++i)
        if (CSceneObject* child = object->GetChild(static_cast<uint32_t>(i)))
            DrawSceneObjectTree(renderer, child, program, world, false);
}

void Draw2DElement(CRenderer& renderer, CSceneObject* element, CShaderProgram* program) {
    if (!element->visible) return;
    const Mat4 model = element->GetModelMatrix();
    for (uint32_t i = 0; i < element->meshCount; ++i) {
        CMesh* mesh = element->GetMesh(i);
        if (!mesh || !mesh->IsUploaded()) {
            std::cerr << kNotInVram << std::endl;
            return;
        }
        SetMatrix(program, "uni_ModelMatrix", model);
        BindMaterial(renderer, mesh->material, program);
        DrawMesh(renderer, *mesh, program);
        UnbindMaterialTextures();
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    renderer.objectsRendered += 1;
}

bool Begin2DPass(CRenderer& renderer, CShaderProgram* program, const Mat4& orthoMatrix) {
    if (!program || !program->Use()) return false;
    SetMatrixIfPresent(program, "uni_OrthoMatrix", orthoMatrix);
    renderer.projectionMatrix = orthoMatrix;
    return true;
}

void Overlay2DState(bool blend) {
    glDisable(GL_DEPTH_TEST);
    if (blend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void Overlay2DMultiply() {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
}

void End2DOverlay() {
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
