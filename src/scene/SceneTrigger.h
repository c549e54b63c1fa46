#pragma once
// An invisible volume of the level that reacts when the player enters or leaves it. Its meshes
// describe the volume and are never drawn; the physics world drives the hooks below on every
// internal tick. Triggers keep all-zero bounds.

#include <string>

#include "scene/SceneGeoObject.h"

class CSceneTrigger : public CSceneGeoObject {
public:
    // Identity transform and empty name; `triggerType` is the node name up to the first '_'.
    CSceneTrigger(std::vector<CMesh*> meshes, std::string triggerType);
    ~CSceneTrigger() override;

    // Every tick something penetrates the volume; silent here.
    virtual void OnInside();
    // Once in the trigger's life, right before the first OnEnter. Prints "<type>: FirstEnter!".
    virtual void OnFirstEnter();
    // Once in the trigger's life, right before the first OnLeave. Prints "<type>: FirstLeave!".
    virtual void OnFirstLeave();
    // Prints "<type>: Enter".
    virtual void OnEnter();
    // Prints "<type>: Leave".
    virtual void OnLeave();

    bool firstEnterPending = true;
    bool firstLeavePending = true;
    bool inside = false;  // penetrated at the last tick
    std::string triggerType;
};
