#include "scene/CallbackTrigger.h"

#include <utility>

CCallbackTrigger::CCallbackTrigger(std::vector<CMesh*> meshes_, std::string triggerType_)
    : CSceneTrigger(std::move(meshes_), std::move(triggerType_)) {}

CCallbackTrigger::~CCallbackTrigger() = default;
