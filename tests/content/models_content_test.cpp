// Shipped models through the game's import, and the level conventions the level checker
// (tests/levelcheck) does not look at, through the game's own level reader.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
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

std::string LevelPath(int n) { return "resources/levels/level" + std::to_string(n) + ".dae"; }

bool FileExists(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return f.good();
}

// One imported file with its importer kept alive.
struct Imported {
  Assimp::Importer importer;
  const aiScene* scene = nullptr;
};

void ImportModel(Imported& out, const std::string& path, unsigned flags) {
  out.scene = ImportCollada(out.importer, path, flags);
}

struct NodeInfo {
  const aiNode* node;
  aiMatrix4x4 world;
  std::string name;
};

std::vector<NodeInfo> Flatten(const aiScene* scene) {
  std::vector<NodeInfo> out;
  std::function<void(const aiNode*, const aiMatrix4x4&)> walk = [&](const aiNode* n, const aiMatrix4x4& parent) {
    aiMatrix4x4 world = parent * n->mTransformation;
    out.push_back({n, world, n->mName.C_Str()});
    for (unsigned i = 0; i < n->mNumChildren; ++i) walk(n->mChildren[i], world);
  };
  walk(scene->mRootNode, aiMatrix4x4());
  return out;
}

// Every texture file name a scene's materials refer to (diffuse, specular, normals, height).
std::set<std::string> TextureNames(const aiScene* scene) {
  std::set<std::string> names;
  for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_NORMALS, aiTextureType_HEIGHT}) {
      for (unsigned i = 0; i < scene->mMaterials[m]->GetTextureCount(type); ++i) {
        aiString path;
        if (scene->mMaterials[m]->GetTexture(type, i, &path) == AI_SUCCESS) names.insert(FileNameOf(path.C_Str()));
      }
    }
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

TEST(PlayerModel, ImportsWithThePlayerFlagsAndKeepsItsFiveNamedNodes) {
  Imported m;
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags);
  ASSERT_NE(m.scene, nullptr) << m.importer.GetErrorString();
  std::vector<NodeInfo> nodes = Flatten(m.scene);
  for (const char* limb : kLimbs) {
    int count = 0;
    for (const auto& n : nodes) {
      if (n.name != limb) continue;
      ++count;
      EXPECT_GT(n.node->mNumMeshes, 0u) << limb << " has no geometry";
      // The game swings limbs (and spins the umbrella) about the node's own axes:
      // the node must be a pure rotation plus translation.
      EXPECT_TRUE(IsRigid(n.node->mTransformation)) << limb;
    }
    EXPECT_EQ(count, 1) << "node " << limb;
  }
}

TEST(PlayerModel, LimbsSwingAboutTheModelsSideAxisAndTheUmbrellaSpinsUpright) {
  Imported m;
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags);
  ASSERT_NE(m.scene, nullptr) << m.importer.GetErrorString();
  for (const auto& n : Flatten(m.scene)) {
    const aiMatrix4x4& t = n.node->mTransformation;
    if (n.name == "RightHand" || n.name == "LeftHand" || n.name == "RightLeg" || n.name == "LeftLeg") {
      // local X is the model's X (left-right), so a swing about it moves the limb forwards and back
      EXPECT_NEAR(t.a1, 1.0f, 1e-4f) << n.name;
      EXPECT_NEAR(t.b1, 0.0f, 1e-4f) << n.name;
      EXPECT_NEAR(t.c1, 0.0f, 1e-4f) << n.name;
      // the joint sits in the upper body or at the hips, not at the feet
      EXPECT_GT(t.b4, 60.0f) << n.name;
    }
    if (n.name == "umbrella") {
      // the game turns the umbrella about its local Z axis: that axis must point up
      EXPECT_NEAR(t.b3, 1.0f, 1e-3f);
    }
  }
  // right limbs on the figure's right (+X, the figure faces -Z), left limbs on the left
  std::map<std::string, float> x;
  for (const auto& n : Flatten(m.scene)) x[n.name] = n.node->mTransformation.a4;
  EXPECT_GT(x["RightHand"], 0.0f);
  EXPECT_LT(x["LeftHand"], 0.0f);
  EXPECT_GT(x["RightLeg"], 0.0f);
  EXPECT_LT(x["LeftLeg"], 0.0f);
}

TEST(PlayerModel, StandsOnTheCharactersCylinderBottomAndMatchesItsHeight) {
  Imported m;
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags);
  ASSERT_NE(m.scene, nullptr) << m.importer.GetErrorString();
  aiVector3D lo, hi;
  SceneBounds(m.scene, {"umbrella"}, lo, hi);
  // Drawn at scale 0.02, the collision cylinder (centre 2.0, half height 1.8 above the
  // player's origin) spans model heights 10 to 190: the feet belong at 10.
  EXPECT_NEAR(lo.y, 10.0f, 0.5f);
  EXPECT_GT(hi.y, 170.0f);
  EXPECT_LT(hi.y, 195.0f);
  // the sun probes sit at the box corners: a figure much wider than the cylinder would
  // be sunburnt in shade that covers the cylinder
  EXPECT_LT(std::max(-lo.x, hi.x) * 0.02f, 1.0f);
  EXPECT_LT(std::max(-lo.z, hi.z) * 0.02f, 1.0f);
}

