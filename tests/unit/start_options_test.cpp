// The command line of `tavo`: what each option gives and what is refused.
#include <gtest/gtest.h>

#include "game/StartOptions.h"

namespace {

StartCommand Parse(std::vector<std::string> args, StartOptions& options, std::string& error) {
    return ParseStartOptions(args, options, error);
}

}  // namespace

TEST(StartOptions, NoneOrWindowLevelAndDataTogether) {
    StartOptions options;
    std::string error;
    EXPECT_EQ(Parse({}, options, error), StartCommand::Play);
    EXPECT_EQ(options.windowWidth, 0);  // full screen at the menu
    EXPECT_TRUE(options.levelPath.empty());
    EXPECT_EQ(Parse({"--windowed", "800x600", "--level", "/tmp/my level/test.dae", "--data", "../tavo data"},
                    options, error),
              StartCommand::Play);
    EXPECT_EQ(options.windowWidth, 800);
    EXPECT_EQ(options.windowHeight, 600);
    EXPECT_EQ(options.levelPath, "/tmp/my level/test.dae");
    EXPECT_EQ(options.dataFolder, "../tavo data");
    EXPECT_FALSE(options.quality.has_value());  // the settings say
}

TEST(StartOptions, QualityForThisRun) {
    const std::pair<const char*, RenderQuality> cases[] = {
        {"high", RenderQuality::High}, {"medium", RenderQuality::Medium}, {"LOW", RenderQuality::Low}};
    for (const auto& [word, quality] : cases) {
        StartOptions options;
        std::string error;
        ASSERT_EQ(Parse({"--quality", word, "--windowed", "800x600"}, options, error), StartCommand::Play) << error;
        ASSERT_TRUE(options.quality.has_value()) << word;
        EXPECT_EQ(*options.quality, quality) << word;
    }
}

// The last of --windowed and --fullscreen counts; neither leaves the choice to the settings.
TEST(StartOptions, WindowedAndFullscreenTheLastCounts) {
    struct Case {
        std::vector<std::string> args;
        int width;
        bool fullscreen;
    };
    const Case cases[] = {
        {{}, 0, false},
        {{"--fullscreen"}, 0, true},
        {{"--windowed", "800x600"}, 800, false},
        {{"--windowed", "800x600", "--fullscreen"}, 0, true},
        {{"--fullscreen", "--windowed", "1024x768"}, 1024, false},
    };
    for (const Case& c : cases) {
        StartOptions options;
        std::string error;
        ASSERT_EQ(Parse(c.args, options, error), StartCommand::Play) << error;
        EXPECT_EQ(options.windowWidth, c.width) << c.args.size();
        EXPECT_EQ(options.fullscreen, c.fullscreen) << c.args.size();
    }
}

TEST(StartOptions, HelpAndVersionWinOverTheRest) {
    StartOptions options;
    std::string error;
    EXPECT_EQ(Parse({"--windowed", "800x600", "--help"}, options, error), StartCommand::Help);
    EXPECT_EQ(Parse({"-h"}, options, error), StartCommand::Help);
    EXPECT_EQ(Parse({"--level", "x.dae", "--version"}, options, error), StartCommand::Version);
}

TEST(StartOptions, BadArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--full-screen"},               // unknown option
        {"level1.dae"},                  // a bare word
        {"--windowed"},                  // missing value
        {"--level"},                     // missing value
        {"--level", ""},                 // empty file name
        {"--data"},                      // missing value
        {"--data", ""},                  // empty folder name
        {"--windowed", "800"},           // no 'x'
        {"--windowed", "800x"},          // no height
        {"--windowed", "x600"},          // no width
        {"--windowed", "-800x600"},      // sign
        {"--windowed", "800x600x2"},     // extra part
        {"--windowed", "10x10"},         // too small to play in
        {"--windowed", "99999x600"},     // larger than any screen
        {"--windowed", "99999999999999999999x600"},  // would overflow
        {"--windowed", "8OOx6OO"},       // letters
        {"--quality"},                   // missing value
        {"--quality", "ultra"},          // no such quality
    };
    for (const auto& args : bad) {
        StartOptions options;
        std::string error;
        EXPECT_EQ(Parse(args, options, error), StartCommand::Invalid) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}
