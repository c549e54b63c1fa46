#include "scene/SceneTrigger.h"

#include <iostream>
#include <utility>

CSceneTrigger::CSceneTrigger(std::vector<CMesh*> meshes_, std::string triggerType_)
    : CSceneGeoObject(std::move(meshes_), Mat4(), std::string(), Vec3()), triggerType(std::move(triggerType_)) {}

CSceneTrigger::~CSceneTrigger() = default;

void CSceneTrigger::OnInside() {}

void CSceneTrigger::OnFirstEnter() { std::cout << triggerType << ": FirstEnter!" << std::endl; }

void CSceneTrigger::OnFirstLeave() { std::cout << triggerType << ": FirstLeave!" << std::endl; }

void CSceneTrigger::OnEnter() { std::cout << triggerType << ": Enter" << std::endl; }

void CSceneTrigger::OnLeave() { std::cout << triggerType << ": Leave" << std::endl; }
