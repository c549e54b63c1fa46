#include "platform/DataPaths.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <sys/stat.h>

// The relative path from the installed binary's folder to the installed data folder; the build
// sets it from the install folders (GNUInstallDirs), so only the layout is compiled in, never a
// prefix.
#ifndef TAVO_DATA_FROM_BINARY
#define TAVO_DATA_FROM_BINARY "../share/games/tavo"
#endif

namespace {

std::string g_root;

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + "/";
}

}  // namespace

std::string ContentPath(const std::string& relative) { return g_root + relative; }
const std::string& ContentRoot() { return g_root; }
void SetContentRoot(const std::string& root) { g_root = WithSlash(root); }

bool HoldsContent(const std::string& folder) {
    const std::string base = WithSlash(folder);
    return IsFolder(base + "resources") && IsFolder(base + "shaders");
}

ContentSearch FindContent(const std::string& explicitFolder, const std::string& workingFolder,
                          const std::string& installedFolder) {
    ContentSearch search;
    if (!explicitFolder.empty()) {
        search.lookedIn.push_back(explicitFolder);
        if (HoldsContent(explicitFolder)) {
            search.found = true;
            search.root = WithSlash(explicitFolder);
        }
        return search;
    }
    search.lookedIn.push_back(workingFolder.empty() ? "." : workingFolder);
    if (HoldsContent("")) {
        search.found = true;
        return search;
    }
    if (!installedFolder.empty()) {
        search.lookedIn.push_back(installedFolder);
        if (HoldsContent(installedFolder)) {
            search.found = true;
            search.root = WithSlash(installedFolder);
        }
    }
    return search;
}

std::string ContentNotFoundMessage(const ContentSearch& search, const std::string& program) {
    std::string folders;
    for (const std::string& folder : search.lookedIn) folders += (folders.empty() ? "'" : ", '") + folder + "'";
    return program + ": the game's content (resources/ and shaders/) is not in " + folders +
           "; name the folder that holds it with --data DIR";
}

std::string InstalledDataFolder() {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (length <= 0) return std::string();
    const std::string path(exe, static_cast<std::size_t>(length));
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return std::filesystem::path(path.substr(0, slash + 1) + TAVO_DATA_FROM_BINARY).lexically_normal().string();
}

bool WorkingFolderWritable() { return access(".", W_OK) == 0; }
