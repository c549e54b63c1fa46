#pragma once
// A scene object with geometry: a list of meshes and an extra rotation in degrees.

#include <vector>

#include "scene/SceneObject.h"

class CSceneGeoObject : public CSceneObject {
public:
    CSceneGeoObject();
    // `meshCount` becomes the number of meshes given.
    CSceneGeoObject(std::vector<CMesh*> meshes, const Mat4& transform, std::string name, const Vec3& rotation);
    // Shares the meshes (the list itself is copied).
    CSceneGeoObject(const CSceneGeoObject& source) = default;
    // The meshes are not deleted: the level frees the meshes of its objects, and the meshes of
    // model trees live as long as the model manager.
    ~CSceneGeoObject() override;

    // transform, rotated about x, then y, then z by every non-zero (or NaN) angle, then scaled.
    Mat4 GetModelMatrix() const override;
    // The mesh at `index`, or null past the end.
    CMesh* GetMesh(uint32_t index) const override;

    std::vector<CMesh*> meshes;  // the meshes are not owned
    Vec3 rotation;               // degrees about x, y and z
};
