#include "platform/PlayerFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

namespace pf {

namespace {

// The value of an environment variable when it names an absolute path, else "".
std::string AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::string();
    return value;
}

std::string HomeFolder() {
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty()) return home;
    // No usable $HOME (started by a service, say): the account's entry.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string PlayerFolderPath(PlayerFolder folder) {
    const char* variable = "XDG_CONFIG_HOME";
    const char* belowHome = ".config";
    switch (folder) {
        case PlayerFolder::Config: break;
        case PlayerFolder::Data: variable = "XDG_DATA_HOME"; belowHome = ".local/share"; break;
        case PlayerFolder::State: variable = "XDG_STATE_HOME"; belowHome = ".local/state"; break;
    }
    std::string base = AbsoluteFromEnvironment(variable);
    if (base.empty()) {
        const std::string home = HomeFolder();
        if (home.empty()) return std::string();
        base = JoinPath(home, belowHome);
    }
    return JoinPath(base, "tavo");
}

bool MakeFolder(const std::string& folder, std::ostream& warnings) {
    if (folder.empty()) {
        warnings << "WARNING: No folder for the player's files: neither the XDG variables nor HOME name one."
                 << std::endl;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        warnings << "WARNING: The folder '" << folder << "' cannot be made: " << error.message() << "." << std::endl;
        return false;
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        warnings << "WARNING: '" << folder << "' is not a folder." << std::endl;
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        const int reason = errno;
        warnings << "WARNING: The folder '" << folder << "' cannot be written: " << std::strerror(reason) << "."
                 << std::endl;
        return false;
    }
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const std::string base = WithoutTrailingSlashes(folder);
    return base == "/" ? base + name : base + "/" + name;
}

}  // namespace pf
