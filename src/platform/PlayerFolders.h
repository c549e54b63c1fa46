#pragma once
// The player's own folders, after the XDG base-directory convention:
//   config  $XDG_CONFIG_HOME/tavo   (~/.config/tavo)       settings.ini
//   data    $XDG_DATA_HOME/tavo     (~/.local/share/tavo)  progress.ini, screenshots/
//   state   $XDG_STATE_HOME/tavo    (~/.local/state/tavo)  AssimpLog.txt
// A variable that is unset, empty or not an absolute path is ignored, and the folder below the
// home folder is used instead ($HOME, else the password database's entry). Nothing is made until
// a file is written: `MakeFolder` makes a folder on demand.
//
// Only the standard library and POSIX; no call here throws.

#include <iosfwd>
#include <string>

namespace pf {

enum class PlayerFolder { Config, Data, State };

// The folder's path, without a trailing '/'; "" when no home folder can be found either.
std::string PlayerFolderPath(PlayerFolder folder);

// Makes `folder` and its parents when missing and checks that files can be made in it. When it
// cannot be made or written, writes one "WARNING: ..." line naming it and the reason to
// `warnings` and returns false; the caller goes on without the file.
bool MakeFolder(const std::string& folder, std::ostream& warnings);

// `folder` + "/" + `name`, tolerating a trailing '/' on the folder and an empty folder (then
// just `name`, the working folder).
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace pf
