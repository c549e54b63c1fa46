// The menu of the shipped game, as a screenshot: built twice, for a 16:9 and a 4:3 screen, it
// checks that the start picture of the screen's aspect fills the window, and the end picture
// after DOWN. TAVO_EXPECTED_SUFFIX is the aspect suffix the screen size calls for.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "game/GameImpl.h"
#include "game/OptionsState.h"
#include "services/InputManager.h"
#include "services/Window.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "support/TestSupport.h"
#include "PictureFile.h"

namespace fs = std::filesystem;

namespace {

// Screenshots the game wrote and shipped pictures (the game frees its own decoded copy once it is
// on the GPU) are read as RGB with the bottom row first: the image library's origin was set to
// the lower left by the texture manager.
PictureFile LoadPicture(const std::string& file) {
    PictureFile picture;
    ReadPictureFile(file.c_str(), 3, "menu_screenshot_test", picture);
    return picture;
}

// Mean difference per channel between the screenshot and a picture stretched over the whole
// screen, over a 32 x 18 grid of sample points.
double MeanDifference(const PictureFile& shot, const PictureFile& picture) {
    double sum = 0.0;
    int samples = 0;
    for (int gy = 0; gy < 18; ++gy)
        for (int gx = 0; gx < 32; ++gx) {
            const int x = (2 * gx + 1) * shot.width / 64, y = (2 * gy + 1) * shot.height / 36;
            const int px = x * picture.width / shot.width, py = y * picture.height / shot.height;
            const unsigned char* a = shot.At(x, y);
            const unsigned char* b = picture.At(px, py);
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a[c]) - int(b[c]));
            samples += 3;
        }
    return sum / samples;
}

TEST(MenuScreenshot, ShowsThePicturesOfTheScreensAspect) {
    const fs::path source = TAVO_SOURCE_DIR;
    testsupport::ScopedWorkDir dir;
    // The shipped content, read in place; screenshots land in the temporary folder.
    fs::create_directory_symlink(source / "shaders", dir.Path() / "shaders");
    fs::create_directory_symlink(source / "resources", dir.Path() / "resources");

    wl::InputScript script;
    script.frames = 10;
    script.Key(3, wl::KEY_DOWN);
    wl::UseInputScript(&script);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CGameImpl game;
    const int result = game.Initialize();
    std::vector<std::string> shots;
    for (int frame = 0; frame < 5 && result == 0; ++frame) {
        game.GetCurrentState()->Update(0.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.GetCurrentState()->Render();
        // The frame as drawn, before it is shown: what the screenshot key saves.
        if (frame == 1 || frame == 4) {
            // Screenshots are named by the second: each is given a name of its own here.
            const std::string shot = SaveScreenshot();
            const std::string kept = "frame" + std::to_string(frame) + ".png";
            std::error_code error;
            fs::rename(shot, kept, error);
            shots.push_back(error ? shot : kept);
        }
        wl::SwapBuffers();
        game.GetInputManager()->Update();
    }
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, 0) << out << err;
    ASSERT_EQ(game.GetWindow()->GetAspectSuffix(), TAVO_EXPECTED_SUFFIX);
    for (const std::string& line : testsupport::Lines(err)) EXPECT_NE(line.rfind("ERROR:", 0), 0u) << line;
    ASSERT_EQ(shots.size(), 2u);

    const std::string other = std::string(TAVO_EXPECTED_SUFFIX) == "_169" ? "_43" : "_169";
    CTextureManager* textures = game.GetTextureManager();
    const CTexture* shown = textures->GetTexture(std::string("menustart") + TAVO_EXPECTED_SUFFIX + ".jpg");
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->format, static_cast<uint32_t>(GL_RGB));
    const fs::path pictures = source / "resources" / "textures";
    const PictureFile start = LoadPicture((pictures / (std::string("menustart") + TAVO_EXPECTED_SUFFIX + ".jpg")).string());
    const PictureFile end = LoadPicture((pictures / (std::string("menuend") + TAVO_EXPECTED_SUFFIX + ".jpg")).string());
    const PictureFile otherStart = LoadPicture((pictures / ("menustart" + other + ".jpg")).string());
    ASSERT_TRUE(start.width > 0 && end.width > 0 && otherStart.width > 0);

    const PictureFile before = LoadPicture(shots[0]);
    const PictureFile after = LoadPicture(shots[1]);
    ASSERT_EQ(before.width, start.width) << "the picture is made for this screen size";
    ASSERT_EQ(before.height, start.height);
    // Start selected: the start picture of this aspect, pixel for pixel (up to rounding; it
    // measures 0 here, while the end picture differs by about 4 and the other aspect by 18) ...
    EXPECT_LT(MeanDifference(before, start), 1.0);
    // ... and clearly not the end picture, nor the start picture of the other aspect.
    EXPECT_GT(MeanDifference(before, end), 2.0);
    EXPECT_GT(MeanDifference(before, otherStart), 2.0);
    // After DOWN: the end picture.
    EXPECT_LT(MeanDifference(after, end), 1.0);
    EXPECT_GT(MeanDifference(after, start), 2.0);
}


