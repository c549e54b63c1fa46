#pragma once
// Where the game's content (resources/ and shaders/) comes from, and whether the files it writes
// (screenshots, the importer's log) can go to the working folder.
//
// Content is read through `ContentPath`, which puts the content root in front of a path such as
// "resources/textures/sun.png". The root is empty (the working folder, as designers and the
// source tree use it) unless the start-up chose another: the folder named by --data, or the
// installed data folder found relative to the executable, so that a relocated prefix works.
// Files the game writes always go to the working folder.

#include <string>
#include <vector>

// `relative` below the content root ("resources/...", "shaders/...").
std::string ContentPath(const std::string& relative);
// "" for the working folder, else a folder ending in '/'.
const std::string& ContentRoot();
void SetContentRoot(const std::string& root);

// True when `folder` ("" for the working folder) holds resources/ and shaders/.
bool HoldsContent(const std::string& folder);

// The result of the content search: the root to use, or (empty `lookedIn` on success) the
// folders looked in when none held the content.
struct ContentSearch {
    bool found = false;
    std::string root;                   // for SetContentRoot
    std::vector<std::string> lookedIn;  // as absolute as they were given
};

// `explicitFolder`: the --data folder (empty when not given); it alone is looked in when set.
// `workingFolder`: the absolute working folder (only named in the result). `installedFolder`:
// the installed data folder, "" when unknown.
ContentSearch FindContent(const std::string& explicitFolder, const std::string& workingFolder,
                          const std::string& installedFolder);
// One message naming the folders looked in, for standard error, headed by the program's name.
std::string ContentNotFoundMessage(const ContentSearch& search, const std::string& program = "tavo");

// The installed data folder relative to this executable (/proc/self/exe, then the relative
// path from the binary folder to the data folder fixed at build time); "" when the executable
// cannot be found.
std::string InstalledDataFolder();

// True when a file can be created in the working folder. Asked once at start-up; the game
// then says once that screenshots and the importer's log cannot be written.
bool WorkingFolderWritable();
