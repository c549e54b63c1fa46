#include "scene/SceneObject.h"

#include <algorithm>
#include <utility>

#include "scene/Mesh.h"
#include "scene/PhysData.h"

CSceneObject::CSceneObject() = default;

CSceneObject::CSceneObject(const Mat4& transform_, std::string name_) : transform(transform_), name(std::move(name_)) {}

CSceneObject::CSceneObject(const CSceneObject& source)
    : transform(source.transform),
      scale(source.scale),
      visible(source.visible),
      ownsChildren(source.ownsChildren),
      name(source.name),
      swingAngle(source.swingAngle),
      meshCount(source.meshCount),
      children(source.children),
      clipMode(source.clipMode),
      properties(source.properties),
      physData(nullptr),
      projectorPowerUps(source.projectorPowerUps) {
    std::copy(std::begin(source.localCorners), std::end(source.localCorners), std::begin(localCorners));
    std::copy(std::begin(source.worldCorners), std::end(source.worldCorners), std::begin(worldCorners));
}

CSceneObject::~CSceneObject() {
    delete physData;
    if (ownsChildren)
        for (CSceneObject* child : children) delete child;
}

Mat4 CSceneObject::GetModelMatrix() const {
    Mat4 m = transform;
    for (int row = 0; row < 4; ++row) {
        m.m[0 + row] *= scale.x;
        m.m[4 + row] *= scale.y;
        m.m[8 + row] *= scale.z;
    }
    return m;
}

CSceneObject* CSceneObject::GetChild(uint32_t index) const {
    return index < children.size() ? children[index] : nullptr;
}

CMesh* CSceneObject::GetMesh(uint32_t) const { return nullptr; }

void CSceneObject::AddChild(CSceneObject* child) { children.push_back(child); }

namespace {

// Axis-aligned box that starts empty; the first point sets both ends.
struct BoxBuilder {
    bool empty = true;
    Vec3 min, max;

    void Add(const Vec3& p) {
        if (empty) {
            min = max = p;
            empty = false;
            return;
        }
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
};

}  // namespace

void CSceneObject::ComputeBounds() {
    BoxBuilder box;
    for (CSceneObject* child : children) {
        if (!child || !child->visible) continue;
        child->ComputeBounds();
        child->UpdateWorldCorners();
        for (const Vec3& corner : child->worldCorners) box.Add(corner);
    }
    for (uint32_t i = 0; i < meshCount; ++i) {
        const CMesh* mesh = GetMesh(i);
        if (!mesh || !mesh->vertices) continue;
        for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
            const float* p = mesh->vertices[v].position;
            box.Add({p[0], p[1], p[2]});
        }
    }
    // An empty object keeps every corner at the origin (Vec3's default).
    const Vec3 lo = box.min, hi = box.max;
    for (int i = 0; i < 8; ++i)
        localCorners[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
}

void CSceneObject::UpdateWorldCorners() {
    const Mat4 model = GetModelMatrix();
    for (int i = 0; i < 8; ++i) worldCorners[i] = TransformPoint(model, localCorners[i]);
}

bool IsBoxInFrustum(const Vec3 corners[8], const Mat4& clip) {
    int beyond[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        const Vec3& p = corners[i];
        float c[4];
        for (int row = 0; row < 4; ++row)
            c[row] = clip.m[row] * p.x + clip.m[4 + row] * p.y + clip.m[8 + row] * p.z + clip.m[12 + row];
        const float w = c[3];
        if (c[0] > w) ++beyond[0];
        if (-w > c[0]) ++beyond[1];
        if (c[1] > w) ++beyond[2];
        if (-w > c[1]) ++beyond[3];
        if (c[2] > w) ++beyond[4];
        if (-w > c[2]) ++beyond[5];
    }
    for (int count : beyond)
        if (count == 8) return false;
    return true;
}
