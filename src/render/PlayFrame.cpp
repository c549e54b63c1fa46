// The drawing side of the play state: the shadow target made at start-up, and one frame of play.
#include <iostream>

#include "gameplay/PlayState.h"
#include "render/ShadowTarget.h"

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
}

void CPlayState::Render() {}

void CPlayState::ReleaseShadowTarget() {
    if (!shadowMap) return;
    GLuint framebuffer = shadowFramebuffer;
    DeleteShadowTarget(*shadowMap, framebuffer);
    shadowFramebuffer = framebuffer;
    shadowMap.reset();
}
