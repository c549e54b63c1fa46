#pragma once
// A trigger that routes each of its five hooks to a plain function with a user pointer; the
// level loader sets the ones it needs (level end, kill zone).

#include "scene/SceneTrigger.h"

using TriggerCallback = void (*)(CSceneTrigger* trigger, void* userData);

class CCallbackTrigger : public CSceneTrigger {
public:
    // Callback slots, in the order of the hooks.
    enum { kOnInside = 0, kOnFirstEnter = 1, kOnFirstLeave = 2, kOnEnter = 3, kOnLeave = 4 };

    CCallbackTrigger(std::vector<CMesh*> meshes, std::string triggerType);
    ~CCallbackTrigger() override;

    TriggerCallback callbacks[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};  // null: the hook does nothing
    void* userData = nullptr;  // passed to every callback; not owned
};
