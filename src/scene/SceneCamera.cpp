#include "scene/SceneCamera.h"

CSceneCamera::CSceneCamera() = default;

CSceneCamera::~CSceneCamera() = default;
