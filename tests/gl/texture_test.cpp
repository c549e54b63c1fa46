// Decoding images, cube maps, uploads and screenshots against DevIL and real GL.
#include <gtest/gtest.h>

#include <IL/il.h>

#include <filesystem>
#include <regex>

#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "support/TestSupport.h"

using testsupport::ScopedGLContext;
using testsupport::ScopedWorkDir;

namespace {

// Top rows red, bottom rows blue, with a distinct bottom-left pixel.
std::vector<unsigned char> RedOverBlue(int width, int height, int channels) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char rgba[4] = {200, 10, 10, 255};
            if (y >= height / 2) { rgba[0] = 10; rgba[2] = 200; }
            if (y == height - 1 && x == 0) { rgba[0] = 0; rgba[1] = 255; rgba[2] = 0; rgba[3] = 128; }
            if (channels == 1) pixels.push_back(y >= height / 2 ? 40 : 220);
            else pixels.insert(pixels.end(), rgba, rgba + channels);
        }
    return pixels;
}

class Textures : public ::testing::Test {
protected:
    ScopedWorkDir dir;
    CTextureManager manager;  // brings the image library up as the game does
};

// Rows come bottom first (the first stored pixel is the file's bottom-left marker), and one,
// three and four bytes a pixel pick their formats.
TEST_F(Textures, ImagesDecodeBottomRowFirstInTheirFormats) {
    const struct { const char* name; int channels; uint32_t format; std::vector<int> start; } cases[] = {
        {"a.png", 3, GL_RGB, {0, 255, 0, 10, 10, 200}},
        {"b.tga", 3, GL_RGB, {0, 255, 0, 10, 10, 200}},
        {"grey.png", 1, GL_LUMINANCE, {40}},
        {"alpha.tga", 4, GL_RGBA, {0, 255, 0, 128, 10, 10, 200, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const std::vector<unsigned char> pixels = RedOverBlue(5, 4, c.channels);
        dir.Write("resources/textures/" + name, name.back() == 'a' ? testsupport::EncodeTga(5, 4, c.channels, pixels)
                                                                   : testsupport::EncodePng(5, 4, c.channels, pixels));
        std::unique_ptr<CTexture> t(LoadImageFile(c.name));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->width, 5);
        EXPECT_EQ(t->height, 4);
        EXPECT_EQ(t->format, c.format);
        for (size_t i = 0; i < c.start.size(); ++i) EXPECT_EQ(t->pixels[i], c.start[i]) << "byte " << i;
        EXPECT_EQ(t->pixels[3 * 5 * c.channels], c.channels == 1 ? 220 : 200);  // the top row
    }
}

TEST_F(Textures, MissingFilesGiveNullAndAPresentOneIsLoadedOnceOnDemand) {
    CTexture* texture = nullptr;
    const testsupport::Output missing = testsupport::Capture([&] {
        EXPECT_FALSE(manager.LoadTexture("nothere.png"));
        texture = manager.GetTexture("nothere.png");
    });
    EXPECT_EQ(texture, nullptr);
    EXPECT_NE(missing.err.find("ERROR: Texture map file 'nothere.png' could not be loaded!"), std::string::npos)
        << missing.err;

    // One that exists: the warning once, then the same record.
    dir.Write("resources/textures/a.png", testsupport::EncodePng(2, 2, 3, RedOverBlue(2, 2, 3)));
    CTexture *first = nullptr, *second = nullptr;
    const testsupport::Output late = testsupport::Capture([&] {
        first = manager.GetTexture("a.png");
        second = manager.GetTexture("a.png");
    });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(testsupport::Lines(late.err), std::vector<std::string>{"WARNING: Texture map 'a.png' not preloaded!"});
    std::vector<CTexture*> all;
    manager.GetAllTextures(all);
    EXPECT_EQ(all.size(), 1u);
}

TEST_F(Textures, CubeMapLoadsSixNumberedFacesAndRefusesBadOnes) {
    for (int k = 1; k <= 6; ++k) {
        std::vector<unsigned char> face(4 * 4 * 3, static_cast<unsigned char>(k * 40));
        dir.Write("resources/textures/sky" + std::to_string(k) + ".png", testsupport::EncodePng(4, 4, 3, face));
    }
    CCubeMap* cube = nullptr;
    testsupport::Capture([&] { cube = manager.GetCubeMap("sky.png"); });
    ASSERT_NE(cube, nullptr);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(cube->faces[k].width, 4);
        EXPECT_EQ(cube->faces[k].pixels[0], (k + 1) * 40) << "face " << k + 1;
    }
    EXPECT_EQ(manager.GetCubeMap("sky.png"), cube);

    // Refused: a face with four bytes a pixel, a name without a dot, missing faces.
    for (int k = 1; k <= 6; ++k) {
        const int channels = k == 4 ? 4 : 3;
        std::vector<unsigned char> face(2 * 2 * channels, 90);
        dir.Write("resources/textures/bad" + std::to_string(k) + ".png", testsupport::EncodePng(2, 2, channels, face));
    }
    const std::string err = testsupport::Capture([&] {
        EXPECT_FALSE(manager.LoadCubeMap("bad.png"));
        EXPECT_FALSE(manager.LoadCubeMap("sky"));
        EXPECT_FALSE(manager.LoadCubeMap("gone.png"));
    }).err;
    EXPECT_NE(err.find("Loading image failed. Must be 24 bits/pixels.\nERROR: CubeMap 'bad.png' could not be loaded!"),
              std::string::npos) << err;
    EXPECT_NE(err.find("Loading image failed. Invalid filename. File Extension missing.\nERROR: CubeMap 'sky' could not be loaded!"),
              std::string::npos) << err;
    EXPECT_NE(err.find("Loading image failed. Invalid filename.\nERROR: CubeMap 'gone.png'"), std::string::npos);
    std::vector<CCubeMap*> cubes;
    manager.GetAllCubeMaps(cubes);
    EXPECT_EQ(cubes.size(), 1u);  // the good sky only
}

