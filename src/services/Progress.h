#pragma once
// The player's progress and records: progress.ini in the player's data folder
// ($XDG_DATA_HOME/tavo, ~/.local/share/tavo), "key = value" lines (platform/KeyValueFile.h),
// three a level, keyed by the level's file name (the last part of its path):
//
//   level1.dae.completed = yes
//   level1.dae.best_time = 23.45     seconds from the level's start to its end, to 1/100 s
//   level1.dae.best_life = 0.87      the most life left at the end: 0 (none) to 1 (full)
//
// Values that cannot be used are warned about (file and line) and left out; the file as it was
// is kept as progress.ini.bad before the next write, which happens when a level is won.

#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/KeyValueFile.h"

// What a level's end changed in the records.
struct LevelEndRecord {
    bool firstCompletion = false;
    bool newBestTime = false;  // also for the first completion
    bool newBestLife = false;  // also for the first completion
    bool saved = false;        // the file holds the records (true too when nothing changed; false
                               // when the records are kept to this run)
};

// A won level as the game reports it: this run and the records after it was recorded.
struct LevelResult {
    std::string level;  // the level's file name (the last part of its path)
    double seconds = 0.0;
    float life = 0.0f;  // 0..1
    std::optional<double> bestTime, bestLife;  // none when nothing could be recorded
    LevelEndRecord record;

    bool NewRecord() const { return record.newBestTime || record.newBestLife; }
};

// The last part of a level's path: the name its records go by.
std::string LevelRecordName(const std::string& levelFile);
// A life (0..1) in whole percent, as the records compare it.
int LifePercent(double life);
// The line printed at a level's end, for players and scripts alike:
//   Level complete: level1.dae in 23.45 s with 87% life (best 21.10 s, best life 92%)
// followed by " new record: time", " new record: life" or " new record: time and life"
// when the run set one (the first completion sets both); "(no records)" stands for the
// brackets when there are none (a name the progress file cannot hold).
std::string LevelCompleteLine(const LevelResult& result);

// One level's records, as a recorded run carries the progress it started with.
struct ProgressRecord {
    std::string level;  // the level's file name (the last part of its path)
    bool completed = false;
    std::optional<double> bestTime, bestLife;
};

class CProgress {
public:
    // Longer runs are not recorded as times (about 11.5 days).
    static constexpr double kLongestTime = 999999.99;

    // progress.ini in the player's data folder; "" when there is no such folder.
    static std::string DefaultPath();

    CProgress();
    explicit CProgress(std::string path);

    // Forgets what it knew, then reads the file. A missing file is no problem and gives no warning.
    void Load(std::ostream& warnings = std::cerr);

    // A level won in `seconds` with `life` (0..1) left: marks it completed, keeps the better of
    // the old and the new time and life (compared as they are written: to 1/100), and writes the
    // file when anything changed. A worse run changes nothing. `levelFile` may be a path; its
    // last part names the level.
    LevelEndRecord RecordLevelEnd(const std::string& levelFile, double seconds, float life,
                                  std::ostream& warnings = std::cerr);

    bool IsCompleted(const std::string& levelFile) const;
    // Whether any level has been completed: the menu then offers to continue.
    bool AnyCompleted() const;
    std::optional<double> BestTime(const std::string& levelFile) const;
    std::optional<double> BestLife(const std::string& levelFile) const;
    // The first of `levels` (in play order) not completed yet; "" when all are.
    std::string FirstNotCompleted(const std::vector<std::string>& levels) const;

    const std::string& Path() const { return path; }

    // Every level's records, by level name.
    std::vector<ProgressRecord> Records() const;
    // Forgets what it knew and holds `records` (names the file cannot hold are left out), kept
    // to this run: they are not the file's, which is neither read nor written.
    void UseRecords(const std::vector<ProgressRecord>& records);
    // From now on nothing is written: the records are this run's alone (a watched run plays
    // with the progress it was recorded with, or the player's, and leaves the file as it was).
    void KeepToThisRun() { thisRunOnly = true; }
    bool KeptToThisRun() const { return thisRunOnly; }

private:
    struct LevelRecord {
        bool completed = false;
        std::optional<double> bestTime, bestLife;
    };
    const LevelRecord* Find(const std::string& levelFile) const;
    bool Save(const std::string& level, std::ostream& warnings);

    std::string path;
    pf::KeyValueFile file;
    std::map<std::string, LevelRecord> levels;
    bool thisRunOnly = false;
};
