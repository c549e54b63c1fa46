#pragma once
// Words and numbers drawn over the frame (titles, menu entries, records) from the glyph atlas
// that tools/content/make_font.py makes: resources/textures/font_atlas.png and its metrics
// file font_atlas.txt beside it.
//
// Positions are window pixels from the top-left corner, y growing downwards; a line's (x, y)
// is the top of its box, at the box's left edge, centre or right edge by the alignment. The
// box is MeasureText's, and everything drawn lies inside it. A screen draws a centred title
// and a list of entries like this:
//
//     const float w = text.ScreenWidth(), h = text.ScreenHeight();
//     const float title = h * 0.09f, entry = h * 0.05f;
//     text.DrawText(renderer, ortho, window.orthoMatrix, "Options", w / 2, h * 0.12f, title,
//                   TextAlign::Centre);
//     for (size_t i = 0; i < entries.size(); ++i)
//         text.DrawText(renderer, ortho, window.orthoMatrix, entries[i], w / 2,
//                       h * 0.32f + float(i) * entry * 1.3f, entry, TextAlign::Centre,
//                       i == selected ? kTextHighlight : kTextCream);
//
// Each line is one draw call of the ortho program, its quads streamed through one vertex
// buffer; the glyphs are white in the atlas and take the program's material colour, with
// their dark rim and shadow unchanged.

#include <GL/glew.h>

#include <string>
#include <vector>

#include "math/Matrix.h"
#include "render/FontMetrics.h"

class CRenderer;
class CShaderProgram;
class CTextureManager;
struct CTexture;

enum class TextAlign { Left, Centre, Right };

// The HUD's cream, the colour of text unless a screen asks for another, and the sun yellow of
// a highlighted entry.
extern const Vec3 kTextCream;
extern const Vec3 kTextHighlight;

class CTextRenderer {
public:
    // Below the content root.
    static const char* const kMetricsPath;
    // The atlas's name for the texture manager (resources/textures/).
    static const char* const kAtlasName;

    CTextRenderer() = default;
    CTextRenderer(const CTextRenderer&) = delete;
    CTextRenderer& operator=(const CTextRenderer&) = delete;
    // Releases the vertex buffer if ReleaseGLBuffers has not (the GL context must be current).
    ~CTextRenderer();

    // Reads the metrics file, loads the atlas through the texture manager (which then owns it
    // and releases its GL texture with the others) and puts it on the GPU. A missing or broken
    // file gives one message on standard error and false: Ready stays false and text is not
    // drawn. Loading again once ready does nothing.
    bool Load(CTextureManager& textures, const CRenderer& renderer);
    bool Ready() const { return ready; }
    // The window's size in pixels, which the pixel positions of DrawText refer to.
    void SetScreenSize(int width, int height);
    float ScreenWidth() const { return static_cast<float>(screenWidth); }
    float ScreenHeight() const { return static_cast<float>(screenHeight); }

    // The box of one line `pixelHeight` tall (0 x 0 when not ready).
    TextBox MeasureText(const std::string& text, float pixelHeight) const;
    // Draws one line with `program` (the ortho program) and the window's `orthoMatrix`, blended
    // over what is there, in one draw call; leaves the depth test on and blending off as the
    // 3D passes expect. Nothing is drawn when not ready, for an empty line or when the program
    // cannot be used. Counts one object and two triangles a glyph in the renderer.
    void DrawText(CRenderer& renderer, CShaderProgram* program, const Mat4& orthoMatrix, const std::string& text,
                  float x, float y, float pixelHeight, TextAlign align = TextAlign::Left,
                  const Vec3& colour = kTextCream);

    // Deletes the vertex array and buffer (the context must be current). The atlas's texture
    // is the texture manager's.
    void ReleaseGLBuffers();

    const FontMetrics& Metrics() const { return metrics; }

private:
    FontMetrics metrics;
    CTexture* atlas = nullptr;  // the texture manager's
    bool ready = false;
    int screenWidth = 1, screenHeight = 1;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLsizeiptr bufferBytes = 0;  // what the buffer holds room for
    std::vector<GlyphQuad> quads;  // reused from line to line
    std::vector<float> vertices;
};
