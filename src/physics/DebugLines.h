#pragma once
// Where the physics world's debug drawing goes: one coloured segment at a time, drawn by whoever
// set it (the play state hands on the renderer's line drawing), so physics draws nothing itself.

#include <functional>

#include "math/Matrix.h"

// Draws one segment, coloured from one end to the other.
using DebugLineSink =
    std::function<void(const Vec3& from, const Vec3& to, const Vec3& fromColor, const Vec3& toColor)>;
