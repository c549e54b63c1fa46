#include "render/SceneTarget.h"

#include <iostream>

#include "render/ShaderProgram.h"

namespace {

// The whole window in the ortho program's unit: position (x, y, z) and picture (u, v).
const float kQuad[] = {
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f,  1.0f, -1.0f, 0.0f, 1.0f, 0.0f,
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f,  1.0f, 1.0f,  0.0f, 1.0f, 1.0f,
};
const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void SetUniform1i(CShaderProgram* program, const char* name, int value) {
    const GLint at = program->Uniform(name);
    if (at != -1) glUniform1i(at, value);
}

}  // namespace

CSceneTarget::~CSceneTarget() { Release(); }

void CSceneTarget::Release() {
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
    if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
    if (texture) glDeleteTextures(1, &texture);
    if (quadVbo) glDeleteBuffers(1, &quadVbo);
    if (quadVao) glDeleteVertexArrays(1, &quadVao);
    framebuffer = depthBuffer = texture = quadVbo = quadVao = 0;
    width = height = 0;
    failed = false;
}

bool CSceneTarget::Make(int width_, int height_) {
    Release();
    width = width_;
    height = height_;

    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // Linear: stretched smoothly over the larger frame.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bound));

    glGenVertexArrays(1, &quadVao);
    glGenBuffers(1, &quadVbo);
    glBindVertexArray(quadVao);
    glBindBuffer(GL_ARRAY_BUFFER, quadVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuad), kQuad, GL_STATIC_DRAW);
    // The ortho program's attribute places: 0 position, 3 picture coordinates.
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float), reinterpret_cast<void*>(3 * sizeof(float)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    if (!complete) {
        std::cerr << "WARNING: No framebuffer of " << width << " x " << height
                  << "; the play frame is drawn at the window's size" << std::endl;
        const int w = width, h = height;
        Release();
        width = w;
        height = h;
        failed = true;
    }
    return complete;
}

bool CSceneTarget::Ensure(int width_, int height_) {
    if (width_ <= 0 || height_ <= 0) return false;
    if (width_ == width && height_ == height) return !failed;
    return Make(width_, height_);
}

void CSceneTarget::Begin() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CSceneTarget::Present(CShaderProgram* ortho, GLuint frameFramebuffer, int frameWidth, int frameHeight) {
    glBindFramebuffer(GL_FRAMEBUFFER, frameFramebuffer);
    glViewport(0, 0, frameWidth, frameHeight);
    if (!ortho || !ortho->Use()) return;
    glUniformMatrix4fv(ortho->Uniform("uni_OrthoMatrix"), 1, GL_FALSE, kIdentity);
    glUniformMatrix4fv(ortho->Uniform("uni_ModelMatrix"), 1, GL_FALSE, kIdentity);
    const GLint color = ortho->Uniform("uni_DiffuseColor");
    if (color != -1) glUniform3f(color, 1.0f, 1.0f, 1.0f);
    SetUniform1i(ortho, "uni_HasDiffuseMap", 1);
    SetUniform1i(ortho, "uni_DiffuseMap", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Counter-clockwise, so culling back faces keeps it.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBindVertexArray(quadVao);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
}
