// The player's settings and progress files: what the game makes of bad files, that no byte of
// them is ever lost, and the records kept when levels are won.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "services/Progress.h"
#include "services/Settings.h"
#include "unit/PlayerHome.h"

namespace {

using playerhome::LinesOf;
using playerhome::ReadBytes;
using playerhome::ScopedPlayerHome;
using playerhome::WriteBytes;

std::string Describe(const CSettings& s) {
    const std::string window =
        s.WindowWidth() > 0 ? std::to_string(s.WindowWidth()) + "x" + std::to_string(s.WindowHeight()) : "desktop";
    return "music " + std::to_string(s.MusicVolume()) + ", effects " + std::to_string(s.EffectsVolume()) + ", mouse " +
           std::to_string(s.MouseSpeed()) + ", invert " + (s.InvertLook() ? "yes" : "no") + ", fullscreen " +
           (s.Fullscreen() ? "yes" : "no") + ", window " + window + ", quality " + RenderQualityName(s.Quality());
}

std::string Describe(const CProgress& p) {
    std::string text;
    for (const char* level : {"level1.dae", "level2.dae", "level9.dae"}) {
        char time[32] = "-", life[32] = "-";
        if (p.BestTime(level)) std::snprintf(time, sizeof(time), "%.2f", *p.BestTime(level));
        if (p.BestLife(level)) std::snprintf(life, sizeof(life), "%.2f", *p.BestLife(level));
        text += std::string(text.empty() ? "" : ", ") + level + " " + (p.IsCompleted(level) ? "done" : "open") + " " +
                time + " " + life;
    }
    return text;
}

const std::string kDefaults = "music 100, effects 100, mouse 100, invert no, fullscreen yes, window desktop, quality high";
const std::string kNoProgress = "level1.dae open - -, level2.dae open - -, level9.dae open - -";

enum class Kind { Settings, Progress };
enum class Place {
    Normal,
    OlderCopyKept,  // NAME.bad is there from before
    Unwritable,     // the folder cannot be written (or made, for root)
    Missing,        // the folder is not there yet
};

struct BadFileCase {
    const char* name;
    Kind kind;
    Place place;
    std::string bytes;
    std::vector<int> warnedLines;  // the line each warning names, in order; 0 for the whole file
    std::string used;              // what the game uses after the load
};

// The lines that a line number in a warning looks like.
std::string LineMark(int line) { return " line " + std::to_string(line) + ":"; }

TEST(PlayerFiles, BadFilesWarnUseTheGoodValuesAndLoseNothing) {
    const std::string garbage = std::string("\x7f" "ELF\x02\x01\x00\x00\xff\xfe", 10);
    const BadFileCase cases[] = {
        {"empty", Kind::Settings, Place::Normal, "", {}, kDefaults},
        {"comments only, last line unended", Kind::Settings, Place::Normal, "# mine\n\n# also mine", {}, kDefaults},
        {"truncated mid-line", Kind::Settings, Place::Normal, "music_volume = 40\neffects_vol", {2},
         "music 40, effects 100, mouse 100, invert no, fullscreen yes, window desktop, quality high"},
        {"truncated value that still parses", Kind::Settings, Place::Normal, "fullscreen = no\r\nmouse_speed = 25",
         {}, "music 100, effects 100, mouse 25, invert no, fullscreen no, window desktop, quality high"},
        {"binary garbage", Kind::Settings, Place::Normal,
         garbage + "\ninvert_look = yes\n" + std::string("ab\0c", 4) + "\n", {1, 3},
         "music 100, effects 100, mouse 100, invert yes, fullscreen yes, window desktop, quality high"},
        {"not UTF-8", Kind::Settings, Place::Normal, "# caf\xe9\nmusic_volume = 5\n", {1},
         "music 5, effects 100, mouse 100, invert no, fullscreen yes, window desktop, quality high"},
        {"out of range", Kind::Settings, Place::Normal,
         "music_volume = 101\neffects_volume = -1\nmouse_speed = 401\nwindow = 63x480\n", {1, 2, 3, 4}, kDefaults},
        {"wrong kinds", Kind::Settings, Place::Normal,
         "music_volume = loud\ninvert_look = maybe\nfullscreen =\nwindow = big\nquality = ultra\nmouse_speed = 1.5\n",
         {1, 2, 3, 4, 5, 6}, kDefaults},
        {"unknown keys and lines without a key", Kind::Settings, Place::Normal,
         "colour = blue\nmusic_volume = 20\nno equals sign here\n = 3\n", {1, 3, 4},
         "music 20, effects 100, mouse 100, invert no, fullscreen yes, window desktop, quality high"},
        {"duplicate keys: the first counts", Kind::Settings, Place::Normal,
         "music_volume = 10\nwindow = 800x600\nmusic_volume = 90\n", {3},
         "music 10, effects 100, mouse 100, invert no, fullscreen yes, window 800x600, quality high"},
        {"all good", Kind::Settings, Place::Normal,
         "# my settings\nmusic_volume=0\ninvert_look = YES\n  window   =  1280x720  \nquality = Low\n", {},
         "music 0, effects 100, mouse 100, invert yes, fullscreen yes, window 1280x720, quality low"},
        {"medium quality", Kind::Settings, Place::Normal, "quality = medium\n", {},
         "music 100, effects 100, mouse 100, invert no, fullscreen yes, window desktop, quality medium"},
        {"too large to be settings", Kind::Settings, Place::Normal, std::string(2 << 20, 'a'), {0}, kDefaults},
        {"an older kept copy stays", Kind::Settings, Place::OlderCopyKept, "effects_volume = 300\n", {1}, kDefaults},
        {"settings folder cannot be written", Kind::Settings, Place::Unwritable, "# only a comment\n", {}, kDefaults},
        {"settings folder not there yet", Kind::Settings, Place::Missing, "", {}, kDefaults},
        {"progress: all good", Kind::Progress, Place::Normal,
         "# mine\nlevel1.dae.completed = yes\nlevel1.dae.best_time = 23.45\nlevel1.dae.best_life = 0.87\n", {},
         "level1.dae done 23.45 0.87, level2.dae open - -, level9.dae open - -"},
        {"progress: empty", Kind::Progress, Place::Normal, "", {}, kNoProgress},
        {"progress: values out of range or of the wrong kind", Kind::Progress, Place::Normal,
         "level1.dae.completed = maybe\nlevel1.dae.best_time = -3\nlevel1.dae.best_life = 1.5\n"
         "level2.dae.best_time = 1e3\nlevel2.dae.completed = yes\nlevel2.dae.best_life = inf\n",
         {1, 2, 3, 4, 6}, "level1.dae open - -, level2.dae done - -, level9.dae open - -"},
        {"progress: unknown and duplicate keys", Kind::Progress, Place::Normal,
         "level1.dae.stars = 3\nlevel1.dae.completed = yes\nlevel1.dae.completed = no\nnonsense = 1\n"
         "level1.dae.best_time = 12.5\n",
         {1, 3, 4}, "level1.dae done 12.50 -, level2.dae open - -, level9.dae open - -"},
        {"progress: garbage and a truncated line", Kind::Progress, Place::Normal,
         "level1.dae.completed = yes\n" + garbage + "\nlevel2.dae.best_ti", {2, 3},
         "level1.dae done - -, level2.dae open - -, level9.dae open - -"},
        {"progress folder cannot be written", Kind::Progress, Place::Unwritable, "# only a comment\n", {}, kNoProgress},
        {"progress folder not there yet", Kind::Progress, Place::Missing, "", {}, kNoProgress},
    };
    for (const BadFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedPlayerHome home;
        const char* variable = c.kind == Kind::Settings ? "XDG_CONFIG_HOME" : "XDG_DATA_HOME";
        bool fileThere = true;
        if (c.place == Place::Missing) {
            ScopedPlayerHome::Set(variable, home.Root() + "/not/yet");
            fileThere = false;
        } else if (c.place == Place::Unwritable && geteuid() == 0) {
            ScopedPlayerHome::Set(variable, playerhome::UnwritableFolder(home.Root()));
            fileThere = false;  // below a plain file: no file can be there
        }
        const std::string path = c.kind == Kind::Settings ? CSettings::DefaultPath() : CProgress::DefaultPath();
        const std::string folder = path.substr(0, path.rfind('/'));
        const std::string name = path.substr(path.rfind('/') + 1);
        if (fileThere) WriteBytes(path, c.bytes);
        const std::string olderCopy = "an older file the player kept\n";
        if (c.place == Place::OlderCopyKept) WriteBytes(path + ".bad", olderCopy);
        if (c.place == Place::Unwritable && geteuid() != 0)
            std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

        // The load: one warning per problem, naming the file and the line; the rest is used.
        std::ostringstream loadWarnings;
        CSettings settings(path);
        CProgress progress(path);
        if (c.kind == Kind::Settings) {
            settings.Load(loadWarnings);
            EXPECT_EQ(Describe(settings), c.used);
        } else {
            progress.Load(loadWarnings);
            EXPECT_EQ(Describe(progress), c.used);
        }
        const std::vector<std::string> warnings = LinesOf(loadWarnings.str());
        ASSERT_EQ(warnings.size(), c.warnedLines.size()) << loadWarnings.str();
        for (std::size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(warnings[i].rfind("WARNING: " + path, 0), 0u) << warnings[i];
            if (c.warnedLines[i] > 0) {
                EXPECT_NE(warnings[i].find(LineMark(c.warnedLines[i])), std::string::npos) << warnings[i];
            } else {
                EXPECT_EQ(warnings[i].find(" line "), std::string::npos) << warnings[i];
            }
        }

        // The player changes something, and the file is written.
        std::ostringstream saveWarnings;
        bool saved = false;
        if (c.kind == Kind::Settings) {
            settings.SetMusicVolume(settings.MusicVolume() == 7 ? 8 : 7);
            saved = settings.Save(saveWarnings);
        } else {
            saved = progress.RecordLevelEnd("level9.dae", 50.0, 0.5f, saveWarnings).saved;
        }

        std::vector<std::string> expectedFiles = {name};
        if (c.place == Place::Unwritable) {
            EXPECT_FALSE(saved);
            const std::vector<std::string> lines = LinesOf(saveWarnings.str());
            ASSERT_EQ(lines.size(), 1u) << saveWarnings.str();
            EXPECT_EQ(lines[0].rfind("WARNING: ", 0), 0u) << lines[0];
            EXPECT_NE(lines[0].find(folder), std::string::npos) << lines[0];
            if (fileThere) {
                EXPECT_EQ(ReadBytes(path), c.bytes);
                EXPECT_EQ(playerhome::OtherFiles(folder, expectedFiles), std::vector<std::string>());
            }
            continue;
        }
        ASSERT_TRUE(saved) << saveWarnings.str();
        EXPECT_EQ(saveWarnings.str().find("WARNING"), std::string::npos) << saveWarnings.str();
        if (!c.warnedLines.empty()) {
            // The unreadable original, byte for byte, beside the new file; an older copy stays.
            const std::string kept = path + (c.place == Place::OlderCopyKept ? ".bad.1" : ".bad");
            EXPECT_EQ(ReadBytes(kept), c.bytes);
            expectedFiles.push_back(kept.substr(kept.rfind('/') + 1));
            if (c.place == Place::OlderCopyKept) {
                EXPECT_EQ(ReadBytes(path + ".bad"), olderCopy);
                expectedFiles.push_back(name + ".bad");
            }
        } else {
            // A readable file is rewritten in place: every line of the player's is still there.
            const std::string rewritten = ReadBytes(path);
            for (const std::string& line : LinesOf(c.bytes)) {
                std::string plain = line;
                if (!plain.empty() && plain.back() == '\r') plain.pop_back();
                if (plain.rfind("#", 0) == 0 || plain.empty()) {
                    EXPECT_NE(rewritten.find(plain + "\n"), std::string::npos) << plain;
                }
            }
        }
        EXPECT_EQ(playerhome::OtherFiles(folder, expectedFiles), std::vector<std::string>());

        // What was written reads back whole, as it was in memory.
        std::ostringstream again;
        if (c.kind == Kind::Settings) {
            CSettings reloaded(path);
            reloaded.Load(again);
            EXPECT_EQ(Describe(reloaded), Describe(settings));
            EXPECT_FALSE(reloaded.Unreadable());
        } else {
            CProgress reloaded(path);
            reloaded.Load(again);
            EXPECT_EQ(Describe(reloaded), Describe(progress));
        }
        EXPECT_EQ(again.str(), "");
    }
}

TEST(PlayerFiles, AnUnreadableFileIsNotRewrittenUntilSomethingChanges) {
    ScopedPlayerHome home;
    const std::string path = CSettings::DefaultPath();
    const std::string bytes = "music_volume = 250\n";
    WriteBytes(path, bytes);
    CSettings settings;
    std::ostringstream warnings;
    settings.Load(warnings);
    EXPECT_TRUE(settings.Unreadable());
    settings.SetMusicVolume(settings.MusicVolume());  // the same value: no change
    EXPECT_TRUE(settings.Save(warnings));
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad"));
}

// --quality: this run's quality without touching the player's choice, until the player makes
// another in the options.
TEST(PlayerFiles, AQualityForThisRunIsNotSaved) {
    ScopedPlayerHome home;
    const std::string path = CSettings::DefaultPath();
    WriteBytes(path, "quality = medium\n");
    std::ostringstream warnings;
    CSettings settings;
    settings.SetQualityForThisRun(RenderQuality::Low);
    settings.Load(warnings);
    EXPECT_EQ(settings.Quality(), RenderQuality::Low);
    settings.SetMusicVolume(30);
    ASSERT_TRUE(settings.Save(warnings));
    CSettings saved;
    saved.Load(warnings);
    EXPECT_EQ(saved.Quality(), RenderQuality::Medium);
    settings.SetQuality(RenderQuality::High);
    EXPECT_EQ(settings.Quality(), RenderQuality::High);
    ASSERT_TRUE(settings.Save(warnings));
    saved.Load(warnings);
    EXPECT_EQ(saved.Quality(), RenderQuality::High);
    EXPECT_EQ(warnings.str(), "");
}

TEST(PlayerFiles, WithoutTheFilesNothingIsWritten) {
    ScopedPlayerHome home;
    std::ostringstream warnings;
    CSettings settings;
    settings.Load(warnings);
    EXPECT_TRUE(settings.Save(warnings));  // nothing changed
    CProgress progress;
    progress.Load(warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(Describe(settings), kDefaults);
    EXPECT_FALSE(std::filesystem::exists(home.Root() + "/config"));
    EXPECT_FALSE(std::filesystem::exists(home.Root() + "/data"));
}

TEST(Progress, RecordsTheBestOfEachLevel) {
    ScopedPlayerHome home;
    std::ostringstream warnings;
    CProgress progress;
    progress.Load(warnings);
    const std::vector<std::string> shipped = {"level1.dae", "level2.dae", "level3.dae"};
    EXPECT_EQ(progress.FirstNotCompleted(shipped), "level1.dae");

    struct Run {
        const char* level;
        double seconds;
        float life;
        bool first, time, life_;
        std::string file;  // the level's lines afterwards
    };
    const Run runs[] = {
        {"resources/levels/level1.dae", 23.454, 0.871f, true, true, true,
         "level1.dae.completed = yes\nlevel1.dae.best_time = 23.45\nlevel1.dae.best_life = 0.87\n"},
        {"level1.dae", 30.0, 0.5f, false, false, false,  // worse: nothing changes
         "level1.dae.completed = yes\nlevel1.dae.best_time = 23.45\nlevel1.dae.best_life = 0.87\n"},
        {"level1.dae", 23.451, 0.87f, false, false, false,  // the same to 1/100
         "level1.dae.completed = yes\nlevel1.dae.best_time = 23.45\nlevel1.dae.best_life = 0.87\n"},
        {"level1.dae", 21.0, 0.2f, false, true, false,
         "level1.dae.completed = yes\nlevel1.dae.best_time = 21.00\nlevel1.dae.best_life = 0.87\n"},
        {"level1.dae", 40.0, 1.0f, false, false, true,
         "level1.dae.completed = yes\nlevel1.dae.best_time = 21.00\nlevel1.dae.best_life = 1.00\n"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(std::to_string(run.seconds));
        const std::string before = ReadBytes(progress.Path());
        const LevelEndRecord record = progress.RecordLevelEnd(run.level, run.seconds, run.life, warnings);
        EXPECT_EQ(record.firstCompletion, run.first);
        EXPECT_EQ(record.newBestTime, run.time);
        EXPECT_EQ(record.newBestLife, run.life_);
        EXPECT_TRUE(record.saved);
        const std::string after = ReadBytes(progress.Path());
        EXPECT_NE(after.find(run.file), std::string::npos) << after;
        if (!run.first && !run.time && !run.life_) {
            EXPECT_EQ(after, before);
        }
    }
    EXPECT_EQ(progress.FirstNotCompleted(shipped), "level2.dae");
    progress.RecordLevelEnd("level3.dae", 10.0, 0.5f, warnings);
    EXPECT_EQ(progress.FirstNotCompleted(shipped), "level2.dae");  // the first gap, not the last won
    progress.RecordLevelEnd("level2.dae", 10.0, 0.5f, warnings);
    EXPECT_EQ(progress.FirstNotCompleted(shipped), "");

    // Another start of the game reads what this one wrote.
    CProgress later;
    later.Load(warnings);
    EXPECT_TRUE(later.IsCompleted("level2.dae"));
    ASSERT_TRUE(later.BestTime("level1.dae").has_value());
    EXPECT_DOUBLE_EQ(*later.BestTime("level1.dae"), 21.0);
    EXPECT_DOUBLE_EQ(*later.BestLife("level1.dae"), 1.0);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(progress.Path(), home.Root() + "/data/tavo/progress.ini");
}

// A watched run's records (the player's, read) and a recording's (carried in it) are the run's
// alone: level ends count in memory, and the player's file stays byte for byte.
TEST(Progress, RecordsKeptToTheRunAreNeverWritten) {
    ScopedPlayerHome home;
    const std::string path = CProgress::DefaultPath();
    const std::string bytes = "level1.dae.completed = yes\nlevel1.dae.best_time = 50.00\n";
    WriteBytes(path, bytes);
    std::ostringstream warnings;

    CProgress watched;
    watched.Load(warnings);
    watched.KeepToThisRun();
    LevelEndRecord record = watched.RecordLevelEnd("level1.dae", 20.0, 0.5f, warnings);
    EXPECT_TRUE(record.newBestTime);
    EXPECT_FALSE(record.saved);
    EXPECT_EQ(Describe(watched), "level1.dae done 20.00 0.50, level2.dae open - -, level9.dae open - -");

    CProgress replayed;
    replayed.Load(warnings);
    replayed.UseRecords({{"level2.dae", true, 30.0, 0.25}, {"level9.dae", false, std::nullopt, 0.125}, {"a=b.dae", true, 1.0, 1.0}});
    EXPECT_EQ(Describe(replayed), "level1.dae open - -, level2.dae done 30.00 0.25, level9.dae open - 0.12");
    record = replayed.RecordLevelEnd("level2.dae", 40.0, 0.5f, warnings);
    EXPECT_FALSE(record.newBestTime);
    EXPECT_TRUE(record.newBestLife);
    EXPECT_TRUE(replayed.RecordLevelEnd("level1.dae", 10.0, 1.0f, warnings).firstCompletion);
    const std::vector<ProgressRecord> records = replayed.Records();
    ASSERT_EQ(records.size(), 3u);  // by name; the name the file cannot hold was left out
    EXPECT_EQ(records[0].level, "level1.dae");
    EXPECT_EQ(records[1].bestLife, std::optional<double>(0.5));
    EXPECT_EQ(records[2].bestLife, std::optional<double>(0.125));  // as it came, not rounded

    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(playerhome::OtherFiles(path.substr(0, path.rfind('/')), {"progress.ini"}), std::vector<std::string>());
    EXPECT_EQ(warnings.str(), "");
}

// The line a won level prints, which scripts grep: the run, the records after it, and which of
// them the run set.
TEST(Progress, TheLevelCompleteLine) {
    struct Case {
        std::string level;
        double seconds;
        float life;
        std::optional<double> bestTime, bestLife;
        bool newTime, newLife;
        const char* line;
    };
    const Case cases[] = {
        {"level1.dae", 23.449, 0.874f, 21.1, 0.92, false, false,
         "Level complete: level1.dae in 23.45 s with 87% life (best 21.10 s, best life 92%)"},
        {"level2.dae", 19.0, 0.5f, 19.0, 0.5, true, true,
         "Level complete: level2.dae in 19.00 s with 50% life (best 19.00 s, best life 50%) new record: time and life"},
        {"level3.dae", 30.0, 0.95f, 25.0, 0.95, false, true,
         "Level complete: level3.dae in 30.00 s with 95% life (best 25.00 s, best life 95%) new record: life"},
        {"level3.dae", 20.0, 0.012f, 20.0, 0.95, true, false,
         "Level complete: level3.dae in 20.00 s with 1% life (best 20.00 s, best life 95%) new record: time"},
        {"yard1.dae", 61.257, 1.0f, std::nullopt, std::nullopt, false, false,
         "Level complete: yard1.dae in 61.26 s with 100% life (no records)"},
    };
    for (const Case& c : cases) {
        LevelResult result;
        result.level = c.level;
        result.seconds = c.seconds;
        result.life = c.life;
        result.bestTime = c.bestTime;
        result.bestLife = c.bestLife;
        result.record.newBestTime = c.newTime;
        result.record.newBestLife = c.newLife;
        EXPECT_EQ(LevelCompleteLine(result), c.line);
        EXPECT_EQ(result.NewRecord(), c.newTime || c.newLife) << c.line;
    }
    EXPECT_EQ(LevelRecordName("/home/me/my levels/yard1.dae"), "yard1.dae");
    EXPECT_EQ(LevelRecordName("level4.dae"), "level4.dae");
}

// Whether any level is completed: the menu offers "Continue" then.
TEST(Progress, AnyCompletedOnceALevelIsWon) {
    ScopedPlayerHome home;
    CProgress progress;
    progress.Load();
    EXPECT_FALSE(progress.AnyCompleted());
    progress.RecordLevelEnd("level3.dae", 12.0, 0.5f);
    EXPECT_TRUE(progress.AnyCompleted());
    CProgress again;
    again.Load();
    EXPECT_TRUE(again.AnyCompleted());
    EXPECT_EQ(again.FirstNotCompleted({"level1.dae", "level2.dae", "level3.dae"}), "level1.dae");
}

}  // namespace
