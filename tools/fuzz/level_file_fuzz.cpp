// Fuzzes the level reader on the bytes of a level file: ReadLevelFile as the game calls it
// (its nesting check, Assimp with the level flags, the node walk and mesh conversion), with
// and without the designer's report, then checks what it handed out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "scene/Level.h"
#include "scene/LevelLoader.h"

namespace {

std::string levelPath;

template <typename List>
float CheckObjects(const List& objects) {
    float sum = 0.0f;
    for (const auto& object : objects) {
        if (!object || object->meshes.empty()) fuzzsupport::Fail("an object without meshes");
        for (const CMesh* mesh : object->meshes) sum += fuzzsupport::CheckMesh(mesh, object->name);
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::SilenceStandardStreams();
    levelPath = fuzzsupport::MakePrivateFolder() + "/level.dae";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::WriteFile(levelPath, data, size);
    std::string error;
    std::vector<LevelNodeReport> report;
    // The game reads without a report, the level checker with one: odd sizes take that path.
    const std::unique_ptr<CLevel> level = ReadLevelFile(levelPath, "level.dae", error, size % 2 ? &report : nullptr);
    if (!level) {
        if (error.empty()) fuzzsupport::Fail("no level and no reason");
        return 0;
    }
    volatile float sum = CheckObjects(level->staticObjects) + CheckObjects(level->normalMappedObjects) +
                         CheckObjects(level->dynamicObjects) + CheckObjects(level->triggers);
    (void)sum;
    for (const LevelNodeReport& node : report)
        if (node.depth < 0) fuzzsupport::Fail("a report entry above the root");
    return 0;
}
