// The shipped pictures, decoded as the texture manager decodes them (DevIL, origin lower left),
// so these tests see the pixels the game uploads. They run from the repository root.

#include <gtest/gtest.h>

#include <IL/il.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Picture {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int bpp = 0;  // bytes per pixel as the image library reports it
    std::vector<unsigned char> pixels;  // rows bottom-up

    const unsigned char* At(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * bpp];
    }
    int Alpha(int x, int y) const { return bpp == 4 ? At(x, y)[3] : 255; }
};

void InitImageLibraryOnce() {
    static const bool done = [] {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
        ilEnable(IL_TYPE_SET);
        ilTypeFunc(IL_UNSIGNED_BYTE);
        return true;
    }();
    (void)done;
}

Picture Load(const std::string& name) {
    InitImageLibraryOnce();
    Picture pic;
    const std::string path = "resources/textures/" + name;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadImage(path.c_str())) {
        pic.width = ilGetInteger(IL_IMAGE_WIDTH);
        pic.height = ilGetInteger(IL_IMAGE_HEIGHT);
        pic.bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        ILenum format = 0;
        switch (pic.bpp) {
            case 1: format = IL_LUMINANCE; break;
            case 2: format = IL_LUMINANCE_ALPHA; break;
            case 3: format = IL_RGB; break;
            case 4: format = IL_RGBA; break;
            default: break;
        }
        if (format != 0 && pic.width > 0 && pic.height > 0) {
            pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height * pic.bpp);
            ilCopyPixels(0, 0, 0, pic.width, pic.height, 1, format, IL_UNSIGNED_BYTE, pic.pixels.data());
            pic.loaded = true;
        }
    }
    ilBindImage(0);
    ilDeleteImages(1, &image);
    return pic;
}

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

double Luma(const unsigned char* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }

// Names the game preloads at start-up, then the ones it fetches on demand.
const std::vector<std::string> kPreloaded = {
    "brickwall.jpg", "chocolate.jpg", "duckCM.tga", "floor07.jpg", "floor07b.jpg",
    "hud_life.png", "hud_lifebar.png", "hud_sundetector.png", "hud_detector.png",
    "mission_complete_43.png", "mission_complete_169.png", "stage_complete_43.png",
    "stage_complete_169.png", "death_43.png", "death_169.png", "menustart_43.jpg",
    "menustart_169.jpg", "menuend_43.jpg", "menuend_169.jpg", "milk.png", "umbrella.png"};
const std::vector<std::string> kOnDemand = {"sun.png", "star.png", "umbrella_icon.png"};

// Surface textures that levels and models reference by name.
const std::vector<std::string> kTileable = {
    "brickwall.jpg", "brickwall_normal.png", "stone.jpg", "stone_normal.png", "floor07.jpg",
    "floor07b.jpg", "grass.jpg", "sand.jpg", "wood.jpg", "roof.jpg", "metal.jpg", "chocolate.jpg",
    "umbrella.png"};
const std::vector<std::string> kOtherSurfaces = {"crate.jpg", "milk.png", "duckCM.tga"};

// ------------------------------------------------------------------ decoding

TEST(PictureDecoding, EveryPictureTheGameAsksForDecodesAsColour) {
    std::vector<std::string> names = kPreloaded;
    names.insert(names.end(), kOnDemand.begin(), kOnDemand.end());
    names.insert(names.end(), kTileable.begin(), kTileable.end());
    names.insert(names.end(), kOtherSurfaces.begin(), kOtherSurfaces.end());
    for (int face = 1; face <= 6; ++face) names.push_back("sky" + std::to_string(face) + ".jpg");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded) << "cannot be decoded";
        EXPECT_GT(pic.width, 0);
        EXPECT_GT(pic.height, 0);
        // 1 or 2 bytes per pixel (palette or grey files) would be uploaded as luminance.
        EXPECT_TRUE(pic.bpp == 3 || pic.bpp == 4) << "bytes per pixel " << pic.bpp;
        // A picture of one flat colour means something went wrong in the generator.
        double lo = 255.0, hi = 0.0;
        for (int y = 0; y < pic.height; y += 7)
            for (int x = 0; x < pic.width; x += 7) {
                lo = std::min(lo, Luma(pic.At(x, y)));
                hi = std::max(hi, Luma(pic.At(x, y)));
            }
        EXPECT_GT(hi - lo, 8.0) << "no visible content";
    }
}

