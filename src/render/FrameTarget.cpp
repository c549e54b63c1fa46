#include "render/FrameTarget.h"

#include <iostream>

CFrameTarget::~CFrameTarget() { Release(); }

void CFrameTarget::Release() {
    if (framebuffer) glDeleteFramebuffers(1, &framebuffer);
    if (resolveFramebuffer) glDeleteFramebuffers(1, &resolveFramebuffer);
    if (colorBuffer) glDeleteRenderbuffers(1, &colorBuffer);
    if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
    if (resolveTexture) glDeleteTextures(1, &resolveTexture);
    framebuffer = resolveFramebuffer = colorBuffer = depthBuffer = resolveTexture = 0;
    width = height = samples = 0;
    failed = drawing = twoStep = false;
}

void CFrameTarget::Begin(int width_, int height_, int samples_) {
    drawing = false;
    if (windowSamples < 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        windowSamples = 0;
        glGetIntegerv(GL_SAMPLES, &windowSamples);
    }
    // The window's own samples serve any frame that wants no more: drawn there, as always.
    if (samples_ <= windowSamples || width_ <= 0 || height_ <= 0) {
        if (framebuffer || failed) Release();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }
    if (width_ != width || height_ != height || samples_ != samples) {
        Release();
        width = width_;
        height = height_;
        samples = samples_;
        glGenRenderbuffers(1, &colorBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
        glGenRenderbuffers(1, &depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            std::cerr << "WARNING: No " << samples << "x multisampled framebuffer of " << width << " x " << height
                      << "; the frame is drawn with the window's samples" << std::endl;
            const int w = width, h = height, s = samples;
            Release();
            width = w;
            height = h;
            samples = s;
            failed = true;
        }
    }
    if (failed) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    drawing = true;
}

void CFrameTarget::End() {
    if (!drawing) return;
    drawing = false;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    if (!twoStep) {
        while (glGetError() != GL_NO_ERROR) {
        }
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        // A window whose format is not the buffers' own refuses a resolving blit: from now on
        // the frame is resolved into a texture of the buffers' format, then copied.
        if (glGetError() != GL_INVALID_OPERATION) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            return;
        }
        twoStep = true;
        glGenTextures(1, &resolveTexture);
        glBindTexture(GL_TEXTURE_2D, resolveTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenFramebuffers(1, &resolveFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, resolveTexture, 0);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