// The options opened from the menu: the menu's picture dimmed (kMenuBackdrop) behind them, and the rows
// written over it in the glyph atlas's cream (bright where the dimmed picture is never bright).
TEST(MenuScreenshot, OptionsShowOverTheDimmedMenu) {
    const fs::path source = TAVO_SOURCE_DIR;
    testsupport::ScopedWorkDir dir;
    fs::create_directory_symlink(source / "shaders", dir.Path() / "shaders");
    fs::create_directory_symlink(source / "resources", dir.Path() / "resources");
    wl::InputScript script;
    script.frames = 10;
    wl::UseInputScript(&script);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    CGameImpl game;
    const int result = game.Initialize();
    std::string shot;
    if (result == 0) {
        game.ChangeState(STATE_OPTIONS);
        game.GetCurrentState()->Update(0.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.GetCurrentState()->Render();
        shot = SaveScreenshot();
    }
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, 0) << out << err;
    for (const std::string& line : testsupport::Lines(err)) EXPECT_NE(line.rfind("ERROR:", 0), 0u) << line;
    const PictureFile frame = LoadPicture(shot);
    const PictureFile menu = LoadPicture(
        (source / "resources" / "textures" / (std::string("menustart") + TAVO_EXPECTED_SUFFIX + ".jpg")).string());
    ASSERT_TRUE(frame.width > 0 && menu.width > 0);
    ASSERT_EQ(frame.width, menu.width);

    // The left tenth holds no text: there the frame is the dimmed picture.
    double difference = 0.0;
    int samples = 0;
    for (int y = frame.height / 20; y < frame.height; y += frame.height / 10)
        for (int x = 2; x < frame.width / 10; x += frame.width / 40) {
            for (int c = 0; c < 3; ++c)
                difference += std::abs(frame.At(x, y)[c] - COptionsState::kMenuBackdrop * menu.At(x, y)[c]);
            samples += 3;
        }
    EXPECT_LT(difference / samples, 3.0);

    // Each row's label, right-aligned before the value: bright glyph pixels in its band, and
    // none in the band of the gap between two rows.
    const auto& layout = COptionsState::kLayout;
    const float height = static_cast<float>(frame.height), width = static_cast<float>(frame.width);
    auto brightIn = [&](float topFraction, float heightFraction) {
        int bright = 0;
        const int top = static_cast<int>(topFraction * height);
        const int bottom = static_cast<int>((topFraction + heightFraction) * height);
        for (int y = top; y < bottom; ++y)
            for (int x = frame.width / 5; x < static_cast<int>(COptionsState::kLabelRight * width); ++x) {
                const unsigned char* p = frame.At(x, frame.height - 1 - y);  // the file's rows run upwards
                if (p[0] > 200 && p[1] > 150) ++bright;
            }
        return bright;
    };
    for (int row = 0; row + 1 < COptionsState::kRowCount; ++row) {
        const float top = layout.firstTop + static_cast<float>(row) * layout.rowPitch;
        EXPECT_GT(brightIn(top, layout.rowHeight), 50) << COptionsState::RowLabel(static_cast<OptionRow>(row));
        EXPECT_EQ(brightIn(top + layout.rowHeight + 0.003f, layout.rowPitch - layout.rowHeight - 0.006f), 0) << row;
    }
}

}  // namespace
