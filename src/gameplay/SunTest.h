#pragma once
// How much of the player stands in the sun: eight rays from points on the player's bounding box
// towards the sun, through the physics world. Each ray that something blocks shades one eighth
// of the figure. The play state turns the result into damage, the HUD's sun marker and the
// player's `sunExposure`; the kept rays are drawn by the physics debug view.
//
// The functions here take the player, the world and the light explicitly so that they run (and
// are tested) without a whole play state.

#include "math/Matrix.h"

class CPhysicsWorld;
class CPlayerObject;

// The rays of the last test: start and end points and whether something was in the way.
struct CSunRays {
    static const int kCount = 8;
    Vec3 start[kCount];
    Vec3 end[kCount];
    bool blocked[kCount] = {};
};

// Far enough to leave any level: the broadphase covers 2000 units, levels are far smaller.
constexpr float kSunRayLength = 500.0f;
// Degrees per second the keypad turns the sun.
constexpr double kSunTurnSpeed = 180.0;

// Casts the eight rays from the player's sample points against `lightDirection` (the way the
// light travels). Refreshes the player's world corners first, so the melting scale counts.
// Fills `rays` and returns how many points are shaded (0..8).
int CastSunRays(CPlayerObject& player, CPhysicsWorld& world, const Vec3& lightDirection, CSunRays& rays);

// The sun value for a number of shaded points: 1 in full sun, 0 in full shade, in eighths.
// Without light damage, or while an umbrella protects the player, it is 0 whatever the shade.
float SunValueFromShade(int shadedPoints, bool lightDamage, float umbrellaTime);

// The keypad keys that turn the sun, for testing levels under other light.
struct SunKeys {
    bool turnXDown = false;  // keypad 4: about world X by -180 degrees per second
    bool turnXUp = false;    // keypad 6: about world X by +180 degrees per second
    bool turnYLeft = false;  // keypad 8: about world Y by +180 degrees per second
    bool turnYRight = false; // keypad 2: about world Y by -180 degrees per second
    bool reset = false;      // keypad 5: straight down
};

// Reads the keypad state from the window library (held keys act every update).
SunKeys ReadSunKeys();

// The light direction after one update with these keys held; the keys act in the order above
// and the result is normalised again.
Vec3 TurnSunDirection(const Vec3& direction, const SunKeys& keys, double dt);