TEST(PowerupModels, ImportWithTheModelFlagsAtAPickUpFriendlySize) {
  for (const char* file : {"resources/models/milk.dae", "resources/models/umbrella.dae"}) {
    Imported m;
    ImportModel(m, file, kModelFlags);
    ASSERT_NE(m.scene, nullptr) << file << ": " << m.importer.GetErrorString();
    EXPECT_GT(m.scene->mNumMeshes, 0u) << file;
    aiVector3D lo, hi;
    SceneBounds(m.scene, {}, lo, hi);
    float extent = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
    // the pick-up ghost is a 2 x 2 x 2 box around the model's origin
    EXPECT_GE(extent, 1.0f) << file;
    EXPECT_LE(extent, 2.0f) << file;
    EXPECT_LT(std::max({std::fabs(lo.x), std::fabs(lo.y), std::fabs(lo.z), hi.x, hi.y, hi.z}), 1.25f) << file;
  }
}

TEST(PowerupModels, HaveNoNodeNamedLikeAPlayerLimb) {
  // The model loader keeps its player and matches limb names in every model loaded
  // after it: such a node would steal the player's limb.
  for (const char* file : {"resources/models/milk.dae", "resources/models/umbrella.dae"}) {
    Imported m;
    ImportModel(m, file, kModelFlags);
    ASSERT_NE(m.scene, nullptr) << file;
    for (const auto& n : Flatten(m.scene))
      for (const char* limb : kLimbs) EXPECT_NE(n.name, limb) << file;
  }
}

TEST(ModelTextures, EveryTextureAModelNamesExists) {
  std::set<std::string> missing;
  for (const auto& f : std::vector<std::pair<std::string, unsigned>>{{"resources/models/schoko.dae", kPlayerFlags},
                                                                      {"resources/models/milk.dae", kModelFlags},
                                                                      {"resources/models/umbrella.dae", kModelFlags}}) {
    Imported m;
    ImportModel(m, f.first, f.second);
    ASSERT_NE(m.scene, nullptr) << f.first;
    for (const auto& t : TextureNames(m.scene))
      if (!FileExists("resources/textures/" + t)) missing.insert(t + " (" + f.first + ")");
  }
  std::string list;
  for (const auto& m : missing) list += "\n  " + m;
  EXPECT_TRUE(missing.empty()) << "missing in resources/textures:" << list;
}

// ------------------------------------------------------------------ levels

// A shipped level as the game reads it, with what the reader made of each node.
struct ReadLevel {
  explicit ReadLevel(int n) : path(LevelPath(n)) {
    std::string error;
    level = ReadLevelFile(path, "level" + std::to_string(n) + ".dae", error, &nodes);
    EXPECT_NE(level, nullptr) << path << ": " << error;
  }
  std::string path;
  std::vector<LevelNodeReport> nodes;
  std::unique_ptr<CLevel> level;
};

bool Solid(const LevelNodeReport& node) {
  return node.object && (node.role == LevelNodeRole::Dynamic || node.role == LevelNodeRole::NormalMapped ||
                         (node.role == LevelNodeRole::Static && node.object->clipMode != 1));
}

// The level conventions the checker does not look at, each over all shipped levels; a failure
// names the level and the node.
TEST(Levels, StartStandsOnAFloorAndSolidObjectsCollideWithTheirOneMesh) {
  for (int n = 1; n <= kLevelCount; ++n) {
    ReadLevel lv(n);
    ASSERT_NE(lv.level, nullptr);
    const Vec3 start = lv.level->startPosition;
    bool floor = false;
    for (const LevelNodeReport& node : lv.nodes) {
      if (!Solid(node)) continue;
      // Only the first mesh of an object collides: one material each.
      EXPECT_EQ(node.object->meshes.size(), 1u) << lv.path << ": " << node.name;
      // Some upward-facing solid triangle lies under the start, less than 1 unit down.
      const CMesh* mesh = node.object->meshes[0];
      for (uint32_t f = 0; f + 2 < mesh->indexCount && !floor; f += 3) {
        Vec3 c[3];
        for (int k = 0; k < 3; ++k) {
          const float* p = mesh->vertices[mesh->indices[f + static_cast<uint32_t>(k)]].position;
          c[k] = TransformPoint(node.world, Vec3(p[0], p[1], p[2]));
        }
        const Vec3 normal = Cross(c[1] - c[0], c[2] - c[0]);
        if (Length(normal) < 1e-9f || std::fabs(normal.y) / Length(normal) < 0.7f) continue;
        const float d = (c[1].x - c[0].x) * (c[2].z - c[0].z) - (c[2].x - c[0].x) * (c[1].z - c[0].z);
        const float w1 = ((start.x - c[0].x) * (c[2].z - c[0].z) - (c[2].x - c[0].x) * (start.z - c[0].z)) / d;
        const float w2 = ((c[1].x - c[0].x) * (start.z - c[0].z) - (start.x - c[0].x) * (c[1].z - c[0].z)) / d;
        if (w1 < 0 || w2 < 0 || w1 + w2 > 1) continue;
        const float y = c[0].y + w1 * (c[1].y - c[0].y) + w2 * (c[2].y - c[0].y);
        floor = y <= start.y + 0.05f && y >= start.y - 1.0f;
      }
    }
    EXPECT_TRUE(floor) << lv.path << ": nothing to stand on under TAVO_START";
  }
}

