#include "scene/LevelLoader.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

#include "scene/LevelNames.h"
#include "scene/Mesh.h"
#include "scene/ModelImport.h"

namespace {

// The importer stores matrices row-major; Mat4 is column-major.
Mat4 ToMat4(const aiMatrix4x4& world) {
    Mat4 m;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) m.At(row, col) = world[static_cast<unsigned>(row)][static_cast<unsigned>(col)];
    return m;
}

bool IsFinite(const aiMatrix4x4& m) {
    for (unsigned row = 0; row < 4; ++row)
        for (unsigned col = 0; col < 4; ++col)
            if (!std::isfinite(m[row][col])) return false;
    return true;
}

Vec3 Translation(const aiMatrix4x4& world) { return {world.a4, world.b4, world.c4}; }

// The number after the last '_' of a power-up marker. "POWERUP_MILK" has none and counts as 0,
// as does any text that is not a whole decimal number (with a warning, so that a typo such as
// "POWERUP_MILK_x" does not silently share number 0 with another marker).
int32_t PowerUpNumber(const std::string& name) {
    const std::string text = AfterLastUnderscore(name);
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    const bool whole = !text.empty() && end && *end == '\0';
    if (whole && errno == 0 && value >= INT32_MIN && value <= INT32_MAX) return static_cast<int32_t>(value);
    std::cerr << "WARNING: Power-up '" << name << "' has no number after its last '_', using 0" << std::endl;
    return 0;
}

// The node's meshes as fresh records; materials only for geometry that is drawn. Meshes the
// node names but the file lacks, and meshes without triangles, are left out with a warning.
std::vector<CMesh*> CreateNodeMeshes(const aiNode* node, const aiScene* scene, bool withMaterials) {
    std::vector<CMesh*> meshes;
    const std::string name = node->mName.C_Str();
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const unsigned int index = node->mMeshes[i];
        if (index >= scene->mNumMeshes || !scene->mMeshes[index]) {
            std::cerr << "WARNING: Node '" << name << "' refers to a mesh the file does not have, skipping it"
                      << std::endl;
            continue;
        }
        const aiMesh* imported = scene->mMeshes[index];
        std::unique_ptr<CMesh> mesh = CreateMesh(imported);
        if (mesh->faceCount == 0) {
            std::cerr << "WARNING: Mesh '" << imported->mName.C_Str() << "' of node '" << name
                      << "' has no triangles, skipping it" << std::endl;
            continue;
        }
        if (withMaterials && imported->mMaterialIndex < scene->mNumMaterials)
            ReadMaterial(scene->mMaterials[imported->mMaterialIndex], mesh->material);
        meshes.push_back(mesh.release());
    }
    return meshes;
}

class CLevelBuilder {
public:
    CLevelBuilder(CLevel& level_, const aiScene* scene_) : level(level_), scene(scene_) {}

    // Pre-order, children in file order; an explicit stack, so deep trees cannot overflow.
    void Walk() {
        struct Entry {
            const aiNode* node;
            aiMatrix4x4 parentWorld;
        };
        std::vector<Entry> stack{{scene->mRootNode, aiMatrix4x4()}};
        while (!stack.empty()) {
            const Entry entry = stack.back();
            stack.pop_back();
            if (!entry.node) continue;
            const aiMatrix4x4 world = entry.parentWorld * entry.node->mTransformation;
            if (!Visit(entry.node, world)) continue;
            for (unsigned int i = entry.node->mNumChildren; i > 0; --i)
                stack.push_back({entry.node->mChildren[i - 1], world});
        }
    }

private:
    // False when the node's children must not be visited either.
    bool Visit(const aiNode* node, const aiMatrix4x4& world) {
        const std::string name = node->mName.C_Str();
        if (!IsFinite(world)) {
            // Nothing sensible can be placed there, and the physics would choke on it.
            std::cerr << "WARNING: Node '" << name
                      << "' has a transform that is not finite, ignoring it and the nodes below it" << std::endl;
            return false;
        }
        if (name == "TAVO_START") {
            level.startPosition = Translation(world);
            return true;
        }
        if (name == "TAVO_SUN") {
            // The node looks along its local -Z axis, as lights and cameras do.
            const Vec3 along{-world.a3, -world.b3, -world.c3};
            if (Length(along) > 1e-6f && std::isfinite(Length(along))) {
                level.sunDirection = Normalize(along);
            } else {
                std::cerr << "WARNING: TAVO_SUN has no direction (its transform squashes its -Z axis), "
                             "keeping the sun straight down"
                          << std::endl;
            }
            return true;
        }
        if (StartsWith(name, "POWERUP_MILK")) {
            level.powerUps.push_back({PowerUpNumber(name), POWERUP_KIND_MILK, Translation(world)});
            return true;
        }
        if (StartsWith(name, "POWERUP_UMBRELLA")) {
            level.powerUps.push_back({PowerUpNumber(name), POWERUP_KIND_UMBRELLA, Translation(world)});
            return true;
        }
        if (node->mNumMeshes == 0) return true;

        const bool isTrigger = StartsWith(name, "TRIGGER");
        std::vector<CMesh*> meshes = CreateNodeMeshes(node, scene, !isTrigger);
        if (meshes.empty()) return true;  // every mesh was left out, with its warning

        if (isTrigger) {
            auto trigger = std::make_unique<CCallbackTrigger>(std::move(meshes), BeforeFirstUnderscore(name));
            trigger->transform = ToMat4(world);
            trigger->name = name;
            ParseNameProperties(name, trigger->properties);
            level.triggers.push_back(std::move(trigger));
            return true;
        }

        auto object = std::make_unique<CSceneGeoObject>(std::move(meshes), ToMat4(world), name, Vec3(0, 0, 0));
        object->ComputeBounds();
        object->UpdateWorldCorners();
        if (StartsWith(name, "PU_")) {
            for (char c : AfterLastUnderscore(name))
                object->projectorPowerUps.push_back((c >= '0' && c <= '9') ? c - '0' : 0);
        }
        if (StartsWith(name, "PHYS")) {
            ParseNameProperties(name, object->properties);
            level.dynamicObjects.push_back(std::move(object));
        } else if (!object->meshes[0]->material.normalName.empty()) {
            level.normalMappedObjects.push_back(std::move(object));
        } else {
            if (StartsWith(name, "CLIP")) object->clipMode = 2;
            else if (StartsWith(name, "NOCLIP")) object->clipMode = 1;
            level.staticObjects.push_back(std::move(object));
        }
        return true;
    }

    CLevel& level;
    const aiScene* scene;
};

}  // namespace

std::unique_ptr<CLevel> ReadLevelFile(const std::string& path, const std::string& fileName, std::string& error) {
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS, kLevelRemovedComponents);
    const aiScene* scene = ImportCollada(importer, path, kLevelImportFlags, &error);
    if (!scene || !scene->mRootNode) {
        if (error.empty()) error = "the file holds no scene";
        return nullptr;
    }
    auto level = std::make_unique<CLevel>(fileName);
    CLevelBuilder(*level, scene).Walk();
    return level;
}
