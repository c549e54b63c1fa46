#include "physics/SceneObjectMotionState.h"

#include <cmath>

#include "physics/BulletConvert.h"
#include "scene/SceneObject.h"

namespace {
// A zero or broken scale would collapse the shape; such a scale keeps the last good one.
bool UsableScale(const btVector3& s) {
    return IsFinite(s) && s.x() != 0.0f && s.y() != 0.0f && s.z() != 0.0f;
}
}  // namespace

CSceneObjectMotionState::CSceneObjectMotionState(CSceneObject* object_, const btVector3& offset_,
                                                 btCollisionShape* shape_)
    : object(object_), offset(offset_), shape(shape_) {}

void CSceneObjectMotionState::getWorldTransform(btTransform& out) const {
    const Mat4& m = object->transform;
    // The library hands in the body's current transform: leaving it as it is keeps a body
    // whose object lost its place (a transform that is not a number) where it was.
    if (!IsFinite(m)) return;
    const btVector3 s = ToBt(object->scale);
    // Setting the scaling recomputes cached bounds in some shapes: only do it on a change.
    if (UsableScale(s) && shape->getLocalScaling() != s) shape->setLocalScaling(s);
    const btMatrix3x3 basis = BasisOf(m);
    const btVector3 r = s * (basis * offset);
    out.setBasis(basis);
    out.setOrigin(btVector3(m[12], m[13], m[14]) + r);
}

void CSceneObjectMotionState::setWorldTransform(const btTransform& in) {
    const btVector3 s = ToBt(object->scale);
    const btVector3 r = s * (in.getBasis() * offset);
    const btVector3 p = in.getOrigin() - r;
    Mat4& m = object->transform;
    SetBasis(m, in.getBasis());
    m[12] = p.x();
    m[13] = p.y();
    m[14] = p.z();
    m[15] = 1.0f;
}
