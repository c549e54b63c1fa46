#include "scene/SceneTrigger.h"

#include <utility>

CSceneTrigger::CSceneTrigger(std::vector<CMesh*> meshes_, std::string triggerType_)
    : CSceneGeoObject(std::move(meshes_), Mat4(), std::string(), Vec3()), triggerType(std::move(triggerType_)) {}

CSceneTrigger::~CSceneTrigger() = default;
