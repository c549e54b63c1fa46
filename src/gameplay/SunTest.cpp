#include "gameplay/SunTest.h"

#include <cmath>

#include "gameplay/PlayState.h"
#include "physics/PhysicsWorld.h"
#include "platform/WindowLibrary.h"
#include "scene/PlayerObject.h"

int CastSunRays(CPlayerObject& player, CPhysicsWorld& world, const Vec3& lightDirection, CSunRays& rays) {
    player.UpdateWorldCorners();
    // A healthy figure is probed half a unit inside its box top and bottom, so that the ground it
    // stands on and a ceiling it brushes do not count as shade; a melted one at the bare corners.
    const float life = player.life;
    const Vec3 towardsSun = lightDirection * -kSunRayLength;
    int shaded = 0;
    for (int i = 0; i < CSunRays::kCount; ++i) {
        const Vec3 from = player.worldCorners[i] + player.sunProbeOffsets[i] * life;
        const Vec3 to = from + towardsSun;
        rays.start[i] = from;
        rays.end[i] = to;
        rays.blocked[i] = world.RayFraction(from, to) < 1.0f;
        if (rays.blocked[i]) ++shaded;
    }
    return shaded;
}

float SunValueFromShade(int shadedPoints, bool lightDamage, float umbrellaTime) {
    if (!lightDamage || umbrellaTime > 0.0f) return 0.0f;
    return 1.0f - static_cast<float>(shadedPoints) * 0.125f;
}

SunKeys ReadSunKeys() {
    SunKeys keys;
    keys.turnXDown = wl::GetKey(wl::KEY_KP_4) == wl::PRESS;
    keys.turnXUp = wl::GetKey(wl::KEY_KP_6) == wl::PRESS;
    keys.turnYLeft = wl::GetKey(wl::KEY_KP_8) == wl::PRESS;
    keys.turnYRight = wl::GetKey(wl::KEY_KP_2) == wl::PRESS;
    keys.reset = wl::GetKey(wl::KEY_KP_5) == wl::PRESS;
    return keys;
}

namespace {

Vec3 AboutX(const Vec3& v, double degrees) {
    const double a = degrees * 0.017453292519943295;
    const double c = std::cos(a), s = std::sin(a);
    return {v.x, static_cast<float>(c * v.y - s * v.z), static_cast<float>(s * v.y + c * v.z)};
}

Vec3 AboutY(const Vec3& v, double degrees) {
    const double a = degrees * 0.017453292519943295;
    const double c = std::cos(a), s = std::sin(a);
    return {static_cast<float>(c * v.x + s * v.z), v.y, static_cast<float>(c * v.z - s * v.x)};
}

}  // namespace

Vec3 TurnSunDirection(const Vec3& direction, const SunKeys& keys, double dt) {
    const double step = dt * kSunTurnSpeed;
    Vec3 d = direction;
    if (keys.turnXDown) d = Normalize(AboutX(d, -step));
    if (keys.turnXUp) d = Normalize(AboutX(d, step));
    if (keys.turnYLeft) d = Normalize(AboutY(d, step));
    if (keys.turnYRight) d = Normalize(AboutY(d, -step));
    if (keys.reset) d = Vec3(0.0f, -1.0f, 0.0f);
    return d;
}

float CPlayState::ComputeSunValue() {
    // Without a world there is nothing to test against; no level is running then.
    if (!player || !level.physicsWorld) return 0.0f;
    const int shaded = CastSunRays(*player, *level.physicsWorld, sky.light.direction, sky.sunRays);
    return SunValueFromShade(shaded, debug.lightDamage, player->umbrellaTime);
}

void CPlayState::UpdateSunDirectionKeys(double frameTime) {
    sky.light.direction = TurnSunDirection(sky.light.direction, ReadSunKeys(), frameTime);
}
