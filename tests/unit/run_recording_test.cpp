// The names of the game's recordings and which of them the game deletes.
#include <gtest/gtest.h>

#include "game/RunRecording.h"

namespace {

TEST(RunRecording, NamesByTimeAndLevel) {
    const struct {
        const char* level;
        const char* name;
    } cases[] = {
        {"level1.dae", "2026-12-07_23-59-01_level1.replay"},
        {"my levels/odd name!.dae", "2026-12-07_23-59-01_odd_name_.replay"},
        {"/tmp/x/y", "2026-12-07_23-59-01_y.replay"},
        {".dae", "2026-12-07_23-59-01__dae.replay"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecordingFileName("2026-12-07_23-59-01", c.level), c.name) << c.level;
        EXPECT_TRUE(IsRecordingFileName(c.name)) << c.name;
    }
    EXPECT_EQ(BestRunFileName("level3.dae"), "best_level3.replay");
    EXPECT_EQ(BestRunFileName("my levels/odd name!.dae"), "best_odd_name_.replay");
}

TEST(RunRecording, KnowsItsOwnNamesOnly) {
    const struct {
        const char* name;
        bool ours;
    } cases[] = {
        {"2026-12-07_23-59-01_level1.replay", true},
        {"2026-12-07_23-59-01-2_level1.replay", true},
        {"2026-12-07_23-59-01_level1.replay.tmp", false},
        {"2026-12-07_23-59-01_.replay", false},
        {"my-run.replay", false},
        {"2026-12-07 23-59-01_level1.replay", false},
        {"2026-12-07_23-59-01_lev el.replay", false},
        {"2026-12-07_23-59-01-_level1.replay", false},
        {"2026-12-07_23-59-01_level1.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsRecordingFileName(c.name), c.ours) << c.name;
}

TEST(RunRecording, DeletesTheOldestOfItsOwnBeyondTheKept) {
    const std::vector<std::string> names = {
        "2026-12-07_23-59-01-2_level1.replay", "notes.txt", "2026-12-06_10-00-00_level3.replay",
        "2026-12-07_23-59-01_level2.replay", "keep-me.replay", "2027-01-01_00-00-00_level5.replay",
        BestRunFileName("level1.dae"), BestRunFileName("2026-12-07_23-59-01_level1.dae"),
    };
    const std::vector<std::string> two = {"2026-12-06_10-00-00_level3.replay", "2026-12-07_23-59-01_level2.replay"};
    EXPECT_EQ(RecordingsToDelete(names, 2), two);
    EXPECT_TRUE(RecordingsToDelete(names, 20).empty());
    EXPECT_EQ(RecordingsToDelete(names, 0).size(), 4u);
}

}  // namespace
