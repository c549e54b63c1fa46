#pragma once
// Where the files the game writes for the player go: screenshots and the model importer's log.
//
// Run from a folder that holds the content (the source tree, a level designer's folder), they
// go to the working folder, as they always have. An installed game, or one given --data, should
// not write into whatever folder it was started from: `main` then calls `WriteToPlayerFolders`,
// and screenshots go to <data folder>/screenshots/ and AssimpLog.txt to the state folder
// (platform/PlayerFolders.h). A player folder that cannot be made or written gives one warning
// and the game plays on without those files.

#include <iostream>
#include <optional>
#include <string>

namespace pf {

enum class WrittenFile { Screenshot, ImporterLog };

// From now on the player's folders take the written files (set once at start-up).
void WriteToPlayerFolders();
// Back to the working folder (the default).
void WriteToWorkingFolder();

// The folder for a new file of `kind`, made when needed: "" for the working folder, else a
// folder ending in '/'. None when the player's folder cannot be made or written (one warning the
// first time, to `warnings`; none after, and the folder is tried again each time).
std::optional<std::string> WrittenFileFolder(WrittenFile kind, std::ostream& warnings = std::cerr);

// The path for the file `name` of `kind`, or "" when it cannot be written there (for the working
// folder: silently, as the start-up has said so once).
std::string WritableFilePath(WrittenFile kind, const std::string& name, std::ostream& warnings = std::cerr);

}  // namespace pf
