// Shipped models through the game's import, and the level conventions the level checker
// (tests/levelcheck) does not look at, through the game's own level reader.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scene/Level.h"
#include "scene/LevelLoader.h"
#include "scene/LevelNames.h"
#include "scene/ModelImport.h"
#include "scene/ModelLoader.h"

namespace {

constexpr unsigned kPlayerFlags = CModelLoader::kPlayerFlags;
constexpr unsigned kModelFlags = CModelLoader::kModelFlags;
constexpr int kLevelCount = 5;

// One imported file with its importer kept alive.
struct Imported {
  Imported(const std::string& path, unsigned flags) : scene(ImportCollada(importer, path, flags)) {}
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
};

std::vector<const aiNode*> Flatten(const aiNode* n) {
  std::vector<const aiNode*> out{n};
  for (unsigned i = 0; i < n->mNumChildren; ++i) {
    const std::vector<const aiNode*> below = Flatten(n->mChildren[i]);
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

// Every texture file name a scene's materials refer to (diffuse, specular, normals, height).
std::set<std::string> TextureNames(const aiScene* scene) {
  std::set<std::string> names;
  for (unsigned m = 0; m < scene->mNumMaterials; ++m)
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_NORMALS, aiTextureType_HEIGHT})
      for (unsigned i = 0; i < scene->mMaterials[m]->GetTextureCount(type); ++i) {
        aiString path;
        if (scene->mMaterials[m]->GetTexture(type, i, &path) == AI_SUCCESS) names.insert(FileNameOf(path.C_Str()));
      }
  return names;
}

// Bounds of every vertex below a node, in the node's parent space, skipping named subtrees.
void ExtendBounds(const aiScene* scene, const aiNode* n, const aiMatrix4x4& parent, const std::set<std::string>& skip,
                  aiVector3D& lo, aiVector3D& hi) {
  if (skip.count(n->mName.C_Str())) return;
  aiMatrix4x4 m = parent * n->mTransformation;
  for (unsigned i = 0; i < n->mNumMeshes; ++i) {
    const aiMesh* mesh = scene->mMeshes[n->mMeshes[i]];
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      aiVector3D p = m * mesh->mVertices[v];
      lo.x = std::min(lo.x, p.x); lo.y = std::min(lo.y, p.y); lo.z = std::min(lo.z, p.z);
      hi.x = std::max(hi.x, p.x); hi.y = std::max(hi.y, p.y); hi.z = std::max(hi.z, p.z);
    }
  }
  for (unsigned c = 0; c < n->mNumChildren; ++c) ExtendBounds(scene, n->mChildren[c], m, skip, lo, hi);
}

void SceneBounds(const aiScene* scene, const std::set<std::string>& skip, aiVector3D& lo, aiVector3D& hi) {
  lo = aiVector3D(1e30f, 1e30f, 1e30f);
  hi = aiVector3D(-1e30f, -1e30f, -1e30f);
  ExtendBounds(scene, scene->mRootNode, aiMatrix4x4(), skip, lo, hi);
}

bool IsRigid(const aiMatrix4x4& m, float tol = 1e-3f) {
  aiVector3D c0(m.a1, m.b1, m.c1), c1(m.a2, m.b2, m.c2), c2(m.a3, m.b3, m.c3);
  return std::fabs(c0.Length() - 1) < tol && std::fabs(c1.Length() - 1) < tol && std::fabs(c2.Length() - 1) < tol &&
         std::fabs(c0 * c1) < tol && std::fabs(c1 * c2) < tol && std::fabs(c0 * c2) < tol;
}

// ------------------------------------------------------------------ models

const char* const kLimbs[] = {"RightHand", "LeftHand", "RightLeg", "LeftLeg", "umbrella"};

// The game swings the limbs about their nodes' own X axes and spins the umbrella about its
// own Z, and draws the figure at scale 0.02 on its character's cylinder.
TEST(Models, PlayerHasTheLimbsTheGameMovesAndStandsOnItsCylinder) {
  Imported m("resources/models/schoko.dae", kPlayerFlags);
  ASSERT_NE(m.scene, nullptr) << m.importer.GetErrorString();
  std::map<std::string, int> count;
  for (const aiNode* node : Flatten(m.scene->mRootNode)) {
    const aiMatrix4x4& t = node->mTransformation;
    const std::string name = node->mName.C_Str();
    if (std::find(std::begin(kLimbs), std::end(kLimbs), name) == std::end(kLimbs)) continue;
    ++count[name];
    EXPECT_GT(node->mNumMeshes, 0u) << name << " has no geometry";
    EXPECT_TRUE(IsRigid(t)) << name;
    if (name == "umbrella") {
      EXPECT_NEAR(t.b3, 1.0f, 1e-3f) << "the umbrella's spin axis must point up";
      continue;
    }
    // A swing about the model's X (left-right) moves the limb forwards and back; the joint sits
    // in the upper body or at the hips, and right limbs lie on the figure's right (+X).
    EXPECT_NEAR(t.a1, 1.0f, 1e-4f) << name;
    EXPECT_NEAR(t.b1, 0.0f, 1e-4f) << name;
    EXPECT_NEAR(t.c1, 0.0f, 1e-4f) << name;
    EXPECT_GT(t.b4, 60.0f) << name;
    EXPECT_EQ(t.a4 > 0.0f, StartsWith(name, "Right")) << name;
  }
  for (const char* limb : kLimbs) EXPECT_EQ(count[limb], 1) << "node " << limb;
  // The collision cylinder spans model heights 10 to 190; the sun probes sit at its corners, so
  // a figure much wider would burn in shade that covers the cylinder.
  aiVector3D lo, hi;
  SceneBounds(m.scene, {"umbrella"}, lo, hi);
  EXPECT_NEAR(lo.y, 10.0f, 0.5f);
  EXPECT_GT(hi.y, 170.0f);
  EXPECT_LT(hi.y, 195.0f);
  EXPECT_LT(std::max({-lo.x, hi.x, -lo.z, hi.z}) * 0.02f, 1.0f);
}

