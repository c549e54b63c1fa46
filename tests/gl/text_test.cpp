// Text drawn from the shipped glyph atlas with the shipped ortho program, into offscreen
// framebuffers the size of an 800 x 600 and a 1920 x 1080 window, and read back: the ink lies
// in the box MeasureText gives, fills it, grows with the pixel height and spells the string.
// Also the text renderer without its files. Runs from the repository root.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "math/Matrix.h"
#include "render/Renderer.h"
#include "render/ShaderProgram.h"
#include "render/TextRenderer.h"
#include "render/TextureManager.h"
#include "support/TestSupport.h"

namespace {

// The window's orthographic matrix, as the window makes it.
Mat4 WindowOrtho() {
    Mat4 ortho;
    ortho.m[10] = -1.0f;
    return ortho;
}

const unsigned char kBackground[3] = {120, 170, 230};

// An offscreen colour buffer of a window's size, current while it lives.
struct Target {
    GLuint framebuffer = 0, colour = 0;
    int width, height;
    Target(int w, int h) : width(w), height(h) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glViewport(0, 0, w, h);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &colour);
        glDeleteFramebuffers(1, &framebuffer);
    }
    bool Complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }
    void Clear() const {
        glClearColor(kBackground[0] / 255.0f, kBackground[1] / 255.0f, kBackground[2] / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

// What was read back, top row first so that rows match the text's pixel positions.
struct Shot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    bool Ink(int x, int y) const {
        const unsigned char* p = At(x, y);
        return std::abs(p[0] - kBackground[0]) + std::abs(p[1] - kBackground[1]) + std::abs(p[2] - kBackground[2]) > 24;
    }
};

Shot Read(const Target& target) {
    Shot shot;
    shot.width = target.width;
    shot.height = target.height;
    std::vector<unsigned char> bottomUp(static_cast<size_t>(target.width) * target.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, target.width, target.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    shot.rgb.resize(bottomUp.size());
    const size_t row = static_cast<size_t>(target.width) * 3;
    for (int y = 0; y < target.height; ++y)
        std::copy_n(&bottomUp[(static_cast<size_t>(target.height - 1 - y)) * row], row, &shot.rgb[y * row]);
    return shot;
}

struct InkBox {
    int count = 0, outside = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
};

// The ink of the whole shot, and how much of it lies outside [left, right) x [top, bottom)
// (widened by a pixel for the rasterizer's rounding of the edges).
InkBox FindInk(const Shot& shot, float left, float top, float right, float bottom) {
    InkBox ink;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            if (!shot.Ink(x, y)) continue;
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            const float px = static_cast<float>(x), py = static_cast<float>(y);
            if (px + 1 < left - 1 || px > right + 1 || py + 1 < top - 1 || py > bottom + 1) ++ink.outside;
        }
    return ink;
}

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok);
        const testsupport::Output output = testsupport::Capture([&] {
            renderer.InitGL();
            ortho.Load();
            loaded = text.Load(textures, renderer);
        });
        ASSERT_TRUE(ortho.loaded) << output.err;
        ASSERT_TRUE(loaded) << output.err;
        EXPECT_EQ(output.err.find("Text will not be drawn"), std::string::npos) << output.err;
    }
    void TearDown() override {
        text.ReleaseGLBuffers();
        textures.ReleaseGLTextures();
    }

    // Draws one line into a fresh target of the window's size and reads it back.
    Shot Draw(Target& target, const std::string& line, float x, float y, float pixelHeight, TextAlign align,
              const Vec3& colour = kTextCream) {
        text.SetScreenSize(target.width, target.height);
        target.Clear();
        text.DrawText(renderer, &ortho, WindowOrtho(), line, x, y, pixelHeight, align, colour);
        return Read(target);
    }

    testsupport::ScopedGLContext gl;
    CRenderer renderer;
    CTextureManager textures;
    CShaderProgram ortho{"orthoshader"};
    CTextRenderer text;
    bool loaded = false;
};

