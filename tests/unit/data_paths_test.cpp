// Where the game finds its content: the working folder first, then the installed folder, or
// only the folder named by --data; and the message when none holds it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DataPaths.h"
#include "support/TestSupport.h"

namespace {

TEST(DataPaths, WorkingFolderThenInstalledFolderOrOnlyTheNamedOne) {
    testsupport::ScopedWorkDir dir;  // the working folder while the test runs
    const std::string here = dir.Path().string();
    dir.Write("installed/resources/levels/level1.dae", "x");
    dir.Write("installed/shaders/orthoshader.vert", "x");
    dir.Write("half/resources/levels/level1.dae", "x");  // no shaders/
    const std::string installed = here + "/installed";

    struct Case {
        const char* name;
        bool contentHere;
        std::string explicitFolder, installedFolder;
        bool found;
        std::string root;
        std::vector<std::string> lookedIn;
    };
    const Case cases[] = {
        {"installed, none here", false, "", installed, true, installed + "/", {here, installed}},
        {"here first", true, "", installed, true, "", {here}},
        {"named folder only", true, "installed", "", true, "installed/", {"installed"}},
        {"named folder without shaders", true, "half", installed, false, "", {"half"}},
        {"nowhere", false, "", here + "/half", false, "", {here, here + "/half"}},
        {"executable not found", false, "", "", false, "", {here}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all("resources");
        std::filesystem::remove_all("shaders");
        if (c.contentHere) {
            dir.Write("resources/levels/level1.dae", "x");
            dir.Write("shaders/orthoshader.vert", "x");
        }
        const ContentSearch search = FindContent(c.explicitFolder, here, c.installedFolder);
        EXPECT_EQ(search.found, c.found);
        EXPECT_EQ(search.root, c.root);
        EXPECT_EQ(search.lookedIn, c.lookedIn);
        if (!c.found) {
            const std::string message = ContentNotFoundMessage(search);
            for (const std::string& folder : c.lookedIn)
                EXPECT_NE(message.find("'" + folder + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("--data"), std::string::npos) << message;
        }
    }
}

}  // namespace
