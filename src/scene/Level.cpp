#include "scene/Level.h"

#include <utility>

#include "scene/Mesh.h"

namespace {

template <typename Object>
void DeleteObjectsWithMeshes(std::vector<std::unique_ptr<Object>>& objects) {
    for (std::unique_ptr<Object>& object : objects) {
        if (!object) continue;
        for (CMesh* mesh : object->meshes) delete mesh;
        object->meshes.clear();
        object->meshCount = 0;
        object.reset();
    }
    objects.clear();
}

}  // namespace

CLevel::CLevel(std::string fileName_) : fileName(std::move(fileName_)) {}

CLevel::~CLevel() {
    DeleteObjectsWithMeshes(staticObjects);
    DeleteObjectsWithMeshes(normalMappedObjects);
    DeleteObjectsWithMeshes(dynamicObjects);
    DeleteObjectsWithMeshes(triggers);
}
