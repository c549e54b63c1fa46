// Fuzzes the readers of level node names and the level-path helpers. The input is the file
// name of the level being played, a '\n', then one node name (without a '\n' the level is the
// shipped "level1.dae"). Besides crashes and sanitizer reports it checks what the game relies
// on: the property split and the map agree, and a "nextlevel" never leads out of the folder of
// the level that names it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "scene/LevelLoader.h"
#include "scene/LevelNames.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& level, const std::string& name, const std::string& got) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n  level: '%s'\n  name: '%s'\n  got: '%s'\n", what, level.c_str(),
                 name.c_str(), got.c_str());
    std::abort();
}

// True when `path` is `folder` followed by a relative path that names something below it: no
// step back above `folder` (a "..", where the system reads the name: up to a '\0') and not
// `folder` itself.
bool IsBelow(const std::string& path, const std::string& folder) {
    if (path.compare(0, folder.size(), folder) != 0) return false;
    std::string rest = path.substr(folder.size());
    rest = rest.substr(0, rest.find('\0'));
    if (rest.empty() || rest[0] == '/') return false;
    int depth = 0;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type slash = rest.find('/', start);
        const std::string part = rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") --depth;
        else if (!part.empty() && part != ".") ++depth;
        if (depth < 0) return false;
        if (slash == std::string::npos) return depth > 0;
        start = slash + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string::size_type newline = input.find('\n');
    const std::string level = newline == std::string::npos ? "level1.dae" : input.substr(0, newline);
    const std::string name = newline == std::string::npos ? input : input.substr(newline + 1);

    // The kind, and the text the power-up and projector readers look at.
    const std::string kind = BeforeFirstUnderscore(name);
    if (kind.find('_') != std::string::npos || name.compare(0, kind.size(), kind) != 0)
        Fail("the kind is not the text before the first '_'", level, name, kind);
    const std::string last = AfterLastUnderscore(name);
    if (last.find('_') != std::string::npos) Fail("the text after the last '_' holds one", level, name, last);
    int32_t number = 0;
    if (!ReadPowerUpNumber(name, number) && number != 0) Fail("an unread power-up number is not 0", level, name, last);

    // Properties: the map is the split's pairs with the last of each key, and neither holds '_'.
    std::map<std::string, std::string> properties;
    ParseNameProperties(name, properties);
    const NameProperties split = SplitNameProperties(name);
    std::map<std::string, std::string> folded;
    for (const auto& pair : split.pairs) {
        if (pair.first.find('_') != std::string::npos || pair.second.find('_') != std::string::npos)
            Fail("a key or value holds '_'", level, name, pair.first + "=" + pair.second);
        folded[pair.first] = pair.second;
    }
    if (folded != properties) Fail("the property map differs from the split", level, name, "");

    float mass = 0.0f;
    const bool massRead = ReadMassProperty(properties, mass);
    if (!massRead && mass != 1.0f) Fail("an unread mass is not 1", level, name, std::to_string(mass));
    if (ReadConvexProperty(properties) && properties.at("convex") != "true")
        Fail("convex without \"true\"", level, name, properties.at("convex"));

    // Where the level lies and where its end leads.
    const std::string levelPath = LevelFilePath(level);
    int music = 0;
    LevelMusicNumber(level, music);
    if (music < 0 || music > 9) Fail("a music number that is not one digit", level, name, std::to_string(music));
    LevelPathFromCommandLine(level);
    const auto next = properties.find("nextlevel");
    const std::string value = next != properties.end() ? next->second : name;
    const std::string nextName = NextLevelFileName(level, value);
    if (!nextName.empty()) {
        const std::string nextPath = LevelFilePath(nextName);
        const std::string::size_type slash = level.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string(kLevelFolder) : level.substr(0, slash + 1);
        if (!IsBelow(nextPath, folder)) Fail("the next level leaves the level's folder", level, value, nextPath);
    }
    return 0;
}
