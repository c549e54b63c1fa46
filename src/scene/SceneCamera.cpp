#include "scene/SceneCamera.h"

CSceneCamera::CSceneCamera() = default;

CSceneCamera::~CSceneCamera() = default;

void CSceneCamera::Update() { viewMatrix = Inverse(GetModelMatrix()); }
