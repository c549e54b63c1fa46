#pragma once
// A pick-up of the level: milk heals at once, the umbrella shields from the sun for a while.
// Each one is a tilted, spinning copy of its model with a box ghost in the physics world (the
// ghost's user pointer is this record), and a projector that looks straight down from it, with
// which the frame throws a star onto the level objects that name the power-up's number.

#include <memory>

#include "math/Matrix.h"
#include "scene/PowerUpKind.h"
#include "scene/SceneCamera.h"
#include "scene/SceneObject.h"

class CPlayerObject;

struct CPowerup {
    static constexpr float kMilkRespawnSeconds = 30.0f;
    static constexpr float kUmbrellaRespawnSeconds = 60.0f;
    static constexpr float kUmbrellaSeconds = 22.0f;
    // Degrees per second about the model's own Y axis.
    static constexpr float kSpinSpeed = -50.0f;

    CPowerup() = default;
    CPowerup(const CPowerup&) = delete;
    CPowerup& operator=(const CPowerup&) = delete;
    // The visible copy goes first, then the rest of the record. The copy shares the model's
    // children and meshes and never deletes them; its physics record (the ghost) goes with it.
    ~CPowerup();

    float respawnTimer = 0.0f;  // 0 while available; counts down after a pick-up
    Mat4 projectorMatrix;       // bias * projector projection; constant after creation
    int type = POWERUP_KIND_MILK;  // a PowerUpKind
    std::unique_ptr<CSceneObject> object;  // shallow copy of the model root
    CPlayerObject* player = nullptr;       // not owned
    std::unique_ptr<CSceneCamera> projector;
    int number = 0;
};

// A power-up of `type` (a PowerUpKind: milk, or umbrella for anything else, as the model was
// chosen) made from `model` (the model manager's root, which keeps its children and meshes) at
// `position`.
// The ghost is not made here: the physics world takes the record once it stands tilted.
std::unique_ptr<CPowerup> CreatePowerup(const CSceneObject& model, int type, int number, const Vec3& position,
                                        CPlayerObject* player);

// The player's push box touched an available power-up during a physics sub-step.
void OnPowerupHit(CPowerup* powerup);
// The push box touched the power-up's ghost: picked up unless it is waiting to come back.
void OnPowerupTouched(CPowerup& powerup);

// One frame of spin and respawn countdown.
void AnimatePowerup(CPowerup& powerup, float frameTime);
