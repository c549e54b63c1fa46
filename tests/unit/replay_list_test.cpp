// The Replays screen's list (the game's recordings, best runs first, labels), the game after a
// watched run going on with the rest of its script, and the renderers that get the
// software-rendering hint.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "game/ReplayList.h"
#include "platform/InputScript.h"
#include "platform/WindowLibrary.h"
#include "render/Renderer.h"

namespace {

TEST(ReplayList, BestRunsByLevelThenRecentNewestFirstOthersLeftOut) {
    const std::vector<std::string> folder = {
        "2026-12-06_10-00-00_level3.replay",
        "best_level10.replay",
        "notes.txt",
        "2026-12-07_23-59-01_level1.replay",
        "best_level2.replay",
        "2026-12-07_23-59-01-2_my-yard.replay",
        "best_.replay",                         // no level
        "best_lev el.replay",                   // not a name the game writes
        "best_level1.replay.tmp-12-ab-1",       // a write in progress
        "2026-13-01_00-00-00_level1.replay",    // no such month
        "keep-me.replay",
        "2025-01-31_08-05-00_level2.replay",
    };
    const std::vector<ReplayListEntry> list = ListReplays(folder);
    const struct {
        const char* file;
        const char* label;
        bool best;
    } expected[] = {
        {"best_level2.replay", "Best: level2", true},
        {"best_level10.replay", "Best: level10", true},
        {"2026-12-07_23-59-01-2_my-yard.replay", "7 Dec 23:59  my-yard", false},
        {"2026-12-07_23-59-01_level1.replay", "7 Dec 23:59  level1", false},
        {"2026-12-06_10-00-00_level3.replay", "6 Dec 10:00  level3", false},
        {"2025-01-31_08-05-00_level2.replay", "31 Jan 08:05  level2", false},
    };
    ASSERT_EQ(list.size(), std::size(expected));
    for (std::size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].fileName, expected[i].file);
        EXPECT_EQ(list[i].label, expected[i].label);
        EXPECT_EQ(list[i].best, expected[i].best);
    }
}

TEST(ReplayList, ReadsTheFolderEachTimeAndOnlyItsFiles) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tavo-replays-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder / "best_level4.replay");  // a folder, not a run
    EXPECT_TRUE(ReadReplaysFolder((folder / "missing").string()).empty());
    EXPECT_TRUE(ReadReplaysFolder(folder.string()).empty());
    std::ofstream(folder / "best_level1.replay") << "frames 1\n";
    std::ofstream(folder / "2026-12-07_23-59-01_level1.replay") << "frames 1\n";
    const std::vector<ReplayListEntry> list = ReadReplaysFolder(folder.string());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].fileName, "best_level1.replay");
    EXPECT_EQ(list[1].fileName, "2026-12-07_23-59-01_level1.replay");
    std::filesystem::remove_all(folder);
}

// After a watched run the game goes on with what its script has left: later events and frame
// times, counted from the cut.
TEST(ScriptAfter, GoesOnFromTheCut) {
    wl::InputScript script;
    script.frameTime = 0.1;
    script.frames = 30;
    script.startLevel = "my.dae";
    script.seed = 9;
    script.frameTimes = {{4, 0.2}, {12, 0.05}};
    script.Key(3, wl::KEY_ENTER).Key(10, wl::KEY_ESC);
    script.Add(wl::InputEvent::CursorTo, 20, 5, 6);

    const wl::InputScript rest = wl::ScriptAfter(script, 10);
    EXPECT_EQ(rest.frames, 20);
    EXPECT_EQ(rest.startLevel, "") << "the session after starts at the menu";
    EXPECT_EQ(rest.seed, 9u);
    EXPECT_DOUBLE_EQ(rest.frameTime, 0.2) << "the frame time in force at the cut";
    ASSERT_EQ(rest.frameTimes.size(), 1u);
    EXPECT_EQ(rest.frameTimes[0].first, 2);
    EXPECT_DOUBLE_EQ(rest.frameTimes[0].seconds, 0.05);
    ASSERT_EQ(rest.events.size(), 3u);
    EXPECT_EQ(rest.events[0].frame, 0);  // ESC down at 10
    EXPECT_EQ(rest.events[0].type, wl::InputEvent::KeyDown);
    EXPECT_EQ(rest.events[1].frame, 1);
    EXPECT_EQ(rest.events[2].frame, 10);
    EXPECT_EQ(rest.events[2].a, 5);

    EXPECT_EQ(wl::ScriptAfter(script, 30).frames, 0);
    EXPECT_EQ(wl::ScriptAfter(script, 31).frames, 0);
}

TEST(SoftwareRasterizer, KnownByTheRendererName) {
    const struct {
        const char* renderer;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.7, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa X11 swrast", true},
        {"SWR (LLVM 12.0.0, 256 bits)", true},
        {"AMD Radeon RX 6800 XT (navi21, LLVM 15.0.7, DRM 3.49, 6.1.0)", false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"NVIDIA GeForce RTX 3080/PCIe/SSE2", false},
        {"Answr 9000", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSoftwareRasterizer(c.renderer), c.software) << c.renderer;
}

}  // namespace