TEST(PictureDecoding, SurfaceTexturesHavePowerOfTwoSizes) {
    std::vector<std::string> names = kTileable;
    names.insert(names.end(), kOtherSurfaces.begin(), kOtherSurfaces.end());
    names.insert(names.end(), {"sun.png", "star.png", "hud_life.png", "hud_lifebar.png",
                               "hud_sundetector.png", "hud_detector.png", "umbrella_icon.png"});
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        EXPECT_TRUE(IsPowerOfTwo(pic.width)) << pic.width;
        EXPECT_TRUE(IsPowerOfTwo(pic.height)) << pic.height;
    }
}

// Mean absolute difference between two columns (or rows) of a picture.
double LineDifference(const Picture& pic, int a, int b, bool columns) {
    const int n = columns ? pic.height : pic.width;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const unsigned char* p = columns ? pic.At(a, i) : pic.At(i, a);
        const unsigned char* q = columns ? pic.At(b, i) : pic.At(i, b);
        for (int c = 0; c < 3; ++c) sum += std::abs(static_cast<int>(p[c]) - static_cast<int>(q[c]));
    }
    return sum / (3.0 * n);
}

TEST(PictureDecoding, TileableTexturesRepeatWithoutSeams) {
    // The step from the last column (row) back to the first is like any other step.
    for (const std::string& name : kTileable) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        for (bool columns : {true, false}) {
            const int n = columns ? pic.width : pic.height;
            std::vector<double> steps;
            for (int i = 0; i + 1 < n; ++i) steps.push_back(LineDifference(pic, i, i + 1, columns));
            std::sort(steps.begin(), steps.end());
            const double typical = steps[steps.size() * 3 / 4];
            const double seam = LineDifference(pic, n - 1, 0, columns);
            EXPECT_LE(seam, 2.0 * typical + 2.0) << (columns ? "left/right" : "top/bottom")
                                                 << " seam " << seam << ", typical step " << typical;
        }
    }
}

// ------------------------------------------------------------------ normal maps

