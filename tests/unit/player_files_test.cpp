// The player's folders, files written whole, and where screenshots and the importer's log go.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <atomic>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/KeyValueFile.h"
#include "platform/PlayerFolders.h"
#include "platform/WrittenFiles.h"
#include "unit/PlayerHome.h"

namespace {

using playerhome::ReadBytes;
using playerhome::ScopedPlayerHome;
using playerhome::WriteBytes;

TEST(PlayerFolders, FromTheXdgVariablesElseBelowHome) {
    ScopedPlayerHome home;
    const std::string h = home.Root() + "/home";
    struct Case {
        const char* value;  // for all three XDG variables; nullptr: unset
        std::string config, data, state;
    };
    const Case cases[] = {
        {"/srv/x", "/srv/x/tavo", "/srv/x/tavo", "/srv/x/tavo"},
        {"/srv/x/", "/srv/x/tavo", "/srv/x/tavo", "/srv/x/tavo"},
        {nullptr, h + "/.config/tavo", h + "/.local/share/tavo", h + "/.local/state/tavo"},
        {"", h + "/.config/tavo", h + "/.local/share/tavo", h + "/.local/state/tavo"},
        {"relative/dir", h + "/.config/tavo", h + "/.local/share/tavo", h + "/.local/state/tavo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            if (c.value)
                setenv(name, c.value, 1);
            else
                unsetenv(name);
        }
        EXPECT_EQ(pf::PlayerFolderPath(pf::PlayerFolder::Config), c.config);
        EXPECT_EQ(pf::PlayerFolderPath(pf::PlayerFolder::Data), c.data);
        EXPECT_EQ(pf::PlayerFolderPath(pf::PlayerFolder::State), c.state);
    }
}

TEST(PlayerFolders, MadeOnDemandOrOneWarning) {
    ScopedPlayerHome home;
    const std::string folder = pf::PlayerFolderPath(pf::PlayerFolder::Data);
    EXPECT_FALSE(std::filesystem::exists(folder));  // nothing is made by asking
    std::ostringstream warnings;
    EXPECT_TRUE(pf::MakeFolder(folder, warnings));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(warnings.str(), "");

    const std::string unwritable = playerhome::UnwritableFolder(home.Root()) + "/tavo";
    EXPECT_FALSE(pf::MakeFolder(unwritable, warnings));
    const std::vector<std::string> lines = playerhome::LinesOf(warnings.str());
    ASSERT_EQ(lines.size(), 1u) << warnings.str();
    EXPECT_EQ(lines[0].rfind("WARNING: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(unwritable), std::string::npos) << lines[0];
}

// Write errors come from the file size limit, as a full disk's would: the process may make
// files of at most `bytes` bytes while it lives.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAsItWas) {
    ScopedPlayerHome home;
    const std::string folder = home.Root() + "/files";
    const std::string path = folder + "/settings.ini";
    const std::string old = "# mine\nmusic_volume = 40\n";
    WriteBytes(path, old);

    std::string error;
    {
        ScopedFileSizeLimit limit(8);  // the disk is full after 8 bytes
        EXPECT_FALSE(pf::WriteFileAtomically(path, std::string(4096, 'n'), &error));
    }
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(playerhome::OtherFiles(folder, {"settings.ini"}), std::vector<std::string>());

    EXPECT_FALSE(pf::WriteFileAtomically(home.Root() + "/missing/settings.ini", "x", &error));
    EXPECT_FALSE(std::filesystem::exists(home.Root() + "/missing"));

    EXPECT_TRUE(pf::WriteFileAtomically(path, "new\n", &error)) << error;
    EXPECT_EQ(ReadBytes(path), "new\n");
    EXPECT_EQ(playerhome::OtherFiles(folder, {"settings.ini"}), std::vector<std::string>());
}

TEST(AtomicFile, TwoWritersAtOnceLeaveOneWholeFile) {
    ScopedPlayerHome home;
    const std::string path = home.Root() + "/progress.ini";
    const std::string a(20000, 'a'), b(30000, 'b');
    WriteBytes(path, a);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    auto writer = [&](const std::string& bytes) {
        for (int i = 0; i < 100; ++i)
            if (!pf::WriteFileAtomically(path, bytes)) ++failures;
    };
    std::thread reader([&] {
        while (!stop) {
            const std::string seen = ReadBytes(path);
            if (seen != a && seen != b) ++failures;
        }
    });
    std::thread first(writer, a), second(writer, b);
    first.join();
    second.join();
    stop = true;
    reader.join();
    EXPECT_EQ(failures, 0);
    const std::string last = ReadBytes(path);
    EXPECT_TRUE(last == a || last == b);
    EXPECT_EQ(playerhome::OtherFiles(home.Root(), {"progress.ini"}), std::vector<std::string>());
}

TEST(KeyValueFile, CommentsSurviveAndEditsStayInPlace) {
    ScopedPlayerHome home;
    const std::string path = home.Root() + "/a.ini";
    WriteBytes(path, "# top\r\n\nb = 2\n  # indented note\na=1");  // CR LF and no last line end
    pf::KeyValueFile file;
    std::ostringstream warnings;
    file.Read(path);
    file.Report(warnings);
    EXPECT_EQ(warnings.str(), "");
    ASSERT_EQ(file.Entries().size(), 2u);
    EXPECT_EQ(file.Entries()[1].key, "a");
    EXPECT_EQ(file.Entries()[1].value, "1");
    EXPECT_EQ(file.Entries()[1].line, 5);
    file.Set("b", "3");
    file.Set("c", "new value");
    ASSERT_TRUE(file.Write(warnings, "# header of a new file\n"));
    EXPECT_EQ(ReadBytes(path), "# top\n\nb = 3\n  # indented note\na=1\nc = new value\n");
    EXPECT_EQ(playerhome::OtherFiles(home.Root(), {"a.ini", "home"}), std::vector<std::string>());
}

TEST(WrittenFiles, WorkingFolderUnlessThePlayersFoldersAreAsked) {
    ScopedPlayerHome home;
    std::ostringstream warnings;
    EXPECT_EQ(pf::WrittenFileFolder(pf::WrittenFile::Screenshot, warnings), std::string());
    pf::WriteToPlayerFolders();
    EXPECT_EQ(pf::WrittenFileFolder(pf::WrittenFile::Screenshot, warnings), home.Root() + "/data/tavo/screenshots/");
    EXPECT_EQ(pf::WritableFilePath(pf::WrittenFile::ImporterLog, "AssimpLog.txt", warnings),
              home.Root() + "/state/tavo/AssimpLog.txt");
    EXPECT_TRUE(std::filesystem::is_directory(home.Root() + "/data/tavo/screenshots"));
    EXPECT_TRUE(std::filesystem::is_directory(home.Root() + "/state/tavo"));
    EXPECT_EQ(warnings.str(), "");

    // A folder that cannot be made: one warning, however often the game asks.
    ScopedPlayerHome::Set("XDG_DATA_HOME", playerhome::UnwritableFolder(home.Root()));
    EXPECT_EQ(pf::WrittenFileFolder(pf::WrittenFile::Screenshot, warnings), std::nullopt);
    EXPECT_EQ(pf::WrittenFileFolder(pf::WrittenFile::Screenshot, warnings), std::nullopt);
    const std::vector<std::string> lines = playerhome::LinesOf(warnings.str());
    pf::WriteToWorkingFolder();
    ASSERT_EQ(lines.size(), 1u) << warnings.str();
    EXPECT_EQ(lines[0].rfind("WARNING: ", 0), 0u);
    EXPECT_NE(lines[0].find("screenshots"), std::string::npos) << lines[0];
}

}  // namespace