TEST_F(Textures, CubeMapRefusesFacesThatAreNotSquaresOfOneSize) {
    // Each face is uploaded as a square of the first face's size: other sizes would be read
    // past the end of their pixels.
    struct Case {
        const char* stem;
        int sizes[6][2];  // width, height of faces 1..6
        const char* message;
    };
    const Case cases[] = {
        {"wide", {{4, 2}, {4, 2}, {4, 2}, {4, 2}, {4, 2}, {4, 2}},
         "Loading image failed. Cube map face 'resources/textures/wide1.png' is 4x2; faces must be square."},
        {"tall", {{4, 4}, {4, 4}, {2, 8}, {4, 4}, {4, 4}, {4, 4}},
         "Loading image failed. Cube map face 'resources/textures/tall3.png' is 2x8; faces must be square."},
        {"mixed", {{4, 4}, {4, 4}, {4, 4}, {4, 4}, {4, 4}, {8, 8}},
         "Loading image failed. Cube map face 'resources/textures/mixed6.png' is 8x8; faces must all be the size "
         "of the first (4x4)."},
        {"smaller", {{8, 8}, {2, 2}, {8, 8}, {8, 8}, {8, 8}, {8, 8}},
         "Loading image failed. Cube map face 'resources/textures/smaller2.png' is 2x2; faces must all be the size "
         "of the first (8x8)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        for (int k = 0; k < 6; ++k) {
            const int width = c.sizes[k][0], height = c.sizes[k][1];
            const std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 3), 70);
            dir.Write("resources/textures/" + std::string(c.stem) + std::to_string(k + 1) + ".png",
                      testsupport::EncodePng(width, height, 3, pixels));
        }
        const std::string name = std::string(c.stem) + ".png";
        const std::string err = testsupport::Capture([&] { EXPECT_FALSE(manager.LoadCubeMap(name)); }).err;
        EXPECT_NE(err.find(std::string(c.message) + "\nERROR: CubeMap '" + name + "' could not be loaded!"),
                  std::string::npos)
            << err;
    }
    std::vector<CCubeMap*> cubes;
    manager.GetAllCubeMaps(cubes);
    EXPECT_TRUE(cubes.empty());
}