TEST(NormalMaps, DecodeToUnitTangentSpaceNormalsOfTheirColourMaps) {
    for (const std::string base : {"brickwall", "stone"}) {
        SCOPED_TRACE(base);
        const Picture nm = Load(base + "_normal.png");
        const Picture colour = Load(base + ".jpg");
        ASSERT_TRUE(nm.loaded);
        ASSERT_TRUE(colour.loaded);
        ASSERT_GE(nm.bpp, 3);
        EXPECT_EQ(nm.width, colour.width);
        EXPECT_EQ(nm.height, colour.height);

        const int w = nm.width, h = nm.height;
        std::vector<double> nx(w * h), ny(w * h), nz(w * h);
        int badLength = 0, facingAway = 0;
        double sumX = 0, sumY = 0, sumZ = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = nm.At(x, y);
                const int i = y * w + x;
                nx[i] = p[0] / 255.0 * 2.0 - 1.0;
                ny[i] = p[1] / 255.0 * 2.0 - 1.0;
                nz[i] = p[2] / 255.0 * 2.0 - 1.0;
                const double len = std::sqrt(nx[i] * nx[i] + ny[i] * ny[i] + nz[i] * nz[i]);
                if (std::abs(len - 1.0) > 0.03) ++badLength;
                if (nz[i] <= 0.0) ++facingAway;
                sumX += nx[i];
                sumY += ny[i];
                sumZ += nz[i];
            }
        const double count = static_cast<double>(w) * h;
        EXPECT_LT(badLength, count * 0.001) << "normals are not of unit length";
        EXPECT_EQ(facingAway, 0) << "normals pointing into the surface";
        EXPECT_GT(sumZ / count, 0.85) << "a tangent-space map is mostly blue (z up)";
        // The slopes of a repeating surface cancel out over one tile.
        EXPECT_NEAR(sumX / count, 0.0, 0.03);
        EXPECT_NEAR(sumY / count, 0.0, 0.03);

        // One height field in the game's frame (u right, v up) gives a curl-free slope field;
        // a flipped green channel or an upside-down map does not.
        double curl = 0.0, mirrored = 0.0;
        auto idx = [w, h](int x, int y) { return ((y + h) % h) * w + ((x + w) % w); };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                auto p = [&](int i) { return -nx[i] / nz[i]; };
                auto q = [&](int i) { return -ny[i] / nz[i]; };
                const double dpdv = p(idx(x, y + 1)) - p(idx(x, y - 1));
                const double dqdu = q(idx(x + 1, y)) - q(idx(x - 1, y));
                curl += (dpdv - dqdu) * (dpdv - dqdu);
                mirrored += (dpdv + dqdu) * (dpdv + dqdu);
            }
        EXPECT_LT(curl, 0.05 * mirrored) << "normals do not form one surface with green pointing up";

        // Bumps sit where the colour map has its edges (joints, stone borders).
        const int b = 4;
        std::vector<double> edge, tilt;
        for (int by = 0; by + b <= h; by += b)
            for (int bx = 0; bx + b <= w; bx += b) {
                double e = 0.0, t = 0.0;
                for (int y = by; y < by + b; ++y)
                    for (int x = bx; x < bx + b; ++x) {
                        const double gx = Luma(colour.At((x + 1) % w, y)) - Luma(colour.At((x + w - 1) % w, y));
                        const double gy = Luma(colour.At(x, (y + 1) % h)) - Luma(colour.At(x, (y + h - 1) % h));
                        e += std::sqrt(gx * gx + gy * gy);
                        t += std::sqrt(nx[idx(x, y)] * nx[idx(x, y)] + ny[idx(x, y)] * ny[idx(x, y)]);
                    }
                edge.push_back(e);
                tilt.push_back(t);
            }
        const double n = static_cast<double>(edge.size());
        double me = 0, mt = 0;
        for (size_t i = 0; i < edge.size(); ++i) { me += edge[i]; mt += tilt[i]; }
        me /= n;
        mt /= n;
        double cov = 0, ve = 0, vt = 0;
        for (size_t i = 0; i < edge.size(); ++i) {
            cov += (edge[i] - me) * (tilt[i] - mt);
            ve += (edge[i] - me) * (edge[i] - me);
            vt += (tilt[i] - mt) * (tilt[i] - mt);
        }
        EXPECT_GT(cov / std::sqrt(ve * vt), 0.6) << "normal map does not match its colour map";
    }
}

// ------------------------------------------------------------------ sky box

// Direction through (s, t) of a cube face in OpenGL's face order +X -X +Y -Y +Z -Z.
std::array<double, 3> FaceDirection(int face, double s, double t) {
    const double a = 2.0 * s - 1.0, b = 2.0 * t - 1.0;
    switch (face) {
        case 0: return {1.0, -b, -a};
        case 1: return {-1.0, -b, a};
        case 2: return {a, 1.0, b};
        case 3: return {a, -1.0, -b};
        case 4: return {a, -b, 1.0};
        default: return {-a, -b, -1.0};
    }
}

// OpenGL's cube-map selection: which face and (s, t) a direction samples.
void Lookup(const std::array<double, 3>& d, int& face, double& s, double& t) {
    const double ax = std::abs(d[0]), ay = std::abs(d[1]), az = std::abs(d[2]);
    double sc, tc, ma;
    if (ax >= ay && ax >= az) {
        ma = ax;
        if (d[0] > 0) { face = 0; sc = -d[2]; tc = -d[1]; } else { face = 1; sc = d[2]; tc = -d[1]; }
    } else if (ay >= az) {
        ma = ay;
        if (d[1] > 0) { face = 2; sc = d[0]; tc = d[2]; } else { face = 3; sc = d[0]; tc = -d[2]; }
    } else {
        ma = az;
        if (d[2] > 0) { face = 4; sc = d[0]; tc = -d[1]; } else { face = 5; sc = -d[0]; tc = -d[1]; }
    }
    s = (sc / ma + 1.0) * 0.5;
    t = (tc / ma + 1.0) * 0.5;
}

