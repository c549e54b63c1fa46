#pragma once
// Turning imported Collada scenes into scene objects and meshes. The model manager builds its
// model trees with these, and the level loader builds level geometry with the same functions,
// so both read node names, transforms, meshes and materials the same way.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/Mesh.h"

struct aiMaterial;
struct aiMesh;
struct aiNode;
struct aiScene;
namespace Assimp {
class Importer;
}
class CSceneObject;

// Reads a Collada file with the given post-processing flags. Nodes are named as the designer
// wrote them (the `name` attribute, which may hold '.'), not after their XML ids. Returns null
// on failure, with the reason in `error` (when given). Files whose elements nest deeper than
// kMaxColladaNesting are refused before the importer sees them: its parser recurses once per
// level and overflows the stack a few thousand levels down. So are files with a data accessor
// that reaches past the end of the array it reads (the importer trusts it and reads on, or
// through a null pointer for an empty array). The scene lives as long as the importer.
const int kMaxColladaNesting = 4096;
const aiScene* ImportCollada(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                             std::string* error = nullptr);

// One scene object for one imported node, with the node's own (parent-relative) transform:
// a CSceneGeoObject carrying a fresh mesh for every mesh of the node (a mesh shared by two
// nodes is converted twice), or a plain CSceneObject when the node has none. Meshes without a
// single triangle are left out with a warning. The caller owns the object and its meshes.
std::unique_ptr<CSceneObject> CreateNodeObject(const aiNode* node, const aiScene* scene);

// The node's meshes as fresh records the caller owns; materials only when `withMaterials`
// (geometry that is never drawn needs none). Meshes the node names but the file lacks, and
// meshes without a single triangle, are left out with a warning.
std::vector<CMesh*> CreateNodeMeshes(const aiNode* node, const aiScene* scene, bool withMaterials);

// Copies positions, normals, tangents, bitangents and texture channel 0 (whatever the mesh
// lacks stays zero) and three indices per triangle. Faces that are not triangles or that name
// a vertex the mesh does not have are dropped, so `faceCount` counts the triangles kept.
// The material keeps its defaults; fill it with ReadMaterial.
std::unique_ptr<CMesh> CreateMesh(const aiMesh* mesh);

// Colours, shininess and texture file names of a Phong (or Blinn, treated as Phong) material.
// Any other shading model keeps the defaults, with a warning. Texture pointers stay null: the
// game resolves the names through the texture manager.
void ReadMaterial(const aiMaterial* material, CMaterial& out);

// The text after the last '\', or, without one, after the last '/'; the whole path otherwise.
std::string FileNameOf(const std::string& path);
