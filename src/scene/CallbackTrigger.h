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

    // Each hook calls its callback with this trigger and `userData`; a null callback does
    // nothing (and prints nothing).
    void OnInside() override;
    void OnFirstEnter() override;
    void OnFirstLeave() override;
    void OnEnter() override;
    void OnLeave() override;

    TriggerCallback callbacks[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};  // null: the hook does nothing
    void* userData = nullptr;  // passed to every callback; not owned

private:
    void Call(int slot);
};
