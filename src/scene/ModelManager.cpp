#include "scene/ModelManager.h"

#include <assimp/DefaultLogger.hpp>

#include <iostream>

#include "platform/WrittenFiles.h"
#include "scene/BuiltInMeshes.h"
#include "scene/PlayerObject.h"

CModelManager::CModelManager() {
    // Severity normal, to the file and the debugger stream; without the file where its folder
    // cannot be written (said once: by the start-up for the working folder, else by WrittenFiles).
    const std::string logPath = pf::WritableFilePath(pf::WrittenFile::ImporterLog, "AssimpLog.txt");
    const unsigned int streams = logPath.empty() ? aiDefaultLogStream_DEBUGGER
                                                 : aiDefaultLogStream_FILE | aiDefaultLogStream_DEBUGGER;
    Assimp::DefaultLogger::create(logPath.empty() ? "AssimpLog.txt" : logPath.c_str(), Assimp::Logger::NORMAL,
                                  streams);
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
