#pragma once
// A textured point drawn as a point sprite (the sun). Its GL buffer holds the position it had at
// its first draw; the buffers are made on that draw and released with the sprite.

#include <GL/glew.h>

#include "math/Matrix.h"

struct CTexture;

struct CSprite {
    static constexpr GLuint kNotCreated = static_cast<GLuint>(-1);

    CSprite() = default;
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;
    // Deletes the buffer and the vertex array object if they were made (GL context current).
    ~CSprite();

    Vec3 position;
    CTexture* texture = nullptr;  // not owned; null draws the point without a picture
    GLuint vbo = kNotCreated;
    GLuint vao = kNotCreated;
};
