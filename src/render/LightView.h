#pragma once
// The sun's view for the shadow map: an orthographic box 200 x 200 units wide and 1000 deep,
// seen from a camera 500 units from the world origin against the sun direction.

#include "math/Matrix.h"

// How far the light camera stands from the world origin, against the sun direction.
constexpr float kLightDistance = 500.0f;

// Orthographic(-100, 100, -100, 100, 0.1, 1000): the light's projection.
Mat4 LightProjection();
// Bias * light projection: light view space to shadow-map space (x, y and depth in 0..1).
Mat4 LightNormMatrix();
// The up vector of the light camera: (0, 1, 0), unless the sun shines (nearly) straight down
// or up, where that up vector would leave the look-at without a side direction; then (0, 0, -1),
// which shows the shadow map as a plan with +x to the right and -z at the top.
Vec3 LightUpVector(const Vec3& sunDirection);
// World to light view for a sun shining along `sunDirection`. A direction of zero length or
// with non-finite components counts as straight down, so the shadow pass always has a view.
Mat4 LightViewMatrix(const Vec3& sunDirection);