// At both window sizes and each alignment, the ink of a line lies in its measured box and
// reaches its edges; the rim and shadow count as ink, as they are what the player sees.
TEST_F(Text, InkFillsTheMeasuredBoxAndStaysInsideItAtBothWindowSizes) {
    const std::string line = "Level 3: 100% in 2:47";
    struct Size { int w, h; };
    for (const Size size : {Size{800, 600}, Size{1920, 1080}}) {
        Target target(size.w, size.h);
        const float w = static_cast<float>(size.w);
        ASSERT_TRUE(target.Complete());
        const float pixelHeight = static_cast<float>(size.h) * 0.08f;
        const TextBox box = text.MeasureText(line, pixelHeight);
        EXPECT_FLOAT_EQ(box.height, pixelHeight);
        ASSERT_GT(box.width, pixelHeight * 5) << "a 21-character line measured too short";
        ASSERT_LT(box.width, w * 0.9f);
        const float y = static_cast<float>(size.h) * 0.3f;
        const struct { TextAlign align; float x, left; } cases[] = {
            {TextAlign::Left, 40.0f, 40.0f},
            {TextAlign::Centre, w / 2.0f, w / 2.0f - box.width / 2},
            {TextAlign::Right, w - 40.0f, w - 40.0f - box.width}};
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h) + " alignment " +
                         std::to_string(static_cast<int>(c.align)));
            const uint32_t triangles = renderer.trianglesRendered, objects = renderer.objectsRendered;
            const Shot shot = Draw(target, line, c.x, y, pixelHeight, c.align);
            // One line is one object; two triangles for each glyph that shows (not the spaces).
            EXPECT_EQ(renderer.objectsRendered - objects, 1u);
            EXPECT_EQ(renderer.trianglesRendered - triangles,
                      2u * static_cast<uint32_t>(line.size() - static_cast<size_t>(std::count(line.begin(), line.end(), ' '))));
            const InkBox ink = FindInk(shot, c.left, y, c.left + box.width, y + box.height);
            ASSERT_GT(ink.count, 0) << "nothing drawn";
            EXPECT_EQ(ink.outside, 0) << "ink outside the measured box";
            // The rims of the first and last glyphs and the tallest and lowest glyphs' pictures
            // make the box: the ink reaches within a few pixels of each side.
            const float slack = 2.0f + pixelHeight * 0.08f;
            EXPECT_NEAR(static_cast<float>(ink.left), c.left, slack);
            EXPECT_NEAR(static_cast<float>(ink.right + 1), c.left + box.width, slack);
            EXPECT_NEAR(static_cast<float>(ink.top), y, pixelHeight * 0.2f);
            EXPECT_GT(static_cast<float>(ink.bottom + 1), y + pixelHeight * 0.75f);
        }
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the 3D passes expect the depth test back on";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// Twice the pixel height: twice the ink, both ways, at the same place.
TEST_F(Text, PixelHeightScalesTheInk) {
    Target target(1920, 1080);
    ASSERT_TRUE(target.Complete());
    auto inkOf = [&](float pixelHeight) {
        const Shot shot = Draw(target, "Options", 100.0f, 100.0f, pixelHeight, TextAlign::Left);
        return FindInk(shot, 0, 0, 1920, 1080);
    };
    const InkBox small = inkOf(30.0f), large = inkOf(60.0f);
    ASSERT_GT(small.count, 0);
    const double widthRatio = double(large.right - large.left + 1) / double(small.right - small.left + 1);
    const double heightRatio = double(large.bottom - large.top + 1) / double(small.bottom - small.top + 1);
    EXPECT_NEAR(widthRatio, 2.0, 0.12);
    EXPECT_NEAR(heightRatio, 2.0, 0.12);
    EXPECT_NEAR(double(large.count) / small.count, 4.0, 0.6) << "the ink's area grows with the square";
    EXPECT_NEAR(text.MeasureText("Options", 60.0f).width, 2 * text.MeasureText("Options", 30.0f).width, 0.01);
}

// Different words give different pictures in the same place; the glyphs are not all one blot.
TEST_F(Text, DifferentStringsDrawDifferentInk) {
    Target target(800, 600);
    ASSERT_TRUE(target.Complete());
    const Shot first = Draw(target, "RESUME", 400.0f, 200.0f, 48.0f, TextAlign::Centre);
    const Shot second = Draw(target, "OPTION", 400.0f, 200.0f, 48.0f, TextAlign::Centre);
    const Shot again = Draw(target, "RESUME", 400.0f, 200.0f, 48.0f, TextAlign::Centre);
    int differ = 0, inkFirst = 0, differAgain = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            inkFirst += first.Ink(x, y);
            differ += first.Ink(x, y) != second.Ink(x, y);
            differAgain += first.Ink(x, y) != again.Ink(x, y);
        }
    ASSERT_GT(inkFirst, 500);
    EXPECT_GT(differ, inkFirst / 5) << "two words drew nearly the same pixels";
    EXPECT_EQ(differAgain, 0) << "the same word drew differently the second time";
}

