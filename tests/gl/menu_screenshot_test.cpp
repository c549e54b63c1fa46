// The menu of the shipped game, as a screenshot: built twice, for a 16:9 and a 4:3 screen, it
// checks that the menu picture of the screen's aspect fills the window around the entries, and
// that the entries are drawn as pills in their places with their labels: four without
// progress, the chosen one sun yellow (the first, then the second after DOWN), and five with
// "Continue" first and chosen once a level is won. TAVO_EXPECTED_SUFFIX is the aspect suffix
// the screen size calls for.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <vector>
#include <algorithm>
#include <unistd.h>

#include "game/GameImpl.h"
#include "game/MenuState.h"
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
// screen, over a 32 x 18 grid of sample points, leaving out those whose height (a fraction from
// the top) lies between `skipFrom` and `skipTo`.
double MeanDifference(const PictureFile& shot, const PictureFile& picture, double skipFrom = 2.0,
                      double skipTo = 2.0) {
    double sum = 0.0;
    int samples = 0;
    for (int gy = 0; gy < 18; ++gy)
        for (int gx = 0; gx < 32; ++gx) {
            const int x = (2 * gx + 1) * shot.width / 64, y = (2 * gy + 1) * shot.height / 36;
            const double down = 1.0 - (y + 0.5) / shot.height;  // rows are stored bottom first
            if (down >= skipFrom && down <= skipTo) continue;
            const int px = x * picture.width / shot.width, py = y * picture.height / shot.height;
            const unsigned char* a = shot.At(x, y);
            const unsigned char* b = picture.At(px, py);
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a[c]) - int(b[c]));
            samples += 3;
        }
    return sum / samples;
}

double Luma(const unsigned char* p) { return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; }

// The pixel `down` (a fraction of the height from the top) and `across` pixels from the middle.
const unsigned char* Pixel(const PictureFile& shot, double across, double down) {
    const int x = static_cast<int>(shot.width / 2.0 + across);
    const int y = shot.height - 1 - static_cast<int>(down * shot.height);
    return shot.At(x, y);
}

// Pixels along the middle row of a pill, within a tenth of the height either side of the middle,
// that are dark (the chosen label) or light (another label).
int LabelPixels(const PictureFile& shot, double centre, bool chosen) {
    int count = 0;
    const double reach = 0.1 * shot.height;
    for (double across = -reach; across <= reach; across += 1.0) {
        const double luma = Luma(Pixel(shot, across, centre));
        count += chosen ? luma < 90.0 : luma > 180.0;
    }
    return count;
}

