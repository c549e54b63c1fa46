#pragma once
// Everything that stands in the 3D world: level geometry, the player, models, the sky box,
// cameras and triggers. A scene object is a transform with a scale, a name, optional children
// (models are trees), the string properties written into its level node name, a bounding box
// kept as eight corners, and optional physics data.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "math/Matrix.h"

class CMesh;
class CPhysData;

class CSceneObject {
public:
    CSceneObject();
    CSceneObject(const Mat4& transform, std::string name);
    // A shallow clone: it shares the source's children and meshes (a power-up shown many times
    // is one model tree). Clear the clone's `ownsChildren` before it can be destroyed. The
    // physics record is not shared: two owners would delete it twice, so the clone starts
    // without one and gets its own when it enters the physics world.
    CSceneObject(const CSceneObject& source);
    CSceneObject& operator=(const CSceneObject&) = delete;
    // Deletes the physics record and, when `ownsChildren` is set, every child.
    virtual ~CSceneObject();

    // transform * diag(scale, 1); geometry objects apply their extra rotation first.
    virtual Mat4 GetModelMatrix() const;
    // The child at `index`, or null past the end.
    virtual CSceneObject* GetChild(uint32_t index) const;
    // Plain objects carry no meshes: always null.
    virtual CMesh* GetMesh(uint32_t index) const;

    // Appends a child; the tree owns it while `ownsChildren` is set.
    void AddChild(CSceneObject* child);
    // Recomputes `localCorners` from the visible children (their boxes in this object's space)
    // and this object's own mesh vertices. Walks vertices: run it when objects are created.
    void ComputeBounds();
    // `worldCorners` = GetModelMatrix() applied to `localCorners`. Run it after every change
    // of transform or scale that culling or the sun test must see.
    void UpdateWorldCorners();

    Mat4 transform;                 // parent-relative in model trees, world space in levels
    Vec3 scale{1.0f, 1.0f, 1.0f};
    bool visible = true;            // hidden objects are neither drawn nor part of the parent's box
    bool ownsChildren = true;
    std::string name;               // node name from the model or level file
    float swingAngle = 0.0f;        // degrees about local x already applied to `transform`
    uint32_t meshCount = 0;         // only geometry objects set it
    std::vector<CSceneObject*> children;  // file order; owned when `ownsChildren`
    int32_t clipMode = 0;           // 0 drawn and solid, 1 drawn only ("NOCLIP"), 2 solid only ("CLIP")
    std::map<std::string, std::string> properties;  // key/value pairs from the level node name
    // Box corners; index bit 0 picks max x, bit 1 max y, bit 2 max z (corner 0 is the minimum).
    Vec3 localCorners[8];
    Vec3 worldCorners[8];           // localCorners through GetModelMatrix (a child: parent space)
    CPhysData* physData = nullptr;  // owned
    std::vector<int32_t> projectorPowerUps;  // numbers of the power-ups whose projector lights it
};

// Conservative culling test: false only when all eight corners lie beyond one plane of the
// clip-space frustum (clip = projection * view * model, or projection * view for world corners).
bool IsBoxInFrustum(const Vec3 corners[8], const Mat4& clip);