// The glyphs are white in the atlas: their faces take the colour asked for, the rim stays dark.
TEST_F(Text, GlyphFacesTakeTheColourAndTheRimStaysDark) {
    Target target(800, 600);
    ASSERT_TRUE(target.Complete());
    for (const Vec3& colour : {kTextCream, kTextHighlight, Vec3(0.2f, 0.9f, 0.3f)}) {
        const Shot shot = Draw(target, "HIGH", 400.0f, 200.0f, 96.0f, TextAlign::Centre, colour);
        int face = 0, rim = 0;
        const int want[3] = {int(std::lround(colour.x * 255)), int(std::lround(colour.y * 255)),
                             int(std::lround(colour.z * 255))};
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const unsigned char* p = shot.At(x, y);
                if (std::abs(p[0] - want[0]) <= 6 && std::abs(p[1] - want[1]) <= 6 && std::abs(p[2] - want[2]) <= 6)
                    ++face;
                if (p[0] + p[1] + p[2] < 120) ++rim;
            }
        EXPECT_GT(face, 800) << "few pixels in the colour " << want[0] << " " << want[1] << " " << want[2];
        EXPECT_GT(rim, 300) << "no dark rim";
    }
}

// Without its files the text renderer says so once and draws nothing, and nothing breaks.
TEST(TextWithoutFiles, MissingOrBrokenFilesGiveOneMessageAndNoText) {
    testsupport::ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    CRenderer renderer;
    CTextureManager textures;
    const std::string shipped = std::filesystem::current_path().string() + "/";
    testsupport::ScopedWorkDir dir;
    // The shipped ortho program, in the temporary content folder.
    for (const char* stage : {".vert", ".frag"}) {
        std::ifstream in(shipped + "shaders/orthoshader" + stage);
        ASSERT_TRUE(in) << "run from the repository root";
        dir.Write(std::string("shaders/orthoshader") + stage,
                  std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    CShaderProgram ortho("orthoshader");
    testsupport::Capture([&] { ortho.Load(); });
    ASSERT_TRUE(ortho.loaded);

    std::ifstream metrics(shipped + CTextRenderer::kMetricsPath);
    ASSERT_TRUE(metrics);
    const std::string shippedMetrics((std::istreambuf_iterator<char>(metrics)), std::istreambuf_iterator<char>());

    struct Case {
        const char* what;
        std::string metricsFile;  // empty: none
        std::string expected;
    };
    const Case cases[] = {
        {"no metrics", "", "font_atlas.txt' cannot be read"},
        {"broken metrics", "atlas 1024 512\nsize 56\nline 72 49\nglyph 65 1000 0 50 50 0 0 30\n",
         "font_atlas.txt' are broken (line 4: glyph 65 reaches outside the atlas)"},
        {"metrics without the atlas", shippedMetrics, "font_atlas.png' is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.Path() / CTextRenderer::kMetricsPath);
        if (!c.metricsFile.empty()) dir.Write(CTextRenderer::kMetricsPath, c.metricsFile);
        CTextRenderer text;
        text.SetScreenSize(gl.width, gl.height);
        bool loaded = true;
        const testsupport::Output load = testsupport::Capture([&] { loaded = text.Load(textures, renderer); });
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(text.Ready());
        const std::vector<std::string> lines = testsupport::Lines(load.err);
        ASSERT_EQ(lines.size(), 1u) << load.err;
        EXPECT_NE(lines[0].find("ERROR: Text will not be drawn: "), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.expected), std::string::npos) << lines[0];

        EXPECT_EQ(text.MeasureText("Paused", 40.0f).width, 0.0f);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, gl.width, gl.height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        const uint32_t objects = renderer.objectsRendered;
        const testsupport::Output draw = testsupport::Capture(
            [&] { text.DrawText(renderer, &ortho, WindowOrtho(), "Paused", 320.0f, 200.0f, 60.0f, TextAlign::Centre); });
        EXPECT_EQ(draw.err, "") << "a renderer that is not ready draws silently";
        EXPECT_EQ(renderer.objectsRendered, objects);
        std::vector<unsigned char> rgb(static_cast<size_t>(gl.width) * gl.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, gl.width, gl.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        EXPECT_EQ(std::count(rgb.begin(), rgb.end(), 0), static_cast<long>(rgb.size())) << "something was drawn";
    }
}

}  // namespace
