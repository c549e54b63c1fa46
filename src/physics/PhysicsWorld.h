#pragma once
// The physics library's world for one loaded level: static level meshes, movable bodies, the
// player's push box and character, trigger and power-up ghosts, rays for the sun test. After
// every internal sub-step it reports trigger enter/leave and power-up touches.
//
// Collision filter (group / mask; a pair meets only if each group is in the other's mask):
//   static level mesh      2 / 5    character, dynamic bodies
//   dynamic body           4 / 23   character, static meshes, dynamic bodies, active push box
//   push box (player)     16 / 12   dynamic bodies (only while active: 8 otherwise), ghosts
//   trigger, power-up      8 / 16   the push box only
//   character ghost        1 / 6    static meshes, dynamic bodies
//   sun ray                1 / all  static meshes, dynamic bodies

#include <functional>
#include <memory>

#include "math/Matrix.h"
#include "physics/DebugLines.h"

class btDiscreteDynamicsWorld;
class CSceneObject;
class CSceneTrigger;
class CPlayerObject;
class CPhysCharacter;
class CPhysDebugDrawer;
struct CPhysicsWorldState;

class CPhysicsWorld {
public:
    // Half the edge of the cube the broadphase covers; nothing is added outside it.
    static constexpr float kWorldBound = 2000.0f;
    static constexpr float kFixedSubStep = 1.0f / 60.0f;
    static constexpr int kMaxSubSteps = 7;

    CPhysicsWorld();
    // Destroys the world if Destroy has not run.
    ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // Builds an empty world (a world already built is destroyed first).
    void Init();
    // Deletes everything Init made. Records and characters should be gone by now; any left
    // are detached (with a warning) so that deleting them later is harmless.
    void Destroy();
    bool IsInitialized() const { return state != nullptr; }

    // Static triangle-mesh body for a level object, in world space (one per model).
    void AddStaticMesh(CSceneObject* object);
    // Rigid body: the model's convex hull, or a unit box resting on the object's origin.
    void AddDynamicObject(CSceneObject* object, float mass, bool convex);
    // The player's push box: kinematic, following the object, never deactivated.
    void AddKinematicObject(CSceneObject* object);
    void AddTrigger(CSceneTrigger* trigger);
    // A power-up's box ghost (half extents 1) where the object stands: `touched` runs after
    // every sub-step in which the push box touches it, power-ups in the order added. `number`
    // names it in messages.
    void AddPowerup(CSceneObject* object, int number, std::function<void()> touched);
    // Switch the push box's contact with dynamic bodies on and off.
    void ActivateBody(CSceneObject* object);
    void DeactivateBody(CSceneObject* object);
    // The player's character controller; the caller owns it and deletes it before the world.
    CPhysCharacter* CreateCharacter(CPlayerObject* player);

    // Fraction of the way from `from` to `to` at the first static mesh or dynamic body (only
    // static meshes with `staticOnly`), 1.0 when nothing is in the way.
    float RayFraction(const Vec3& from, const Vec3& to, bool staticOnly = false);
    // Advances by dt seconds in fixed sub-steps of 1/60 s, at most 7 of them; time short of a
    // whole sub-step is kept for the next call, time beyond the seventh is dropped (a machine
    // too slow for the game plays it slower rather than falling ever further behind). Returns
    // the seconds simulated, which is what the game's rules advance by.
    double Step(double dt);
    // The seconds the next Step(dt) will simulate, without stepping: the rules that run before
    // the physics in an update advance by the same time as the physics.
    double PlanStep(double dt) const;

    // Debug drawing: the library's segments go to `lines` (empty: only counted).
    void SetDebugDrawer(DebugLineSink lines, int debugMode);
    // Has the library draw the world through the debug drawer.
    void DebugDraw();

    CPhysicsWorldState* GetState() const { return state.get(); }
    btDiscreteDynamicsWorld* GetDynamicsWorld() const;
    CPhysDebugDrawer* GetDebugDrawer() const;

private:
    std::unique_ptr<CPhysicsWorldState> state;
};
