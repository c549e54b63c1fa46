#pragma once
// The recorded runs the Replays screen offers, from the player's replays folder: the best run of
// each level ("best_level3.replay") first, by level, then the recent runs
// ("2026-12-07_23-59-01_level1.replay") newest first. Other files in the folder are not the
// game's and are left out.

#include <string>
#include <vector>

struct ReplayListEntry {
    std::string fileName;  // in the replays folder
    std::string label;     // as the screen shows it: "Best: level3", "7 Dec 23:59 level1"
    bool best = false;
};

// The level of a best run's file name ("best_level3.replay": "level3"); "" for other names.
std::string BestRunLevel(const std::string& fileName);
// The screen's label of a recording's file name; "" for a name that is not the game's.
std::string ReplayLabel(const std::string& fileName);
// The game's recordings among `fileNames`, in the screen's order.
std::vector<ReplayListEntry> ListReplays(const std::vector<std::string>& fileNames);
// The player's replays folder ($XDG_DATA_HOME/tavo/replays); "" when there is no data folder.
std::string ReplaysFolder();
// The plain files of `folder`, listed as above; empty when it does not exist.
std::vector<ReplayListEntry> ReadReplaysFolder(const std::string& folder);