TEST(Models, PowerupsFitTheirPickUpBoxAndNameNoPlayerLimb) {
  for (const char* file : {"resources/models/milk.dae", "resources/models/umbrella.dae"}) {
    Imported m(file, kModelFlags);
    ASSERT_NE(m.scene, nullptr) << file << ": " << m.importer.GetErrorString();
    aiVector3D lo, hi;
    SceneBounds(m.scene, {}, lo, hi);
    // The pick-up ghost is a 2 x 2 x 2 box around the model's origin.
    EXPECT_GE(std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z}), 1.0f) << file;
    EXPECT_LT(std::max({std::fabs(lo.x), std::fabs(lo.y), std::fabs(lo.z), hi.x, hi.y, hi.z}), 1.25f) << file;
    // The model loader matches limb names in every model loaded after the player: such a node
    // would steal the player's limb.
    for (const aiNode* node : Flatten(m.scene->mRootNode))
      for (const char* limb : kLimbs) EXPECT_STRNE(node->mName.C_Str(), limb) << file;
  }
}

TEST(Models, EveryTextureAModelNamesExists) {
  for (const auto& f : std::vector<std::pair<std::string, unsigned>>{{"resources/models/schoko.dae", kPlayerFlags},
                                                                      {"resources/models/milk.dae", kModelFlags},
                                                                      {"resources/models/umbrella.dae", kModelFlags}}) {
    Imported m(f.first, f.second);
    ASSERT_NE(m.scene, nullptr) << f.first;
    for (const auto& t : TextureNames(m.scene))
      EXPECT_TRUE(std::filesystem::exists("resources/textures/" + t)) << t << " of " << f.first;
  }
}

// ------------------------------------------------------------------ levels

// What the physics and the drawing take from a level's nodes, over all shipped levels, through
// the game's own reader (the level checker covers the rest).
TEST(Levels, CratesFitTheirBodiesNormalMappedWallsHaveTangentsAndTheSunShinesDown) {
  for (int n = 1; n <= kLevelCount; ++n) {
    const std::string path = "resources/levels/level" + std::to_string(n) + ".dae";
    std::string error;
    std::vector<LevelNodeReport> nodes;
    const std::unique_ptr<CLevel> level = ReadLevelFile(path, "level" + std::to_string(n) + ".dae", error, &nodes);
    ASSERT_NE(level, nullptr) << path << ": " << error;
    EXPECT_LT(level->sunDirection.y, -0.2f) << path << ": the light must come from above";
    for (const LevelNodeReport& node : nodes) {
      if (!node.object) continue;
      SCOPED_TRACE(path + ": " + node.name);
      if (node.role == LevelNodeRole::NormalMapped) {
        const CMesh* mesh = node.object->meshes[0];
        EXPECT_NE(mesh->material.normalName.find("_normal"), std::string::npos);
        float tangents = 0.0f, tex = 0.0f;
        for (uint32_t v = 0; v < mesh->vertexCount; ++v)
          for (int c = 0; c < 3; ++c) {
            tangents += std::fabs(mesh->vertices[v].tangent[c]);
            tex += c < 2 ? std::fabs(mesh->vertices[v].tex[c]) : 0.0f;
          }
        EXPECT_GT(tangents, 0.0f);
        EXPECT_GT(tex, 0.0f);
      }
      if (node.role != LevelNodeRole::Dynamic) continue;
      // The physics reads the node's basis as the body's rotation.
      const Mat4& w = node.world;
      const Vec3 axes[3] = {Vec3(w[0], w[1], w[2]), Vec3(w[4], w[5], w[6]), Vec3(w[8], w[9], w[10])};
      for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(Length(axes[a]), 1.0f, 1e-3f);
        EXPECT_NEAR(Dot(axes[a], axes[(a + 1) % 3]), 0.0f, 1e-3f);
      }
      if (ReadConvexProperty(node.object->properties)) continue;
      // A box body is a unit cube centred 0.5 along the node's local Z.
      for (const CMesh* mesh : node.object->meshes)
        for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
          const float* p = mesh->vertices[v].position;
          EXPECT_TRUE(std::fabs(p[0]) <= 0.501f && std::fabs(p[1]) <= 0.501f && p[2] >= -1e-3f && p[2] <= 1.001f)
              << "vertex " << v;
        }
    }
  }
}

}  // namespace
