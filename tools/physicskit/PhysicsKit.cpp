#include "PhysicsKit.h"

#include <algorithm>

std::unique_ptr<CMesh> MakeMesh(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertexCount = static_cast<uint32_t>(positions.size());
    mesh->vertices = new Vertex[positions.size()]();
    for (size_t i = 0; i < positions.size(); ++i) {
        mesh->vertices[i].position[0] = positions[i].x;
        mesh->vertices[i].position[1] = positions[i].y;
        mesh->vertices[i].position[2] = positions[i].z;
    }
    mesh->indexCount = static_cast<uint32_t>(indices.size());
    mesh->faceCount = mesh->indexCount / 3;
    mesh->indices = new uint32_t[indices.size()];
    std::copy(indices.begin(), indices.end(), mesh->indices);
    return mesh;
}

std::unique_ptr<CMesh> MakeBoxMesh(const Vec3& a, const Vec3& b) {
    std::vector<Vec3> p;
    for (int i = 0; i < 8; ++i) p.emplace_back(i & 1 ? b.x : a.x, i & 2 ? b.y : a.y, i & 4 ? b.z : a.z);
    // Outward-facing triangles of the six faces (corner index bits: x, y, z).
    const std::vector<uint32_t> faces = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                         2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return MakeMesh(p, faces);
}

Mat4 Translation(const Vec3& t) {
    Mat4 m;
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
    return m;
}

PhysicsScene::PhysicsScene() { world.Init(); }

PhysicsScene::~PhysicsScene() {
    objects.clear();
    meshes.clear();
    world.Destroy();
}

CMesh* PhysicsScene::AddMesh(std::unique_ptr<CMesh> mesh) {
    meshes.push_back(std::move(mesh));
    return meshes.back().get();
}

CSceneGeoObject* PhysicsScene::AddObject(CMesh* mesh, const Mat4& transform, const std::string& name) {
    return Keep(new CSceneGeoObject({mesh}, transform, name, Vec3(0.0f, 0.0f, 0.0f)));
}

void PhysicsScene::Delete(CSceneObject* object) {
    auto found = std::find_if(objects.begin(), objects.end(), [&](auto& o) { return o.get() == object; });
    if (found != objects.end()) objects.erase(found);
}

CSceneGeoObject* PhysicsScene::AddFloor(float half) {
    CMesh* mesh = AddMesh(MakeBoxMesh(Vec3(-half, -1.0f, -half), Vec3(half, 0.0f, half)));
    CSceneGeoObject* floor = AddObject(mesh, Mat4(), "floor");
    world.AddStaticMesh(floor);
    return floor;
}

void PhysicsScene::Run(int steps) {
    for (int i = 0; i < steps; ++i) world.Step(1.0 / 60.0);
}
