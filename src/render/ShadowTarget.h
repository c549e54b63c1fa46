#pragma once
// The sun's shadow map: a square depth texture and the framebuffer that renders into it. The
// play state makes one at start-up and draws into it every frame. The lit programs read its
// depths texel by texel (NEAREST, no comparison mode) in gathers of four and compare them
// themselves, each texel with its own reference depth.

#include <GL/glew.h>

#include "render/Texture.h"

constexpr int kShadowMapSize = 4096;

// Fills `shadowMap` (width and height `size`, no pixels, glId the depth texture, left bound on
// unit 3) and makes `framebuffer` with it as the only attachment. The framebuffer binding goes
// back to what it was.
void CreateShadowTarget(CTexture& shadowMap, GLuint& framebuffer, int size = kShadowMapSize);
// Deletes what CreateShadowTarget made and zeroes the ids (GL context current).
void DeleteShadowTarget(CTexture& shadowMap, GLuint& framebuffer);
