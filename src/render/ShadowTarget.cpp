#include "render/ShadowTarget.h"

void CreateShadowTarget(CTexture& shadowMap, GLuint& framebuffer, int size) {
    shadowMap.width = size;
    shadowMap.height = size;
    shadowMap.format = GL_DEPTH_COMPONENT;
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    glGenTextures(1, &shadowMap.glId);

    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, shadowMap.glId);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size, size, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowMap.glId, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bound));
}

void DeleteShadowTarget(CTexture& shadowMap, GLuint& framebuffer) {
    if (framebuffer != 0) glDeleteFramebuffers(1, &framebuffer);
    if (shadowMap.glId != 0) glDeleteTextures(1, &shadowMap.glId);
    framebuffer = 0;
    shadowMap.glId = 0;
}
