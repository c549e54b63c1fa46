#include "platform/WrittenFiles.h"

#include <unistd.h>

#include <sstream>

#include "platform/PlayerFolders.h"

namespace pf {

namespace {

bool g_playerFolders = false;
bool g_warned[2] = {false, false};

std::size_t Index(WrittenFile kind) { return kind == WrittenFile::Screenshot ? 0 : 1; }

}  // namespace

void WriteToPlayerFolders() {
    g_playerFolders = true;
    g_warned[0] = g_warned[1] = false;
}

void WriteToWorkingFolder() { g_playerFolders = false; }

std::optional<std::string> WrittenFileFolder(WrittenFile kind, std::ostream& warnings) {
    if (!g_playerFolders) return std::string();
    std::string folder;
    if (kind == WrittenFile::Screenshot) {
        const std::string data = PlayerFolderPath(PlayerFolder::Data);
        if (!data.empty()) folder = JoinPath(data, "screenshots");
    } else {
        folder = PlayerFolderPath(PlayerFolder::State);
    }
    std::ostringstream problem;
    if (MakeFolder(folder, problem)) return folder + "/";
    bool& warned = g_warned[Index(kind)];
    if (!warned) {
        warned = true;
        std::string line = problem.str();
        if (!line.empty() && line.back() == '\n') line.pop_back();
        warnings << line << (kind == WrittenFile::Screenshot ? " No screenshots this time." : " No AssimpLog.txt this time.")
                 << std::endl;
    }
    return std::nullopt;
}

std::string WritableFilePath(WrittenFile kind, const std::string& name, std::ostream& warnings) {
    const std::optional<std::string> folder = WrittenFileFolder(kind, warnings);
    if (!folder) return std::string();
    if (folder->empty() && access(".", W_OK) != 0) return std::string();
    return *folder + name;
}

}  // namespace pf
