#include "scene/BuiltInMeshes.h"

#include <initializer_list>

namespace {

struct Corner {
    float x, y, z, u, v;
};

std::unique_ptr<CMesh> MakeMesh(std::initializer_list<Corner> corners, std::initializer_list<uint32_t> indices) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertexCount = static_cast<uint32_t>(corners.size());
    mesh->vertices = new Vertex[corners.size()]();
    uint32_t i = 0;
    for (const Corner& c : corners) {
        Vertex& v = mesh->vertices[i++];
        v.position[0] = c.x; v.position[1] = c.y; v.position[2] = c.z;
        v.tex[0] = c.u; v.tex[1] = c.v;
    }
    mesh->indexCount = static_cast<uint32_t>(indices.size());
    mesh->faceCount = mesh->indexCount / 3;
    mesh->indices = new uint32_t[indices.size()];
    i = 0;
    for (uint32_t index : indices) mesh->indices[i++] = index;
    return mesh;
}

}  // namespace

std::unique_ptr<CMesh> CreateCubeMesh() {
    return MakeMesh({{-0.5f, -0.5f, 0.5f, 0, 1}, {0.5f, -0.5f, 0.5f, 1, 1}, {-0.5f, 0.5f, 0.5f, 0, 0},
                     {0.5f, 0.5f, 0.5f, 1, 0}, {-0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, -0.5f, -0.5f, 1, 1},
                     {-0.5f, 0.5f, -0.5f, 0, 0}, {0.5f, 0.5f, -0.5f, 1, 0}},
                    {0, 3, 2, 0, 1, 3, 1, 7, 3, 1, 5, 7, 5, 6, 7, 5, 4, 6,
                     4, 2, 6, 4, 0, 2, 4, 5, 0, 5, 1, 0, 2, 7, 6, 2, 3, 7});
}

std::unique_ptr<CMesh> CreateSkyCubeMesh() {
    return MakeMesh({{-0.5f, -0.5f, 0.5f, 0, 0}, {0.5f, -0.5f, 0.5f, 0, 0}, {-0.5f, 0.5f, 0.5f, 0, 0},
                     {0.5f, 0.5f, 0.5f, 0, 0}, {-0.5f, -0.5f, -0.5f, 0, 0}, {0.5f, -0.5f, -0.5f, 0, 0},
                     {-0.5f, 0.5f, -0.5f, 0, 0}, {0.5f, 0.5f, -0.5f, 0, 0}},
                    {0, 2, 3, 0, 3, 1, 1, 3, 7, 1, 7, 5, 5, 7, 6, 5, 6, 4,
                     4, 6, 2, 4, 2, 0, 4, 0, 5, 5, 0, 1, 2, 6, 7, 2, 7, 3});
}

std::unique_ptr<CMesh> CreateUnitQuadMesh() {
    return MakeMesh({{-0.5f, -0.5f, 0, 0, 0}, {0.5f, -0.5f, 0, 1, 0}, {0.5f, 0.5f, 0, 1, 1}, {-0.5f, 0.5f, 0, 0, 1}},
                    {0, 1, 3, 1, 2, 3});
}

std::unique_ptr<CMesh> CreateScreenQuadMesh() {
    return MakeMesh({{-1, 1, 0, 0, 1}, {1, 1, 0, 1, 1}, {-1, -1, 0, 0, 0}, {1, -1, 0, 1, 0}}, {2, 1, 0, 2, 3, 1});
}

std::unique_ptr<CMesh> CreateGroundGridMesh() {
    const int half = 250;
    const uint32_t cells = 2u * half * 2u * half;
    auto mesh = std::make_unique<CMesh>();
    mesh->vertexCount = 4 * cells;
    mesh->faceCount = 2 * cells;
    mesh->indexCount = 6 * cells;
    mesh->vertices = new Vertex[mesh->vertexCount]();
    mesh->indices = new uint32_t[mesh->indexCount];
    uint32_t k = 0, n = 0;
    for (int x = -half; x < half; ++x) {
        for (int z = -half; z < half; ++z) {
            const float fx = static_cast<float>(x), fz = static_cast<float>(z);
            const Corner corners[4] = {{fx, 0, fz, 0, 0}, {fx + 1, 0, fz + 1, 1, 1}, {fx + 1, 0, fz, 1, 0}, {fx, 0, fz + 1, 0, 1}};
            for (int c = 0; c < 4; ++c) {
                Vertex& v = mesh->vertices[k + static_cast<uint32_t>(c)];
                v.position[0] = corners[c].x; v.position[1] = corners[c].y; v.position[2] = corners[c].z;
                v.tex[0] = corners[c].u; v.tex[1] = corners[c].v;
                v.normal[1] = 1.0f;
            }
            const uint32_t cell[6] = {k, k + 1, k + 2, k + 3, k + 1, k};
            for (uint32_t index : cell) mesh->indices[n++] = index;
            k += 4;
        }
    }
    return mesh;
}
