#pragma once
// Small worlds for the physics tests and the physics benchmark: meshes built in memory, scene
// objects around them, and a fixture that tears everything down in the order the game does
// (objects, meshes, world).

#include <memory>
#include <string>
#include <vector>

#include "physics/PhysicsWorld.h"
#include "math/Matrix.h"
#include "scene/Mesh.h"
#include "scene/PlayerObject.h"
#include "scene/SceneGeoObject.h"

// A box mesh between two corners (12 triangles, 8 vertices).
std::unique_ptr<CMesh> MakeBoxMesh(const Vec3& min, const Vec3& max);
// A mesh from explicit positions and indices.
std::unique_ptr<CMesh> MakeMesh(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices);
// A translation matrix.
Mat4 Translation(const Vec3& t);

class PhysicsScene {
public:
    PhysicsScene();
    ~PhysicsScene();

    CMesh* AddMesh(std::unique_ptr<CMesh> mesh);
    // A geometry object with one mesh, owned by the scene.
    CSceneGeoObject* AddObject(CMesh* mesh, const Mat4& transform, const std::string& name);
    template <class T>
    T* Keep(T* object) {
        objects.emplace_back(object);
        return object;
    }
    // Deletes one object early (its physics record goes with it).
    void Delete(CSceneObject* object);

    // Flat static floor: a thin box from (-half, -1, -half) to (half, 0, half).
    CSceneGeoObject* AddFloor(float half = 50.0f);
    // Fixed steps of 1/60 s.
    void Run(int steps);

    CPhysicsWorld world;
    std::vector<std::unique_ptr<CMesh>> meshes;
    std::vector<std::unique_ptr<CSceneObject>> objects;
};
