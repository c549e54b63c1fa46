// The shipped pictures, decoded as the texture manager decodes them (DevIL, origin lower left),
// so these tests see the pixels the game uploads. They run from the repository root.

#include <gtest/gtest.h>

#include <IL/il.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "render/FontMetrics.h"

namespace {

struct Picture {
    bool loaded = false;
    int width = 0, height = 0;
    int bpp = 0;  // bytes per pixel as the image library reports it
    std::vector<unsigned char> pixels;  // RGBA, rows bottom-up

    const unsigned char* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
    int Alpha(int x, int y) const { return At(x, y)[3]; }
};

Picture Load(const std::string& name) {
    static const bool initialised = [] {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
        return true;
    }();
    (void)initialised;
    Picture pic;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(("resources/textures/" + name).c_str())) {
        pic.width = ilGetInteger(IL_IMAGE_WIDTH);
        pic.height = ilGetInteger(IL_IMAGE_HEIGHT);
        pic.bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height * 4);
        pic.loaded = pic.width > 0 && pic.height > 0 &&
                     ilCopyPixels(0, 0, 0, pic.width, pic.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, pic.pixels.data());
    }
    ilDeleteImages(1, &image);
    return pic;
}

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

double Luma(const unsigned char* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }

const std::vector<std::string> kScreens = {"menu", "death", "stage_complete", "mission_complete"};
// Drawn on surfaces and sprites, which the renderer uploads with mipmaps and repeats.
const std::vector<std::string> kSurfaces = {
    "brickwall.jpg", "brickwall_normal.png", "stone.jpg", "stone_normal.png", "floor07.jpg", "floor07b.jpg",
    "grass.jpg", "sand.jpg", "wood.jpg", "roof.jpg", "metal.jpg", "chocolate.jpg", "umbrella.png", "crate.jpg",
    "milk.png", "duckCM.tga", "sun.png", "star.png", "hud_life.png", "hud_lifebar.png", "hud_sundetector.png",
    "hud_detector.png", "umbrella_icon.png"};

TEST(Pictures, EveryPictureTheGameAsksForDecodesAsColourAndSurfacesHavePowerOfTwoSizes) {
    std::vector<std::string> names = kSurfaces;
    for (int face = 1; face <= 6; ++face) names.push_back("sky" + std::to_string(face) + ".jpg");
    for (const std::string& base : kScreens)
        for (const char* aspect : {"_43", "_169"})
            names.push_back(base + aspect + (base.rfind("menu", 0) == 0 ? ".jpg" : ".png"));
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const Picture pic = Load(names[i]);
        ASSERT_TRUE(pic.loaded) << "cannot be decoded";
        // 1 or 2 bytes per pixel (palette or grey files) would be uploaded as luminance.
        EXPECT_TRUE(pic.bpp == 3 || pic.bpp == 4) << "bytes per pixel " << pic.bpp;
        double lo = 255.0, hi = 0.0;  // one flat colour: the generator went wrong
        for (int y = 0; y < pic.height; y += 7)
            for (int x = 0; x < pic.width; x += 7) {
                lo = std::min(lo, Luma(pic.At(x, y)));
                hi = std::max(hi, Luma(pic.At(x, y)));
            }
        EXPECT_GT(hi - lo, 8.0) << "no visible content";
        EXPECT_TRUE(i >= kSurfaces.size() || (IsPowerOfTwo(pic.width) && IsPowerOfTwo(pic.height)));
    }
}

TEST(Pictures, NormalMapsHoldUnitNormalsFacingOutOfTheirColourMapsSurface) {
    for (const std::string base : {"brickwall", "stone"}) {
        SCOPED_TRACE(base);
        const Picture nm = Load(base + "_normal.png");
        const Picture colour = Load(base + ".jpg");
        ASSERT_TRUE(nm.loaded && colour.loaded);
        EXPECT_EQ(nm.width, colour.width);
        EXPECT_EQ(nm.height, colour.height);
        int badLength = 0, facingAway = 0;
        for (int y = 0; y < nm.height; ++y)
            for (int x = 0; x < nm.width; ++x) {
                double n[3], length = 0.0;
                for (int c = 0; c < 3; ++c) {
                    n[c] = nm.At(x, y)[c] / 255.0 * 2.0 - 1.0;
                    length += n[c] * n[c];
                }
                badLength += std::abs(std::sqrt(length) - 1.0) > 0.03;
                facingAway += n[2] <= 0.0;
            }
        EXPECT_LT(badLength, nm.width * nm.height / 1000) << "normals are not of unit length";
        EXPECT_EQ(facingAway, 0) << "normals pointing into the surface";
    }
}

