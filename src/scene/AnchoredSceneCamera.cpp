#include "scene/AnchoredSceneCamera.h"

CAnchoredSceneCamera::CAnchoredSceneCamera(CSceneObject* anchor_, const Vec3& anchorOffset_)
    : anchor(anchor_), anchorOffset(anchorOffset_) {}

CAnchoredSceneCamera::~CAnchoredSceneCamera() = default;
