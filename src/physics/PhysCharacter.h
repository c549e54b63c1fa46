#pragma once
// The player's character as the play state sees it: walk, jump, ask about the ground.

#include "math/Matrix.h"

class CPhysCharacter {
public:
    virtual ~CPhysCharacter() = default;
    // Walking velocity in units per second; it holds for one second after the last call.
    virtual void SetWalkVelocity(const Vec3& velocity) = 0;
    virtual bool OnGround() = 0;
    // Starts a jump; ignored unless the character can jump.
    virtual void Jump() = 0;
    virtual bool CanJump() = 0;
};
