#pragma once
// Keeps every model of the game (Collada files in resources/models) by file name, the player
// and the built-in meshes. Models are imported on first request and kept until shutdown;
// users must not delete objects of a model tree (power-ups show clones of the roots).

#include <map>
#include <memory>
#include <string>

#include "scene/Mesh.h"
#include "scene/ModelLoader.h"

class CPlayerObject;
class CSceneObject;

class CModelManager {
public:
    // Starts the importer's log ("AssimpLog.txt" in the working folder) and builds the
    // built-in meshes, except the ground grid, which is built on first request.
    CModelManager();
    CModelManager(const CModelManager&) = delete;
    CModelManager& operator=(const CModelManager&) = delete;
    // Frees the models with their meshes, the built-in meshes and the player, then stops the
    // importer's log. Meshes on the GPU need the GL context to still be current.
    ~CModelManager();

    // The model's tree, imported now if it was not preloaded (with a warning). Null, with an
    // error, when the file cannot be imported; nothing is remembered, so a later call tries again.
    CSceneObject* GetModel(const std::string& fileName);
    // The one player, imported on the first call (with a warning); later calls ignore the name.
    // Null, with an error, while it cannot be imported.
    CPlayerObject* GetPlayer(const std::string& fileName);

    CMesh* GetCube() const { return cube.get(); }
    CMesh* GetUnitQuad() const { return unitQuad.get(); }
    CMesh* GetSkyCube() const { return skyCube.get(); }
    CMesh* GetScreenQuad() const { return screenQuad.get(); }
    // 68 MB of vertices that nothing draws today: built on the first call only.
    CMesh* GetGroundGrid();
    bool HasGroundGrid() const { return groundGrid != nullptr; }

private:
    std::map<std::string, ModelTreePtr<CSceneObject>> models;
    ModelTreePtr<CPlayerObject> player;
    std::unique_ptr<CMesh> cube;
    std::unique_ptr<CMesh> groundGrid;
    std::unique_ptr<CMesh> unitQuad;
    std::unique_ptr<CMesh> skyCube;
    std::unique_ptr<CMesh> screenQuad;
    CModelLoader loader;
};
