// Fuzzes the model reader on the bytes of a model file: CModelLoader as the model manager
// calls it (the nesting check, Assimp with the model or the player flags, the node tree cut at
// its depth limit, meshes and materials), then checks the tree it handed out.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

#include "FuzzSupport.h"
#include "scene/ModelLoader.h"
#include "scene/PlayerObject.h"
#include "scene/SceneObject.h"

namespace {

float CheckTree(const CSceneObject* object, int depth) {
    if (depth > CModelLoader::kMaxNodeDepth + 1) fuzzsupport::Fail("a tree deeper than the loader's limit");
    float sum = 0.0f;
    for (uint32_t i = 0; i < object->meshCount; ++i) sum += fuzzsupport::CheckMesh(object->GetMesh(i), object->name);
    for (const CSceneObject* child : object->children) {
        if (!child) fuzzsupport::Fail("a null child under '" + object->name + "'");
        sum += CheckTree(child, depth + 1);
    }
    return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::SilenceStandardStreams();
    // The loader reads "resources/models/<name>" from the working folder, as the game does.
    // scripts/fuzz.sh hands libFuzzer absolute paths, so moving away does not lose them.
    const std::string folder = fuzzsupport::MakePrivateFolder();
    if (chdir(folder.c_str()) != 0 || mkdir("resources", 0700) != 0 || mkdir("resources/models", 0700) != 0)
        fuzzsupport::Fail("cannot lay out the model folder in " + folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::WriteFile("resources/models/model.dae", data, size);
    CModelLoader loader;
    volatile float sum = 0.0f;
    // Power-up models and the player are imported with different flags: odd sizes are players.
    if (size % 2) {
        ModelTreePtr<CPlayerObject> player = loader.LoadPlayer("model.dae");
        if (player) sum = sum + CheckTree(player.get(), 0);
    } else {
        ModelTreePtr<CSceneObject> model = loader.LoadModel("model.dae");
        if (model) sum = sum + CheckTree(model.get(), 0);
    }
    return 0;
}
