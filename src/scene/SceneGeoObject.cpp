#include "scene/SceneGeoObject.h"

#include <utility>

CSceneGeoObject::CSceneGeoObject() = default;

CSceneGeoObject::CSceneGeoObject(std::vector<CMesh*> meshes_, const Mat4& transform_, std::string name_,
                                 const Vec3& rotation_)
    : CSceneObject(transform_, std::move(name_)), meshes(std::move(meshes_)), rotation(rotation_) {
    meshCount = static_cast<uint32_t>(meshes.size());
}

CSceneGeoObject::~CSceneGeoObject() = default;

Mat4 CSceneGeoObject::GetModelMatrix() const {
    // Most objects have no extra rotation; a NaN angle compares unequal and is applied.
    Mat4 m = transform;
    if (rotation.x != 0.0f) m = Rotate(m, rotation.x, kAxisX);
    if (rotation.y != 0.0f) m = Rotate(m, rotation.y, kAxisY);
    if (rotation.z != 0.0f) m = Rotate(m, rotation.z, kAxisZ);
    for (int row = 0; row < 4; ++row) {
        m.m[0 + row] *= scale.x;
        m.m[4 + row] *= scale.y;
        m.m[8 + row] *= scale.z;
    }
    return m;
}

CMesh* CSceneGeoObject::GetMesh(uint32_t index) const {
    return (meshCount > 0 && index < meshes.size()) ? meshes[index] : nullptr;
}