class SkyBox : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 6; ++i) faces[i] = Load("sky" + std::to_string(i + 1) + ".jpg");
    }
    // Texel row r of a face is t = (r + 0.5) / size, as glTexImage2D receives it.
    const unsigned char* Sample(int face, double s, double t) const {
        const Picture& f = faces[face];
        const int x = std::clamp(static_cast<int>(s * f.width), 0, f.width - 1);
        const int y = std::clamp(static_cast<int>(t * f.height), 0, f.height - 1);
        return f.At(x, y);
    }
    std::array<Picture, 6> faces;
};

// (Which way up the sky is, through the game's own cube map: content_gl_tests.)
TEST_F(SkyBox, NeighbouringFacesMeetWithoutSeams) {
    for (const Picture& f : faces) ASSERT_TRUE(f.loaded && f.bpp == 3);
    const int n = faces[0].width;
    const double px = 1.0 / n;
    double total = 0.0;
    int count = 0;
    double worstEdge = 0.0;
    for (int face = 0; face < 6; ++face) {
        for (int edge = 0; edge < 4; ++edge) {
            double edgeSum = 0.0;
            for (int i = 0; i < n; ++i) {
                const double along = (i + 0.5) * px;
                double s = 0, t = 0;
                switch (edge) {
                    case 0: s = 0.5 * px; t = along; break;
                    case 1: s = 1.0 - 0.5 * px; t = along; break;
                    case 2: s = along; t = 0.5 * px; break;
                    default: s = along; t = 1.0 - 0.5 * px; break;
                }
                // One texel further out lies on the neighbouring face.
                const double so = edge == 0 ? -0.5 * px : edge == 1 ? 1.0 + 0.5 * px : s;
                const double to = edge == 2 ? -0.5 * px : edge == 3 ? 1.0 + 0.5 * px : t;
                int other = 0;
                double s2 = 0, t2 = 0;
                Lookup(FaceDirection(face, so, to), other, s2, t2);
                EXPECT_NE(other, face);
                const unsigned char* a = Sample(face, s, t);
                const unsigned char* b = Sample(other, s2, t2);
                double diff = 0.0;
                for (int c = 0; c < 3; ++c) diff += std::abs(static_cast<int>(a[c]) - static_cast<int>(b[c]));
                edgeSum += diff / 3.0;
            }
            total += edgeSum;
            count += n;
            worstEdge = std::max(worstEdge, edgeSum / n);
        }
    }
    EXPECT_LT(total / count, 4.0) << "faces do not continue into each other";
    EXPECT_LT(worstEdge, 8.0);
}

// ------------------------------------------------------------------ full-screen pictures

TEST(ScreenPictures, AspectVariantsHaveTheirAspectRatios) {
    for (const std::string base : {"menustart", "menuend", "death", "stage_complete", "mission_complete"}) {
        const std::string ext = base.rfind("menu", 0) == 0 ? ".jpg" : ".png";
        const Picture four3 = Load(base + "_43" + ext);
        const Picture wide = Load(base + "_169" + ext);
        SCOPED_TRACE(base);
        ASSERT_TRUE(four3.loaded);
        ASSERT_TRUE(wide.loaded);
        EXPECT_EQ(four3.width * 3, four3.height * 4) << four3.width << "x" << four3.height;
        EXPECT_EQ(wide.width * 9, wide.height * 16) << wide.width << "x" << wide.height;
        EXPECT_GE(four3.height, 600);
        EXPECT_GE(wide.height, 720);
    }
}

