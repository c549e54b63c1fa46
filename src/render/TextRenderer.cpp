#include "render/TextRenderer.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/DataPaths.h"
#include "render/DrawPaths.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/Mesh.h"

const Vec3 kTextCream(250.0f / 255.0f, 236.0f / 255.0f, 208.0f / 255.0f);
const Vec3 kTextHighlight(255.0f / 255.0f, 206.0f / 255.0f, 64.0f / 255.0f);

const char* const CTextRenderer::kMetricsPath = "resources/textures/font_atlas.txt";
const char* const CTextRenderer::kAtlasName = "font_atlas.png";

namespace {

const char* const kNoText = "ERROR: Text will not be drawn: ";

// x, y, s, t per vertex; six vertices (two triangles) per glyph.
const int kFloatsPerVertex = 4;
const int kVerticesPerGlyph = 6;

}  // namespace

CTextRenderer::~CTextRenderer() { ReleaseGLBuffers(); }

bool CTextRenderer::Load(CTextureManager& textures, const CRenderer& renderer) {
    if (ready) return true;
    const std::string metricsPath = ContentPath(kMetricsPath);
    std::ifstream file(metricsPath);
    if (!file) {
        std::cerr << kNoText << "the glyph metrics '" << metricsPath << "' cannot be read" << std::endl;
        return false;
    }
    std::string error;
    FontMetrics read;
    if (!ParseFontMetrics(file, read, error)) {
        std::cerr << kNoText << "the glyph metrics '" << metricsPath << "' are broken (" << error << ")" << std::endl;
        return false;
    }
    // Asked first, so that a missing picture gives this one line rather than the loader's.
    const std::string atlasPath = ContentPath(std::string("resources/textures/") + kAtlasName);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(atlasPath, ignored)) {
        std::cerr << kNoText << "the glyph atlas '" << atlasPath << "' is missing" << std::endl;
        return false;
    }
    if (!textures.LoadTexture(kAtlasName)) {
        std::cerr << kNoText << "the glyph atlas '" << atlasPath << "' cannot be decoded" << std::endl;
        return false;
    }
    CTexture* texture = textures.GetTexture(kAtlasName);
    if (!texture || texture->width != read.atlasWidth || texture->height != read.atlasHeight) {
        std::cerr << kNoText << "the glyph atlas '" << atlasPath << "' is not the size its metrics give ("
                  << read.atlasWidth << " x " << read.atlasHeight << ")" << std::endl;
        return false;
    }
    if (texture->glId == 0) UploadTexture(texture, renderer);

    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    metrics = std::move(read);
    atlas = texture;
    ready = true;
    return true;
}

void CTextRenderer::SetScreenSize(int width, int height) {
    // A minimised window reports 0, which would make every position infinite.
    screenWidth = width > 0 ? width : 1;
    screenHeight = height > 0 ? height : 1;
}

TextBox CTextRenderer::MeasureText(const std::string& text, float pixelHeight) const {
    if (!ready) return TextBox();
    return LayoutText(metrics, text, pixelHeight, nullptr);
}

void CTextRenderer::DrawText(CRenderer& renderer, CShaderProgram* program, const Mat4& orthoMatrix,
                             const std::string& text, float x, float y, float pixelHeight, TextAlign align,
                             const Vec3& colour) {
    if (!ready || text.empty()) return;
    quads.clear();
    const TextBox box = LayoutText(metrics, text, pixelHeight, &quads);
    if (quads.empty()) return;
    if (!Begin2DPass(renderer, program, orthoMatrix)) return;

    float left = x;
    if (align == TextAlign::Centre) left -= box.width * 0.5f;
    else if (align == TextAlign::Right) left -= box.width;
    // Window pixels (y down) into the ortho program's square, -1 .. 1 with y up; glyphs are
    // placed relative to the box's top-left corner.
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    Mat4 model;
    model.m[0] = 2.0f / w;
    model.m[5] = -2.0f / h;
    model.m[12] = -1.0f + 2.0f * left / w;
    model.m[13] = 1.0f - 2.0f * y / h;
    glUniformMatrix4fv(program->Uniform("uni_ModelMatrix"), 1, GL_FALSE, model.m);

    vertices.clear();
    vertices.reserve(quads.size() * kVerticesPerGlyph * kFloatsPerVertex);
    for (const GlyphQuad& q : quads) {
        const float corners[kVerticesPerGlyph][kFloatsPerVertex] = {
            {q.left, q.top, q.s0, q.t0},     {q.left, q.bottom, q.s0, q.t1}, {q.right, q.bottom, q.s1, q.t1},
            {q.left, q.top, q.s0, q.t0},     {q.right, q.bottom, q.s1, q.t1}, {q.right, q.top, q.s1, q.t0}};
        for (const auto& corner : corners) vertices.insert(vertices.end(), corner, corner + kFloatsPerVertex);
    }
    const auto bytes = static_cast<GLsizeiptr>(vertices.size() * sizeof(float));
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    // The buffer grows to the longest line drawn so far; a shorter line replaces its start.
    if (bytes > bufferBytes) {
        glBufferData(GL_ARRAY_BUFFER, bytes, vertices.data(), GL_STREAM_DRAW);
        bufferBytes = bytes;
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices.data());
    }
    const GLsizei stride = kFloatsPerVertex * sizeof(float);
    const GLint position = program->Attribute("in_Vertex");
    const GLint tex = program->Attribute("in_Tex");
    if (position != -1) {
        glEnableVertexAttribArray(static_cast<GLuint>(position));
        glVertexAttribPointer(static_cast<GLuint>(position), 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    }
    if (tex != -1) {
        glEnableVertexAttribArray(static_cast<GLuint>(tex));
        glVertexAttribPointer(static_cast<GLuint>(tex), 2, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(2 * sizeof(float)));
    }

    CMaterial material;
    material.diffuse[0] = colour.x;
    material.diffuse[1] = colour.y;
    material.diffuse[2] = colour.z;
    material.diffuseTexture = atlas;
    material.diffuseName = kAtlasName;
    BindMaterial(renderer, material, program);

    Overlay2DState(true);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(quads.size() * kVerticesPerGlyph));
    End2DOverlay();

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    renderer.objectsRendered += 1;
    renderer.trianglesRendered += static_cast<uint32_t>(quads.size() * 2);
}

void CTextRenderer::ReleaseGLBuffers() {
    if (vertexBuffer != 0) glDeleteBuffers(1, &vertexBuffer);
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
    vertexBuffer = 0;
    vertexArray = 0;
    bufferBytes = 0;
}
