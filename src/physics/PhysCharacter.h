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
    // How much of the figure is left, from 0 (melted) to 1 (whole): its collision shape and
    // height follow from it at the next sub-step. A new character starts whole.
    virtual void SetLife(float life) = 0;
};