TEST(ScreenPictures, SplashPicturesAreReadablePanelsOverASeeThroughVeil) {
    for (const std::string base : {"death", "stage_complete", "mission_complete"})
        for (const std::string suffix : {"_43", "_169"}) {
            SCOPED_TRACE(base + suffix);
            const Picture pic = Load(base + suffix + ".png");
            ASSERT_TRUE(pic.loaded);
            ASSERT_EQ(pic.bpp, 4) << "blended over the frozen level, so it needs alpha";
            EXPECT_GE(pic.Alpha(pic.width / 2, pic.height / 2), 200) << "centre panel must be solid";
            for (int corner = 0; corner < 4; ++corner) {
                const int x = (corner & 1) ? pic.width - 1 : 0;
                const int y = (corner & 2) ? pic.height - 1 : 0;
                const int a = pic.Alpha(x, y);
                EXPECT_GT(a, 20) << "corner " << corner;
                EXPECT_LT(a, 200) << "corner " << corner;
            }
            // Most of the screen lets the level show through.
            long seeThrough = 0, samples = 0;
            for (int y = 0; y < pic.height; y += 4)
                for (int x = 0; x < pic.width; x += 4, ++samples)
                    if (pic.Alpha(x, y) < 200) ++seeThrough;
            EXPECT_GT(seeThrough, samples / 2);
            // The panel carries text: light and dark pixels side by side in the middle.
            double lo = 255, hi = 0;
            for (int y = pic.height * 2 / 5; y < pic.height * 3 / 5; ++y)
                for (int x = pic.width / 3; x < pic.width * 2 / 3; ++x) {
                    lo = std::min(lo, Luma(pic.At(x, y)));
                    hi = std::max(hi, Luma(pic.At(x, y)));
                }
            EXPECT_GT(hi - lo, 100.0);
        }
}

TEST(ScreenPictures, MenuPicturesDifferOnlyInWhichEntryIsHighlighted) {
    for (const std::string suffix : {"_43", "_169"}) {
        SCOPED_TRACE(suffix);
        const Picture start = Load("menustart" + suffix + ".jpg");
        const Picture end = Load("menuend" + suffix + ".jpg");
        ASSERT_TRUE(start.loaded);
        ASSERT_TRUE(end.loaded);
        ASSERT_EQ(start.bpp, 3);
        ASSERT_EQ(end.bpp, 3);
        ASSERT_EQ(start.width, end.width);
        ASSERT_EQ(start.height, end.height);
        // Rows (bottom-up) that contain a clearly changed pixel.
        int lowRow = start.height, highRow = -1;
        long changed = 0;
        for (int y = 0; y < start.height; ++y)
            for (int x = 0; x < start.width; ++x)
                if (std::abs(Luma(start.At(x, y)) - Luma(end.At(x, y))) > 30.0) {
                    ++changed;
                    lowRow = std::min(lowRow, y);
                    highRow = std::max(highRow, y);
                }
        const long total = static_cast<long>(start.width) * start.height;
        EXPECT_GT(changed, total / 200) << "the two menu pictures look the same";
        EXPECT_LT(changed, total / 5) << "more than the entries changed";
        ASSERT_LT(lowRow, highRow);
        // The changed band holds the upper entry (Start) and the lower one (Quit):
        // in menustart the upper one is the brighter, in menuend the lower one.
        const int mid = (lowRow + highRow) / 2;
        double upperStart = 0, upperEnd = 0, lowerStart = 0, lowerEnd = 0;
        for (int y = lowRow; y <= highRow; ++y)
            for (int x = 0; x < start.width; ++x) {
                const double a = Luma(start.At(x, y)), b = Luma(end.At(x, y));
                if (std::abs(a - b) <= 30.0) continue;
                if (y > mid) { upperStart += a; upperEnd += b; } else { lowerStart += a; lowerEnd += b; }
            }
        EXPECT_GT(upperStart, upperEnd) << "Start is not highlighted in menustart";
        EXPECT_GT(lowerEnd, lowerStart) << "Quit is not highlighted in menuend";
    }
}

// ------------------------------------------------------------------ HUD and sprites

TEST(HudPictures, CarryAlphaAndFitTheirQuads) {
    for (const std::string name : {"hud_life.png", "hud_lifebar.png", "hud_sundetector.png",
                                   "hud_detector.png", "umbrella_icon.png"}) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        EXPECT_EQ(pic.bpp, 4);
        EXPECT_GE(pic.Alpha(pic.width / 2, pic.height / 2), 128) << "middle should be visible";
    }
    // The two panels are drawn 200 x 100 pixels, the umbrella icon 48 x 48.
    for (const std::string name : {"hud_life.png", "hud_sundetector.png"}) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        EXPECT_EQ(pic.width, 2 * pic.height);
        EXPECT_LT(pic.Alpha(0, 0), 128) << "rounded panel corners are see-through";
        EXPECT_LT(pic.Alpha(pic.width - 1, pic.height - 1), 128);
    }
    const Picture icon = Load("umbrella_icon.png");
    ASSERT_TRUE(icon.loaded);
    EXPECT_EQ(icon.width, icon.height);
    EXPECT_EQ(icon.Alpha(0, 0), 0);
    EXPECT_EQ(icon.Alpha(icon.width - 1, 0), 0);
}

