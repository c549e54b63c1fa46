#pragma once
// Writes small Collada 1.4.1 documents for import tests: nodes with matrices and optional
// meshes, meshes with optional normals and texture coordinates, and materials of any common
// shading model with optional textures. Y is up, one unit per metre.

#include <string>
#include <vector>

namespace testsupport {

struct ColladaMaterial {
    std::string id;             // also the material's name
    std::string shading = "phong";  // "phong", "blinn", "lambert" or "constant"
    float diffuse[3] = {0.5f, 0.5f, 0.5f};
    float ambient[3] = {0.1f, 0.1f, 0.1f};
    float specular[3] = {0.2f, 0.2f, 0.2f};
    float shininess = 16.0f;
    std::string diffuseTexture;   // written as the image path, exactly as given
    std::string specularTexture;
    std::string bumpTexture;      // as the FCOLLADA <bump> of the effect, like common exporters
};

struct ColladaMesh {
    std::string id;
    std::vector<float> positions;  // x y z per vertex
    std::vector<float> normals;    // empty or one per vertex
    std::vector<float> uvs;        // empty or one (s, t) per vertex
    std::vector<unsigned> indices; // one index into all arrays per corner
    std::string primitive = "triangles";  // or "lines"
    std::string material;          // id of a ColladaMaterial, or empty
};

struct ColladaNode {
    std::string id;
    std::string name;
    // Row-major, as Collada writes it.
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::string mesh;  // id of a ColladaMesh, or empty
    std::vector<ColladaNode> children;
};

// A node named (and with the id) `name`, showing mesh `mesh` (none when empty), moved to x, y, z.
ColladaNode Node(const std::string& name, const std::string& mesh = "", float x = 0, float y = 0, float z = 0);

struct ColladaDocument {
    std::vector<ColladaMaterial> materials;
    std::vector<ColladaMesh> meshes;
    std::vector<ColladaNode> roots;

    std::string Write() const;
};

// A unit cube (8 corners, 12 triangles) with normals and texture coordinates when asked for.
ColladaMesh CubeMesh(const std::string& id, const std::string& material, bool withNormals, bool withUvs);
// A node of `depth` levels, each the only child of the one above, with a cube at the bottom.
ColladaNode NodeChain(int depth, const std::string& meshId);

}  // namespace testsupport