TEST(Levels, CratesAreRigidAndBoxCratesFitTheirUnitBodies) {
  for (int n = 1; n <= kLevelCount; ++n) {
    ReadLevel lv(n);
    ASSERT_NE(lv.level, nullptr);
    int crates = 0;
    for (const LevelNodeReport& node : lv.nodes) {
      if (node.role != LevelNodeRole::Dynamic || !node.object) continue;
      ++crates;
      // The physics reads the node's basis as the body's rotation.
      const Mat4& w = node.world;
      const Vec3 axes[3] = {Vec3(w[0], w[1], w[2]), Vec3(w[4], w[5], w[6]), Vec3(w[8], w[9], w[10])};
      for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(Length(axes[a]), 1.0f, 1e-3f) << lv.path << ": " << node.name;
        EXPECT_NEAR(Dot(axes[a], axes[(a + 1) % 3]), 0.0f, 1e-3f) << lv.path << ": " << node.name;
      }
      if (node.object->properties.count("convex")) {
        EXPECT_TRUE(ReadConvexProperty(node.object->properties)) << lv.path << ": " << node.name;
        continue;
      }
      // A box body is a unit cube centred 0.5 along the node's local Z.
      for (const CMesh* mesh : node.object->meshes)
        for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
          const float* p = mesh->vertices[v].position;
          EXPECT_TRUE(std::fabs(p[0]) <= 0.501f && std::fabs(p[1]) <= 0.501f && p[2] >= -1e-3f && p[2] <= 1.001f)
              << lv.path << ": " << node.name << " vertex " << v;
        }
    }
    EXPECT_GT(crates, 0) << lv.path << ": every level has something to push";
  }
}

TEST(Levels, UseEveryNodeConventionSomewhereEachWithASunOfItsOwnFromAbove) {
  std::set<std::string> seen;
  std::set<std::string> sunDirections;
  for (int n = 1; n <= kLevelCount; ++n) {
    ReadLevel lv(n);
    ASSERT_NE(lv.level, nullptr);
    const Vec3 sun = lv.level->sunDirection;
    EXPECT_LT(sun.y, -0.2f) << lv.path << ": the light must come from above";
    std::ostringstream key;
    key << std::lround(sun.x * 10) << "," << std::lround(sun.y * 10) << "," << std::lround(sun.z * 10);
    sunDirections.insert(key.str());
    for (const LevelNodeReport& node : lv.nodes) {
      for (const char* prefix : {"POWERUP_MILK", "POWERUP_UMBRELLA", "TRIGGEREND", "TRIGGERKILL", "CLIP_", "NOCLIP", "PU_"})
        if (StartsWith(node.name, prefix)) seen.insert(prefix);
      if (node.role == LevelNodeRole::Dynamic && node.object)
        seen.insert(node.object->properties.count("convex") ? "convex crate" : "box crate");
      // Normal-mapped walls come with their normal map, texture coordinates and tangents.
      if (node.role == LevelNodeRole::NormalMapped && node.object) {
        seen.insert("normal map");
        const CMesh* mesh = node.object->meshes[0];
        EXPECT_NE(mesh->material.normalName.find("_normal"), std::string::npos) << lv.path << ": " << node.name;
        float tangents = 0.0f, tex = 0.0f;
        for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
          tangents += std::fabs(mesh->vertices[v].tangent[0]) + std::fabs(mesh->vertices[v].tangent[1]) +
                      std::fabs(mesh->vertices[v].tangent[2]);
          tex += std::fabs(mesh->vertices[v].tex[0]) + std::fabs(mesh->vertices[v].tex[1]);
        }
        EXPECT_GT(tangents, 0.0f) << lv.path << ": " << node.name;
        EXPECT_GT(tex, 0.0f) << lv.path << ": " << node.name;
      }
    }
  }
  for (const char* what : {"POWERUP_MILK", "POWERUP_UMBRELLA", "TRIGGEREND", "TRIGGERKILL", "CLIP_", "NOCLIP", "PU_",
                           "convex crate", "box crate", "normal map"})
    EXPECT_TRUE(seen.count(what)) << what << " is used by no level";
  EXPECT_EQ(sunDirections.size(), static_cast<size_t>(kLevelCount)) << "each level should have its own sun";
}

}  // namespace