TEST(HudPictures, LifeBarPanelLeavesADarkSlotWhereTheBarIsDrawn) {
    // The HUD draws the 150 x 16 bar at x 25..175, y 42..58 of the 200 x 100 panel.
    const Picture panel = Load("hud_life.png");
    ASSERT_TRUE(panel.loaded);
    const double kx = panel.width / 200.0, ky = panel.height / 100.0;
    double inside = 0;
    int n = 0;
    for (int y = static_cast<int>(44 * ky); y < static_cast<int>(56 * ky); ++y)
        for (int x = static_cast<int>(28 * kx); x < static_cast<int>(172 * kx); ++x, ++n)
            inside += Luma(panel.At(x, y));
    inside /= n;
    EXPECT_LT(inside, 50.0) << "the slot under the bar should be dark";
    const Picture bar = Load("hud_lifebar.png");
    ASSERT_TRUE(bar.loaded);
    double barLuma = 0;
    for (int x = 0; x < bar.width; ++x) barLuma += Luma(bar.At(x, bar.height / 2));
    EXPECT_GT(barLuma / bar.width, inside + 80.0) << "the bar must stand out from its slot";
}

TEST(Sprites, SunAndStarFadeOutBeforeTheirEdges) {
    for (const std::string name : {"sun.png", "star.png"}) {
        SCOPED_TRACE(name);
        const Picture pic = Load(name);
        ASSERT_TRUE(pic.loaded);
        ASSERT_EQ(pic.bpp, 4);
        EXPECT_EQ(pic.width, pic.height);
        // Textures repeat: a projected star must leave no frame around its square.
        int border = 0;
        for (int i = 0; i < pic.width; ++i) {
            border += pic.Alpha(i, 0) + pic.Alpha(i, pic.height - 1);
            border += pic.Alpha(0, i) + pic.Alpha(pic.width - 1, i);
        }
        EXPECT_EQ(border, 0);
        const unsigned char* centre = pic.At(pic.width / 2, pic.height / 2);
        EXPECT_GE(centre[3], 200);
        EXPECT_GT(Luma(centre), 200.0) << "bright in the middle";
    }
    // Where the star is empty its colour is black too, for additive blending.
    const Picture star = Load("star.png");
    ASSERT_TRUE(star.loaded);
    long coloured = 0;
    for (int y = 0; y < star.height; ++y)
        for (int x = 0; x < star.width; ++x)
            if (star.Alpha(x, y) == 0 && Luma(star.At(x, y)) > 4.0) ++coloured;
    EXPECT_EQ(coloured, 0);
}

// ------------------------------------------------------------------ model skins

TEST(ModelSkins, DuckSkinLayoutSurvivesTheTgaRoundTrip) {
    // Yellow body left, orange beak right, the dark eye at v = 0.75 as the game samples it.
    const Picture duck = Load("duckCM.tga");
    ASSERT_TRUE(duck.loaded);
    ASSERT_EQ(duck.bpp, 3);
    const unsigned char* body = duck.At(duck.width / 8, duck.height / 8);
    EXPECT_GT(body[0], 200);
    EXPECT_GT(body[1], 160);
    EXPECT_LT(body[2], 110);
    const unsigned char* beak = duck.At(duck.width * 7 / 8, duck.height / 2);
    EXPECT_GT(beak[0], 200);
    EXPECT_LT(beak[1], 170);
    long darkUpper = 0, darkLower = 0;
    for (int y = 0; y < duck.height; ++y)
        for (int x = 0; x < duck.width; ++x)
            if (Luma(duck.At(x, y)) < 60.0) (y >= duck.height / 2 ? darkUpper : darkLower)++;
    EXPECT_GT(darkUpper, 100);
    EXPECT_EQ(darkLower, 0);
    const unsigned char* eye = duck.At(duck.width * 3 / 8, duck.height * 3 / 4);
    EXPECT_LT(Luma(eye), 60.0);
}

}  // namespace
