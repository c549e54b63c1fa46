#include "scene/CallbackTrigger.h"

#include <utility>

CCallbackTrigger::CCallbackTrigger(std::vector<CMesh*> meshes_, std::string triggerType_)
    : CSceneTrigger(std::move(meshes_), std::move(triggerType_)) {}

CCallbackTrigger::~CCallbackTrigger() = default;

void CCallbackTrigger::Call(int slot) {
    if (callbacks[slot]) callbacks[slot](this, userData);
}

void CCallbackTrigger::OnInside() { Call(kOnInside); }

void CCallbackTrigger::OnFirstEnter() { Call(kOnFirstEnter); }

void CCallbackTrigger::OnFirstLeave() { Call(kOnFirstLeave); }

void CCallbackTrigger::OnEnter() { Call(kOnEnter); }

void CCallbackTrigger::OnLeave() { Call(kOnLeave); }
