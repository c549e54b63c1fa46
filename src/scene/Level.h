#pragma once
// One loaded level: where the player starts, where the sun shines from, where the power-ups
// stand, and the level's objects sorted into flat lists that drawing, culling and the physics
// iterate without walking a tree. The level is what the file says; what changes while playing
// (physics, timers, the player) lives in the play state.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/Matrix.h"
#include "scene/CallbackTrigger.h"
#include "scene/PowerUpKind.h"
#include "scene/SceneGeoObject.h"

// A power-up marker of the level file ("POWERUP_MILK_7" and the like).
struct PowerUpSpawn {
    int32_t number = 0;
    int32_t kind = POWERUP_KIND_MILK;
    Vec3 position;  // world space
};

class CLevel {
public:
    explicit CLevel(std::string fileName);
    CLevel(const CLevel&) = delete;
    CLevel& operator=(const CLevel&) = delete;
    // Level objects never own their meshes, so the level frees them: list by list (static,
    // normal-mapped, dynamic, triggers), each object's meshes first, then the object.
    ~CLevel();

    Vec3 startPosition;                   // TAVO_START, or the origin
    Vec3 sunDirection{0.0f, -1.0f, 0.0f};  // the way sunlight travels, normalised
    std::vector<PowerUpSpawn> powerUps;   // file order
    std::string fileName;                 // as given to LoadLevel, without the folder
    std::vector<std::unique_ptr<CSceneGeoObject>> staticObjects;        // includes CLIP and NOCLIP
    std::vector<std::unique_ptr<CSceneGeoObject>> normalMappedObjects;  // always drawn and solid
    std::vector<std::unique_ptr<CSceneGeoObject>> dynamicObjects;       // "PHYS"
    std::vector<std::unique_ptr<CCallbackTrigger>> triggers;
};