// The game picks a full-screen picture by the window's aspect and blends the splash pictures
// over the frozen level; the HUD and the sprites are blended too.
TEST(Pictures, ScreenPicturesHaveTheirAspectsAndBlendedPicturesCarryAlpha) {
    for (const std::string& base : kScreens) {
        const std::string ext = base.rfind("menu", 0) == 0 ? ".jpg" : ".png";
        const Picture four3 = Load(base + "_43" + ext), wide = Load(base + "_169" + ext);
        SCOPED_TRACE(base);
        ASSERT_TRUE(four3.loaded && wide.loaded);
        EXPECT_EQ(four3.width * 3, four3.height * 4) << four3.width << "x" << four3.height;
        EXPECT_EQ(wide.width * 9, wide.height * 16) << wide.width << "x" << wide.height;
        EXPECT_TRUE(ext == ".jpg" || (four3.bpp == 4 && wide.bpp == 4)) << "blended, so it needs alpha";
    }
    for (const std::string name : {"hud_life.png", "hud_lifebar.png", "hud_sundetector.png", "hud_detector.png",
                                   "umbrella_icon.png", "sun.png", "star.png"}) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        EXPECT_EQ(pic.bpp, 4);
        EXPECT_GE(pic.Alpha(pic.width / 2, pic.height / 2), 128) << "middle should be visible";
    }
    // The menu's entry pills, drawn by the game over the menu picture: 300 x 50 with 60 and 24
    // pixels of room around (at twice that size), the pill itself opaque enough to read a label
    // on, the corners of the room clear.
    for (const std::string name : {"menu_entry.png", "menu_entry_selected.png"}) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        EXPECT_EQ(pic.bpp, 4);
        EXPECT_EQ(pic.width, 840);
        EXPECT_EQ(pic.height, 196);
        EXPECT_GE(pic.Alpha(pic.width / 2, pic.height / 2), 160) << "middle should be visible";
        EXPECT_GE(pic.Alpha(pic.width / 2 - 280, pic.height / 2), 160) << "the pill reaches 300 wide";
        for (const auto& [x, y] : {std::pair<int, int>{0, 0}, {pic.width - 1, 0}, {0, pic.height - 1},
                                   {pic.width - 1, pic.height - 1}})
            EXPECT_LT(pic.Alpha(x, y), 24) << "corner " << x << "," << y;
    }
    {
        // The chosen pill is sun yellow, the other a dark glaze.
        const Picture chosen = Load("menu_entry_selected.png"), other = Load("menu_entry.png");
        ASSERT_TRUE(chosen.loaded && other.loaded);
        const unsigned char* c = chosen.At(chosen.width / 2, chosen.height / 2);
        EXPECT_TRUE(c[0] > 220 && c[1] > 150 && c[2] < 140) << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
        EXPECT_LT(Luma(other.At(other.width / 2, other.height / 2)), 110);
    }
    // The star is projected onto surfaces with repeat: a visible border would draw a frame.
    for (const std::string name : {"sun.png", "star.png"}) {
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded && pic.width == pic.height);
        int border = 0;
        for (int i = 0; i < pic.width; ++i)
            border += pic.Alpha(i, 0) + pic.Alpha(i, pic.height - 1) + pic.Alpha(0, i) + pic.Alpha(pic.width - 1, i);
        EXPECT_EQ(border, 0) << name;
    }
}

// The glyph atlas: every glyph the game's text uses is in the metrics, the picture decodes as
// the metrics say, each glyph shows a white face with a dark rim inside its rectangle and the
// line's box, and nothing lies between the rectangles (which the smaller mipmaps would mix in).
TEST(Pictures, GlyphAtlasHoldsEveryGlyphTheGameWritesWithFaceAndRim) {
    std::ifstream file("resources/textures/font_atlas.txt");
    ASSERT_TRUE(file) << "no metrics beside the atlas";
    FontMetrics metrics;
    std::string error;
    ASSERT_TRUE(ParseFontMetrics(file, metrics, error)) << error;
    const Picture pic = Load("font_atlas.png");
    ASSERT_TRUE(pic.loaded);
    EXPECT_EQ(pic.bpp, 4);
    EXPECT_TRUE(IsPowerOfTwo(pic.width) && IsPowerOfTwo(pic.height));
    EXPECT_EQ(pic.width, metrics.atlasWidth);
    EXPECT_EQ(pic.height, metrics.atlasHeight);
    // Sharp as a 1080p headline: drawn at least 48 pixels to the em.
    EXPECT_GE(metrics.emSize, 48);

    std::vector<uint32_t> needed;
    for (uint32_t c = 32; c < 127; ++c) needed.push_back(c);
    needed.push_back(0xB0);  // degree sign
    for (uint32_t c : needed) EXPECT_NE(metrics.glyphs.count(c), 0u) << "code point " << c << " is missing";
    EXPECT_EQ(metrics.glyphs.at(' ').width * metrics.glyphs.at(' ').height, 0) << "the space shows something";
    std::vector<bool> covered(static_cast<size_t>(pic.width) * pic.height, false);
    for (const auto& [c, g] : metrics.glyphs) {
        SCOPED_TRACE("code point " + std::to_string(c));
        EXPECT_GT(g.advance, 0.0f);
        if (c == ' ') continue;
        ASSERT_GT(g.width * g.height, 0) << "shows nothing";
        EXPECT_GE(g.offsetY, 0) << "reaches above the line's box";
        EXPECT_LE(g.offsetY + g.height, metrics.lineHeight) << "reaches below the line's box";
        int face = 0, rim = 0, overlap = 0;
        for (int y = g.y; y < g.y + g.height; ++y)
            for (int x = g.x; x < g.x + g.width; ++x) {
                // The metrics count rows from the top; the decoded rows run bottom-up.
                const unsigned char* p = pic.At(x, pic.height - 1 - y);
                const size_t index = static_cast<size_t>(y) * pic.width + x;
                overlap += covered[index] ? 1 : 0;
                covered[index] = true;
                if (p[3] == 255 && p[0] > 245 && p[1] > 245 && p[2] > 245) ++face;
                if (p[3] == 255 && Luma(p) < 60) ++rim;
            }
        EXPECT_EQ(overlap, 0) << "its rectangle overlaps another's";
        EXPECT_GT(face, 0) << "no white face";
        EXPECT_GT(rim, 0) << "no dark rim";
    }
    int strays = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            if (!covered[static_cast<size_t>(y) * pic.width + x] && pic.At(x, pic.height - 1 - y)[3] != 0) ++strays;
    EXPECT_EQ(strays, 0) << "pixels that show outside every glyph's rectangle";
}

}  // namespace
