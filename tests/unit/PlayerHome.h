#pragma once
// A throw-away home for the tests of the player's files: HOME and the three XDG folders point
// into a fresh temporary folder while a test runs, so no test ever reads or writes the real
// home; everything is put back and removed at the end.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace playerhome {

class ScopedPlayerHome {
public:
    ScopedPlayerHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavo-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        root = pattern;
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
        Set("HOME", root + "/home");
        Set("XDG_CONFIG_HOME", root + "/config");
        Set("XDG_DATA_HOME", root + "/data");
        Set("XDG_STATE_HOME", root + "/state");
    }
    ~ScopedPlayerHome() {
        for (std::size_t i = 0; i < std::size(kVariables); ++i) {
            if (saved[i])
                setenv(kVariables[i], saved[i]->c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
        std::error_code ignored;
        // Folders a test made read-only must be writable again to go.
        for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            if (it->is_directory(ignored)) std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    ScopedPlayerHome(const ScopedPlayerHome&) = delete;
    ScopedPlayerHome& operator=(const ScopedPlayerHome&) = delete;

    const std::string& Root() const { return root; }
    static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

private:
    static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"};
    std::string root;
    std::vector<std::optional<std::string>> saved;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The lines of a captured warning stream.
inline std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The names in a folder that are not in `expected` (left-over temporary files, say).
inline std::vector<std::string> OtherFiles(const std::string& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> others;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        bool known = false;
        for (const std::string& e : expected) known = known || e == name;
        if (!known) others.push_back(name);
    }
    return others;
}

// Writing is refused: a process running as root writes through a read-only folder, so there
// the folder lies below a plain file instead, where nobody can make it.
inline std::string UnwritableFolder(const std::string& root) {
    if (geteuid() == 0) {
        WriteBytes(root + "/plain-file", "x");
        return root + "/plain-file/folder";
    }
    const std::string folder = root + "/read-only";
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    return folder;
}

}  // namespace playerhome
