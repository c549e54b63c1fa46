#include "scene/ModelManager.h"

#include <assimp/DefaultLogger.hpp>

#include <iostream>

#include "platform/DataPaths.h"
#include "scene/BuiltInMeshes.h"
#include "scene/PlayerObject.h"

CModelManager::CModelManager() {
    // Severity normal, to the file and the debugger stream; without the file where the working
    // folder cannot be written (the start-up has said so once).
    const unsigned int streams = WorkingFolderWritable() ? aiDefaultLogStream_FILE | aiDefaultLogStream_DEBUGGER
                                                         : aiDefaultLogStream_DEBUGGER;
    Assimp::DefaultLogger::create("AssimpLog.txt", Assimp::Logger::NORMAL, streams);
    cube = CreateCubeMesh();
    unitQuad = CreateUnitQuadMesh();
    skyCube = CreateSkyCubeMesh();
    screenQuad = CreateScreenQuadMesh();
}

CModelManager::~CModelManager() {
    models.clear();
    cube.reset();
    groundGrid.reset();
    unitQuad.reset();
    skyCube.reset();
    screenQuad.reset();
    player.reset();
    Assimp::DefaultLogger::kill();
}

CSceneObject* CModelManager::GetModel(const std::string& fileName) {
    auto found = models.find(fileName);
    if (found != models.end()) return found->second.get();

    std::cerr << "WARNING: Model " << fileName << " not preloaded!" << std::endl;
    ModelTreePtr<CSceneObject> root = loader.LoadModel(fileName);
    if (!root) {
        std::cerr << "ERROR: Model " << fileName << " does not exist!" << std::endl;
        return nullptr;
    }
    CSceneObject* model = root.get();
    models.emplace(fileName, std::move(root));
    return model;
}

CPlayerObject* CModelManager::GetPlayer(const std::string& fileName) {
    if (!player) {
        std::cerr << "WARNING: Player " << fileName << " not preloaded!" << std::endl;
        player = loader.LoadPlayer(fileName);
        if (!player) std::cerr << "ERROR: Model " << fileName << " does not exist!" << std::endl;
    }
    return player.get();
}

CMesh* CModelManager::GetGroundGrid() {
    if (!groundGrid) groundGrid = CreateGroundGridMesh();
    return groundGrid.get();
}
