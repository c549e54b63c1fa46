#include "render/Sprite.h"

CSprite::~CSprite() {
    if (vbo != kNotCreated) glDeleteBuffers(1, &vbo);
    if (vao != kNotCreated) glDeleteVertexArrays(1, &vao);
}
