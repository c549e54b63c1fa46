#include "scene/ModelLoader.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <iostream>
#include <vector>

#include "platform/DataPaths.h"
#include "scene/Mesh.h"
#include "scene/ModelImport.h"
#include "scene/PlayerObject.h"

namespace {

void CollectMeshes(const CSceneObject* object, std::vector<CMesh*>& out) {
    for (uint32_t i = 0; i < object->meshCount; ++i)
        if (CMesh* mesh = object->GetMesh(i)) out.push_back(mesh);
    for (const CSceneObject* child : object->children)
        if (child) CollectMeshes(child, out);
}

}  // namespace

void ModelTreeDeleter::operator()(CSceneObject* root) const {
    if (!root) return;
    std::vector<CMesh*> meshes;
    CollectMeshes(root, meshes);
    delete root;
    for (CMesh* mesh : meshes) delete mesh;
}

ModelTreePtr<CSceneObject> CModelLoader::LoadModel(const std::string& fileName) {
    ModelTreePtr<CSceneObject> root(new CSceneObject);
    lastRoot = root.get();
    if (!Import(fileName, kModelFlags, root.get())) {
        lastRoot = nullptr;
        return nullptr;
    }
    return root;
}

ModelTreePtr<CPlayerObject> CModelLoader::LoadPlayer(const std::string& fileName) {
    ModelTreePtr<CPlayerObject> root(new CPlayerObject);
    // Remembered before the nodes are walked, so that the limbs attach to it.
    player = root.get();
    lastRoot = root.get();
    if (!Import(fileName, kPlayerFlags, root.get())) {
        player = nullptr;
        lastRoot = nullptr;
        return nullptr;
    }
    return root;
}

bool CModelLoader::Import(const std::string& fileName, unsigned int flags, CSceneObject* root) {
    const std::string path = ContentPath("resources/models/" + fileName);
    std::cout << "LOADING Mesh file " << path << std::endl;

    // The importer owns the imported scene; everything needed is copied out before it goes.
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = ImportCollada(importer, path, flags, &error);
    if (!scene || !scene->mRootNode) {
        if (error.empty()) error = "the file holds no scene";
        std::cerr << "ERROR: Could not load model " << path << ", error was: " << error << std::endl;
        return false;
    }

    depthWarned = false;
    ProcessNode(scene->mRootNode, root, scene, 0);
    root->ComputeBounds();
    root->UpdateWorldCorners();
    return true;
}

void CModelLoader::ProcessNode(const aiNode* node, CSceneObject* parent, const aiScene* scene) {
    depthWarned = false;
    ProcessNode(node, parent, scene, 0);
}

void CModelLoader::ProcessNode(const aiNode* node, CSceneObject* parent, const aiScene* scene, int depth) {
    if (depth >= kMaxNodeDepth) {
        if (!depthWarned)
            std::cerr << "WARNING: Model node tree deeper than " << kMaxNodeDepth << " levels; node '"
                      << node->mName.C_Str() << "' and everything below it left out" << std::endl;
        depthWarned = true;
        return;
    }
    std::unique_ptr<CSceneObject> created = CreateNodeObject(node, scene);
    CSceneObject* obj = created.release();
    parent->AddChild(obj);

    if (player) {
        const std::string& name = obj->name;
        if (name == "RightHand") player->rightHand = obj;
        else if (name == "LeftHand") player->leftHand = obj;
        else if (name == "RightLeg") player->rightLeg = obj;
        else if (name == "LeftLeg") player->leftLeg = obj;
        else if (name == "umbrella") {
            obj->visible = false;
            player->umbrella = obj;
        }
    }

    for (unsigned int i = 0; i < node->mNumChildren; ++i) ProcessNode(node->mChildren[i], obj, scene, depth + 1);
}
