#pragma once
// Imports model files from resources/models into scene object trees. The loader keeps the
// player it built, so the limb and umbrella nodes of the player model are found by name.

#include <memory>
#include <string>

struct aiNode;
struct aiScene;
class CSceneObject;
class CPlayerObject;

// A model tree owns the meshes of its geometry nodes (scene objects never own meshes): this
// deleter frees them together with the tree. Clones of a model root share the model's
// meshes and children and are deleted plainly.
struct ModelTreeDeleter {
    void operator()(CSceneObject* root) const;
};
template <class T>
using ModelTreePtr = std::unique_ptr<T, ModelTreeDeleter>;

class CModelLoader {
public:
    // Post-processing of power-up models and of the player: tangents, shared vertices,
    // triangles, cache order, invalid data removed, texture coordinates generated and
    // transformed; models are also merged into as few meshes and nodes as possible, which the
    // player cannot afford (its limbs must stay separate nodes).
    static const unsigned int kModelFlags = 0x6E080B;
    static const unsigned int kPlayerFlags = 0xE080B;
    // Node trees deeper than this are cut there (with a warning): every walk over a tree
    // (bounds, upload, drawing, deletion) recurses once per level.
    static const int kMaxNodeDepth = 256;

    // A new tree: a root (identity, no name) whose child is the file's root node. Null, with
    // the importer's reason, when the file cannot be imported.
    ModelTreePtr<CSceneObject> LoadModel(const std::string& fileName);
    // As LoadModel, with a CPlayerObject as the root and the player's flags.
    ModelTreePtr<CPlayerObject> LoadPlayer(const std::string& fileName);
    // Appends the node's object to `parent` and recurses into its children. While the loader
    // holds a player, nodes named "RightHand", "LeftHand", "RightLeg", "LeftLeg" become its
    // limbs and "umbrella" its (hidden) umbrella, in whichever model they appear.
    void ProcessNode(const aiNode* node, CSceneObject* parent, const aiScene* scene);

    CPlayerObject* Player() const { return player; }

private:
    bool Import(const std::string& fileName, unsigned int flags, CSceneObject* root);
    void ProcessNode(const aiNode* node, CSceneObject* parent, const aiScene* scene, int depth);

    CPlayerObject* player = nullptr;    // not owned: the model manager owns the player
    CSceneObject* lastRoot = nullptr;   // not owned; the root of the last model loaded
    bool depthWarned = false;           // one warning per import
};
