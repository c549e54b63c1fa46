#pragma once
// The glyph atlas's metrics file (resources/textures/font_atlas.txt, made by
// tools/content/make_font.py) and the layout of one line of text on it. No GL here: the text
// renderer turns a layout into quads, and the tests check layouts without a window.
//
// Lengths in the file are atlas pixels; a layout is in screen pixels, with its origin at the
// top-left corner of the line's box and y growing downwards, as screens lay out text.

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <vector>

struct GlyphMetrics {
    // Rectangle in the atlas picture, pixels from its top-left corner; 0 x 0 for a glyph that
    // shows nothing (the space).
    int x = 0, y = 0, width = 0, height = 0;
    // The rectangle's top-left corner from the pen on the top of the line.
    int offsetX = 0, offsetY = 0;
    float advance = 0.0f;  // how far the pen moves after the glyph
};

struct FontMetrics {
    int atlasWidth = 0, atlasHeight = 0;
    int emSize = 0;        // the size the glyphs were drawn at
    int lineHeight = 0;    // the line's box holds every glyph, rim and shadow included
    int baseline = 0;      // below the line's top
    std::map<uint32_t, GlyphMetrics> glyphs;  // by code point

    // The glyph for a code point; '?' for one the atlas lacks; null if it lacks that too.
    const GlyphMetrics* Find(uint32_t codePoint) const;
};

// Reads a metrics file. False, with the reason (and its line number) in `error`, for a file
// that is not one: unknown or short lines, a missing atlas, size or line entry, or a glyph
// rectangle outside the atlas.
bool ParseFontMetrics(std::istream& in, FontMetrics& metrics, std::string& error);

// The code points of a UTF-8 string; a byte that does not start a valid sequence gives
// U+FFFD (drawn as '?').
std::vector<uint32_t> DecodeUtf8(const std::string& text);

// One glyph of a laid-out line: its box on the screen and its place in the atlas (texture
// coordinates, t = 0 at the picture's bottom row as GL reads it).
struct GlyphQuad {
    float left = 0, top = 0, right = 0, bottom = 0;
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;  // at (left, top) and (right, bottom)
};

// The box a line of text fills, in screen pixels: every glyph picture lies inside it.
struct TextBox {
    float width = 0.0f;
    float height = 0.0f;
};

// Lays `text` out as one line whose box is `pixelHeight` tall (the atlas's line scaled to it),
// the box's top-left corner at the origin. Appends a quad per glyph that shows something to
// `quads` when given. Line breaks are not special: a screen draws each line itself.
TextBox LayoutText(const FontMetrics& metrics, const std::string& text, float pixelHeight,
                   std::vector<GlyphQuad>* quads);
