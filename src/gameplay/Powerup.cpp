#include "gameplay/Powerup.h"

#include <algorithm>
#include <iostream>

#include "scene/PlayerObject.h"
#include "scene/SceneGeoObject.h"

namespace {

// The projector sees a 20 x 20 square below the power-up, from 0.1 to 1.0 units down: the pad
// the power-up hovers over lies inside that range, the floor further down does not.
const float kProjectorHalfSize = 10.0f;
const float kProjectorNear = 0.1f;
const float kProjectorFar = 1.0f;
// How the model hangs: moved along its own axes, then tilted about its own Z axis.
const float kHangOffsetX = -0.5f;
const float kHangOffsetZ = 0.4f;
const float kTiltDegrees = 30.0f;

std::unique_ptr<CSceneObject> CloneModelRoot(const CSceneObject& model) {
    // Models with meshes at their root keep them in the copy; both copies share the meshes.
    if (const auto* geo = dynamic_cast<const CSceneGeoObject*>(&model))
        return std::make_unique<CSceneGeoObject>(*geo);
    return std::make_unique<CSceneObject>(model);
}

}  // namespace

CPowerup::~CPowerup() { object.reset(); }

std::unique_ptr<CPowerup> CreatePowerup(const CSceneObject& model, int type, int number, const Vec3& position,
                                        CPlayerObject* player) {
    std::unique_ptr<CSceneObject> object = CloneModelRoot(model);
    object->transform[12] = position.x;
    object->transform[13] = position.y;
    object->transform[14] = position.z;
    object->transform[15] = 1.0f;
    object->ownsChildren = false;  // the model manager keeps the tree
    object->ComputeBounds();
    object->UpdateWorldCorners();

    auto powerup = std::make_unique<CPowerup>();
    powerup->type = type;
    powerup->player = player;
    powerup->number = number;

    // The projector looks straight down from where the power-up stands. Looking at a point one
    // unit below the eye (rather than at the ground plane) keeps the view valid for a power-up
    // placed at or below y = 0.
    const Vec3 eye = TransformPoint(object->GetModelMatrix(), Vec3());
    powerup->projector = std::make_unique<CSceneCamera>();
    powerup->projector->transform[12] = eye.x;
    powerup->projector->transform[13] = eye.y;
    powerup->projector->transform[14] = eye.z;
    powerup->projector->SetViewMatrix(LookAt(eye, {eye.x, eye.y - 1.0f, eye.z}, kAxisZ));
    const Mat4 projection = Orthographic(-kProjectorHalfSize, kProjectorHalfSize, -kProjectorHalfSize,
                                         kProjectorHalfSize, kProjectorNear, kProjectorFar);
    powerup->projectorMatrix = Multiply(projection, BiasMatrix());  // bias * projection

    Mat4& m = object->transform;
    for (int row = 0; row < 3; ++row) m[12 + row] += m[0 + row] * kHangOffsetX + m[8 + row] * kHangOffsetZ;
    m = Rotate(m, kTiltDegrees, kAxisZ);
    object->UpdateWorldCorners();

    powerup->object = std::move(object);
    return powerup;
}

void OnPowerupHit(CPowerup* powerup) {
    std::cout << "Powerup hit! " << powerup->type << std::endl;
    switch (powerup->type) {
        case POWERUP_KIND_MILK:
            powerup->player->life = 1.0f;
            powerup->player->milkPicked = true;
            powerup->respawnTimer = CPowerup::kMilkRespawnSeconds;
            break;
        case POWERUP_KIND_UMBRELLA:
            std::cout << "Umbrella time!" << std::endl;
            powerup->respawnTimer = CPowerup::kUmbrellaRespawnSeconds;
            powerup->player->umbrellaTime = CPowerup::kUmbrellaSeconds;
            break;
        default:
            // Left available: it reports again whenever it is touched.
            std::cerr << "ERROR: Unknown powerup type!" << std::endl;
            break;
    }
}

void OnPowerupTouched(CPowerup& powerup) {
    if (powerup.respawnTimer <= 0.0f) OnPowerupHit(&powerup);
}

void AnimatePowerup(CPowerup& powerup, float frameTime) {
    // The spin turns the model only; the ghost stays as it was placed.
    powerup.object->transform = Rotate(powerup.object->transform, CPowerup::kSpinSpeed * frameTime, kAxisY);
    powerup.respawnTimer = std::clamp(powerup.respawnTimer - frameTime, 0.0f, CPowerup::kUmbrellaRespawnSeconds);
}