TEST_F(Textures, UploadKeepsRowsAndFreesThePixelsOfThatTextureOnly) {
    ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    dir.Write("resources/textures/a.png", testsupport::EncodePng(3, 3, 3, RedOverBlue(3, 3, 3)));
    dir.Write("resources/textures/b.png", testsupport::EncodePng(3, 3, 3, RedOverBlue(3, 3, 3)));
    ASSERT_TRUE(manager.LoadTexture("a.png"));
    ASSERT_TRUE(manager.LoadTexture("b.png"));
    CRenderer renderer;
    CTexture* a = manager.GetTexture("a.png");
    UploadTexture(a, renderer);
    ASSERT_NE(a->glId, 0u);

    auto filters = [](GLuint id) {
        GLint mag = 0, min = 0;
        glBindTexture(GL_TEXTURE_2D, id);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glBindTexture(GL_TEXTURE_2D, 0);
        return std::pair<GLint, GLint>(mag, min);
    };
    EXPECT_EQ(filters(a->glId), (std::pair<GLint, GLint>(GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR)));

    // Read back the 3x3 upload: odd rows must not be skewed by row alignment.
    std::vector<unsigned char> back(3 * 3 * 3);
    glBindTexture(GL_TEXTURE_2D, a->glId);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    // The file's rows come top first, GL's bottom first.
    const std::vector<unsigned char> file = RedOverBlue(3, 3, 3);
    std::vector<unsigned char> bottomUp;
    for (int row = 2; row >= 0; --row) bottomUp.insert(bottomUp.end(), file.begin() + row * 9, file.begin() + row * 9 + 9);
    EXPECT_EQ(bottomUp, back);
    // GL holds the only copy now: the decoded pixels are gone, the size stays, and a second
    // upload is refused instead of making an empty texture.
    EXPECT_EQ(a->pixels, nullptr);
    EXPECT_EQ(a->width, 3);
    const GLuint first = a->glId;
    testing::internal::CaptureStderr();
    UploadTexture(a, renderer);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("released after an earlier upload"), std::string::npos);
    EXPECT_EQ(a->glId, first);
    EXPECT_EQ(manager.GetTexture("b.png")->glId, 0u);

    manager.ReleaseGLTextures();
    EXPECT_EQ(a->glId, 0u);
}

TEST_F(Textures, ScreenshotsSaveTheViewportAtAnOddWidthEachInItsOwnFileOrSayTheyFailed) {
    ScopedGLContext gl;
    ASSERT_TRUE(gl.ok);
    const int width = 301, height = 77;  // odd width: rows are not 4-byte multiples
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 100, 20);  // bottom-left block green
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(width - 1, height - 1, 1, 1);  // top-right pixel blue
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glFinish();

    testing::internal::CaptureStdout();
    std::string name = SaveScreenshot();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(screen-\d{14}\.png)"))) << name;
    EXPECT_EQ(out, "Screenshot '" + name + "' saved in game dir!\n");

    ILuint image;
    ilGenImages(1, &image);
    ilBindImage(image);
    ASSERT_TRUE(ilLoadImage(name.c_str()));
    ASSERT_EQ(ilGetInteger(IL_IMAGE_WIDTH), width);
    ASSERT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), height);
    std::vector<unsigned char> pixels(width * height * 3);
    ilCopyPixels(0, 0, 0, width, height, 1, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    ilDeleteImages(1, &image);
    auto at = [&](int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; };  // y from the bottom
    EXPECT_EQ(at(0, 0)[1], 255);
    EXPECT_EQ(at(100, 19)[0], 255);
    EXPECT_EQ(at(width - 1, height - 1)[2], 255);
    EXPECT_EQ(at(width - 2, height - 1)[0], 255);

    // Shots taken quickly each keep a file of their own (the first one above included).
    glViewport(0, 0, 16, 16);
    std::vector<std::string> names = {name};
    testing::internal::CaptureStdout();
    for (int i = 0; i < 3; ++i) names.push_back(SaveScreenshot());
    testing::internal::GetCapturedStdout();
    bool numbered = false;
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_TRUE(std::regex_match(names[i], std::regex(R"(screen-\d{14}(-[2-4])?\.png)")));
        EXPECT_TRUE(std::filesystem::exists(names[i]));
        for (size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
        numbered = numbered || names[i].find("-2.png") != std::string::npos;
    }
    // Four shots a few milliseconds apart cannot each fall in a second of their own.
    EXPECT_TRUE(numbered);
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) files += entry.path().extension() == ".png";
    EXPECT_EQ(files, 4u);

    // A shot that cannot be written says so and never reports itself saved. (A folder gone
    // while the game ran in it: a read-only one would not stop the tests' root user.)
    std::filesystem::create_directory("gone");
    std::filesystem::current_path("gone");
    std::filesystem::remove(std::filesystem::current_path());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string failed = SaveScreenshot();
    const std::string failOut = testing::internal::GetCapturedStdout();
    const std::string failErr = testing::internal::GetCapturedStderr();
    std::filesystem::current_path(dir.Path());
    EXPECT_EQ(failed, "");
    EXPECT_EQ(failOut.find("saved"), std::string::npos) << failOut;
    EXPECT_NE(failErr.find("ERROR: Screenshot 'screen-"), std::string::npos) << failErr;
}

}  // namespace