// The shipped game's menu in a folder of its own with `progress` as the player's progress
// file; screenshots after the frames in `shotFrames`, DOWN pressed on frame 3.
std::vector<PictureFile> MenuShots(const std::string& progress, const std::vector<int>& shotFrames,
                                   std::string& failure) {
    const fs::path source = TAVO_SOURCE_DIR;
    testsupport::ScopedWorkDir dir;
    fs::create_directory_symlink(source / "shaders", dir.Path() / "shaders");
    fs::create_directory_symlink(source / "resources", dir.Path() / "resources");
    const fs::path data = fs::temp_directory_path() / ("tavo-menu-shot-" + std::to_string(::getpid()));
    fs::remove_all(data);
    fs::create_directories(data / "tavo");
    if (!progress.empty()) std::ofstream(data / "tavo" / "progress.ini") << progress;
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    // A player who has a settings file: no software-rendering hint under the entries.
    fs::create_directories(data / "config" / "tavo");
    std::ofstream(data / "config" / "tavo" / "settings.ini") << "music_volume = 100\n";
    setenv("XDG_CONFIG_HOME", (data / "config").c_str(), 1);

    wl::InputScript script;
    script.frames = 10;
    script.Key(3, wl::KEY_DOWN);
    wl::UseInputScript(&script);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::vector<PictureFile> shots;
    {
        CGameImpl game;
        const int result = game.Initialize();
        for (int frame = 0; frame < 5 && result == 0; ++frame) {
            game.GetCurrentState()->Update(0.0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            game.GetCurrentState()->Render();
            // The frame as drawn, before it is shown: what the screenshot key saves.
            if (std::find(shotFrames.begin(), shotFrames.end(), frame) != shotFrames.end()) {
                // Screenshots are named by the second: each is given a name of its own.
                const std::string shot = SaveScreenshot();
                const fs::path kept = data / ("frame" + std::to_string(frame) + ".png");
                std::error_code error;
                fs::rename(shot, kept, error);
                if (!error) shots.push_back(LoadPicture(kept.string()));
            }
            wl::SwapBuffers();
            game.GetInputManager()->Update();
        }
        if (result != 0) failure = "the game did not start";
        else if (game.GetWindow()->GetAspectSuffix() != TAVO_EXPECTED_SUFFIX) failure = "another aspect";
    }
    fs::remove_all(data);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    for (const std::string& line : testsupport::Lines(err))
        if (line.rfind("ERROR:", 0) == 0) failure += "\n" + line;
    if (!failure.empty()) failure += "\n" + out + err;
    return shots;
}

TEST(MenuScreenshot, DrawsTheEntriesOverThePictureOfTheScreensAspect) {
    const fs::path pictures = fs::path(TAVO_SOURCE_DIR) / "resources" / "textures";
    const std::string other = std::string(TAVO_EXPECTED_SUFFIX) == "_169" ? "_43" : "_169";

    struct Case {
        const char* what;
        std::string progress;
        int frame;
        int entries;
        int chosen;
    };
    const Case cases[] = {
        {"no progress", "", 1, 4, 0},
        {"no progress, after DOWN", "", 4, 4, 1},
        {"level 1 won", "level1.dae.completed = yes\n", 1, 5, 0},
    };
    std::vector<PictureFile> shots;
    for (const std::string& progress : {std::string(), cases[2].progress}) {
        std::string failure;
        const std::vector<int> frames = progress.empty() ? std::vector<int>{1, 4} : std::vector<int>{1};
        const std::vector<PictureFile> taken = MenuShots(progress, frames, failure);
        ASSERT_EQ(failure, "");
        ASSERT_EQ(taken.size(), frames.size());
        shots.insert(shots.end(), taken.begin(), taken.end());
    }
    // Read once a game has set up the image library, as the screenshots were.
    const PictureFile menu = LoadPicture((pictures / (std::string("menu") + TAVO_EXPECTED_SUFFIX + ".jpg")).string());
    const PictureFile otherMenu = LoadPicture((pictures / ("menu" + other + ".jpg")).string());
    ASSERT_TRUE(menu.width > 0 && otherMenu.width > 0);
    for (size_t i = 0; i < shots.size(); ++i) {
        const Case& c = cases[i];
        const PictureFile& shot = shots[i];
        SCOPED_TRACE(c.what);
        ASSERT_EQ(shot.width, menu.width) << "the picture is made for this screen size";
        ASSERT_EQ(shot.height, menu.height);
        // Around the entries (title, controls): the menu picture of this aspect, pixel for pixel
        // up to rounding, and clearly not the other aspect's.
        EXPECT_LT(MeanDifference(shot, menu, 0.43, 0.80), 1.0);
        EXPECT_GT(MeanDifference(shot, otherMenu, 0.43, 0.80), 2.0);
        // Over the entries the picture is covered.
        EXPECT_GT(MeanDifference(shot, menu), MeanDifference(shot, menu, 0.43, 0.80));
        // Each entry's pill on its place, left of its label: sun yellow when chosen, a dark
        // glaze otherwise; and the label on it.
        const double side = -0.17 * shot.height;
        for (int entry = 0; entry < c.entries; ++entry) {
            SCOPED_TRACE("entry " + std::to_string(entry));
            const double centre = MenuLayout::Centre(entry, c.entries);
            const unsigned char* p = Pixel(shot, side, centre);
            if (entry == c.chosen) {
                EXPECT_TRUE(p[0] > 200 && p[1] > 140 && p[2] < 140) << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
            } else {
                EXPECT_LT(Luma(p), 110.0) << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
            }
            EXPECT_GT(LabelPixels(shot, centre, entry == c.chosen), shot.height / 100) << "no label";
        }
        // Below the last of four, where the last of five reaches: the picture.
        if (c.entries == 4) {
            const double below = MenuLayout::Centre(3, 4) + 0.05;
            const unsigned char* p = Pixel(shot, side, below);
            const unsigned char* q = menu.At(static_cast<int>((shot.width / 2.0 + side) * menu.width / shot.width),
                                             menu.height - 1 - static_cast<int>(below * menu.height));
            for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(p[ch], q[ch], 6) << "channel " << ch;
        }
    }
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
        (source / "resources" / "textures" / (std::string("menu") + TAVO_EXPECTED_SUFFIX + ".jpg")).string());
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
