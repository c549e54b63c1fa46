// The glyph metrics reader, UTF-8 decoding and the layout of a line, without a window.
#include <gtest/gtest.h>

#include <sstream>

#include "render/FontMetrics.h"

namespace {

// Two glyphs on a 64 x 32 atlas: 'A' whose rim sticks out 2 px left of the pen, and '?'.
const char* kMetrics =
    "# comment\n"
    "atlas 64 32\nsize 10\nline 16 12\n"
    "glyph 32 0 0 0 0 0 12 4.0\n"
    "glyph 65 2 2 12 14 -2 1 10.0\n"
    "glyph 63 20 4 8 12 0 2 7.5\n";

FontMetrics Parse(const std::string& text) {
    std::istringstream in(text);
    FontMetrics metrics;
    std::string error;
    EXPECT_TRUE(ParseFontMetrics(in, metrics, error)) << error;
    return metrics;
}

TEST(FontMetrics, BrokenFilesAreRefusedWithTheLine) {
    const struct { const char* file; const char* error; } cases[] = {
        {"atlas 64 32\nsize 10\nglyph 65 0 0 1 1 0 0 1\n", "the atlas, size and line entries are all needed"},
        {"atlas 64 32\nsize 10\nline 16 12\nglyph 65 60 0 8 8 0 0 9\n", "line 4: glyph 65 reaches outside the atlas"},
        {"atlas 64 32\nsize 10\nline 16 12\nglyph 65 0 0 8\n", "line 4: a glyph needs"},
        {"atlas 64\n", "line 1: the atlas needs a width and a height"},
        {"atlas 64 32\nsize 10\nline 16 12\nkerning 65 66 -1\n", "line 4: unknown entry 'kerning'"},
        {"atlas 64 32\nsize 10\nline 16 12\n", "no glyphs"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.file);
        FontMetrics metrics;
        std::string error;
        EXPECT_FALSE(ParseFontMetrics(in, metrics, error)) << c.file;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

TEST(FontMetrics, Utf8DecodesAndBadBytesBecomeReplacements) {
    EXPECT_EQ(DecodeUtf8("A\xC2\xB0" "b"), (std::vector<uint32_t>{'A', 0xB0, 'b'}));
    EXPECT_EQ(DecodeUtf8("\xE2\x80\xA6"), (std::vector<uint32_t>{0x2026}));
    // A stray continuation byte, a sequence cut short, an overlong slash.
    EXPECT_EQ(DecodeUtf8("\x80x"), (std::vector<uint32_t>{0xFFFD, 'x'}));
    EXPECT_EQ(DecodeUtf8("x\xC2"), (std::vector<uint32_t>{'x', 0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xC0\xAF"), (std::vector<uint32_t>{0xFFFD, 0xFFFD}));
}

TEST(FontMetrics, LayoutKeepsEveryGlyphInsideTheBoxAndScales) {
    const FontMetrics metrics = Parse(kMetrics);
    std::vector<GlyphQuad> quads;
    // 'A', space, 'A' at twice the atlas's line height.
    const TextBox box = LayoutText(metrics, "A A", 32.0f, &quads);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_FLOAT_EQ(box.height, 32.0f);
    // The first rim moves the glyphs right by its 2 atlas px (4 screen px); the pen ends at
    // 24 atlas px, the last picture at 10 + 4 - 2 + 12 = 24 too: 26 atlas px in all.
    EXPECT_FLOAT_EQ(quads[0].left, 0.0f);
    EXPECT_FLOAT_EQ(box.width, 52.0f);
    EXPECT_FLOAT_EQ(quads[1].left, (14.0f - 2.0f + 2.0f) * 2.0f);
    for (const GlyphQuad& q : quads) {
        EXPECT_GE(q.top, 0.0f);
        EXPECT_LE(q.bottom, box.height);
        EXPECT_LE(q.right, box.width);
        // Rows count from the picture's top; t runs from its bottom.
        EXPECT_FLOAT_EQ(q.t0, 1.0f - 2.0f / 32.0f);
        EXPECT_FLOAT_EQ(q.t1, 1.0f - 16.0f / 32.0f);
        EXPECT_FLOAT_EQ(q.s1 - q.s0, 12.0f / 64.0f);
    }
    EXPECT_FLOAT_EQ(LayoutText(metrics, "A A", 16.0f, nullptr).width, 26.0f);
    // A letter the atlas lacks is drawn as '?'; an empty line is as tall as any other.
    quads.clear();
    EXPECT_FLOAT_EQ(LayoutText(metrics, "Z", 16.0f, &quads).width, 8.0f);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_FLOAT_EQ(quads[0].s0, 20.0f / 64.0f);
    EXPECT_FLOAT_EQ(LayoutText(metrics, "", 16.0f, nullptr).width, 0.0f);
}

}  // namespace
