// Content checks for the models and levels: each file is imported the way the
// game imports it (same post-processing flags and importer properties) and the
// conventions the game reads from node names are verified.
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned kPlayerFlags = 0xE080B;    // player: no mesh or graph optimisation, limbs stay apart
constexpr unsigned kModelFlags = 0x6E080B;    // power-up models
constexpr unsigned kLevelFlags = 0x2E1C3B;    // levels
constexpr int kLevelRemoveComponents = 0x260; // cameras, animations, bone weights
constexpr float kPhysicsBound = 2000.0f;
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

void ImportModel(Imported& out, const std::string& path, unsigned flags, bool colladaNames) {
  out.importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, colladaNames);
  out.scene = out.importer.ReadFile(path, flags);
}

void ImportLevel(Imported& out, const std::string& path, bool colladaNames) {
  out.importer.SetPropertyInteger("PP_RVC_FLAGS", kLevelRemoveComponents);
  out.importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, colladaNames);
  out.scene = out.importer.ReadFile(path, kLevelFlags);
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

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Key/value pairs after the first '_', as the level loader reads them.
std::map<std::string, std::string> NameProperties(const std::string& name) {
  std::map<std::string, std::string> props;
  size_t p = name.find('_');
  if (p == std::string::npos) return props;
  while (p < name.size()) {
    size_t k = name.find('_', p + 1);
    if (k == std::string::npos) break;
    size_t v = name.find('_', k + 1);
    if (v == std::string::npos) v = name.size();
    props[name.substr(p + 1, k - p - 1)] = name.substr(k + 1, v - k - 1);
    p = v;
  }
  return props;
}

std::string AfterLastUnderscore(const std::string& s) {
  size_t p = s.rfind('_');
  return p == std::string::npos ? s : s.substr(p + 1);
}

std::string FileNameOf(const std::string& path) {
  size_t p = path.find_last_of('\\');
  if (p == std::string::npos) p = path.find_last_of('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::vector<std::string> NodeNames(const aiScene* scene) {
  std::vector<std::string> names;
  for (const auto& n : Flatten(scene)) names.push_back(n.name);
  return names;
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

aiVector3D Translation(const aiMatrix4x4& m) { return aiVector3D(m.a4, m.b4, m.c4); }

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
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags, true);
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
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags, true);
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
  ImportModel(m, "resources/models/schoko.dae", kPlayerFlags, true);
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
    ImportModel(m, file, kModelFlags, true);
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
    for (bool names : {true, false}) {
      Imported m;
      ImportModel(m, file, kModelFlags, names);
      ASSERT_NE(m.scene, nullptr) << file;
      for (const auto& n : NodeNames(m.scene))
        for (const char* limb : kLimbs) EXPECT_NE(n, limb) << file;
    }
  }
}

TEST(Models, NodeNamesDoNotDependOnTheColladaNamesSetting) {
  const std::pair<const char*, unsigned> files[] = {{"resources/models/schoko.dae", kPlayerFlags},
                                                    {"resources/models/milk.dae", kModelFlags},
                                                    {"resources/models/umbrella.dae", kModelFlags}};
  for (const auto& f : files) {
    Imported byName, byId;
    ImportModel(byName, f.first, f.second, true);
    ImportModel(byId, f.first, f.second, false);
    ASSERT_NE(byName.scene, nullptr) << f.first;
    ASSERT_NE(byId.scene, nullptr) << f.first;
    EXPECT_EQ(NodeNames(byName.scene), NodeNames(byId.scene)) << f.first;
  }
}

// ------------------------------------------------------------------ levels

struct LevelFacts {
  int starts = 0, suns = 0;
  aiVector3D start, sunDirection;
  std::vector<std::pair<std::string, const aiNode*>> endTriggers, killTriggers;
  std::vector<int> powerupNumbers;
  std::vector<std::string> puObjects;
  std::vector<NodeInfo> nodes;
};

LevelFacts ReadLevel(const aiScene* scene) {
  LevelFacts f;
  f.nodes = Flatten(scene);
  for (const auto& n : f.nodes) {
    const std::string& name = n.name;
    if (name == "TAVO_START") {
      ++f.starts;
      f.start = Translation(n.world);
    } else if (name == "TAVO_SUN") {
      ++f.suns;
      aiMatrix3x3 r(n.world);
      f.sunDirection = r * aiVector3D(0, 0, -1);
      f.sunDirection.Normalize();
    } else if (StartsWith(name, "POWERUP_MILK") || StartsWith(name, "POWERUP_UMBRELLA")) {
      f.powerupNumbers.push_back(std::atoi(AfterLastUnderscore(name).c_str()));
    } else if (n.node->mNumMeshes > 0 && StartsWith(name, "TRIGGER")) {
      std::string type = name.substr(0, name.find('_'));
      if (type == "TRIGGEREND") f.endTriggers.push_back({name, n.node});
      if (type == "TRIGGERKILL") f.killTriggers.push_back({name, n.node});
    } else if (n.node->mNumMeshes > 0 && StartsWith(name, "PU_")) {
      f.puObjects.push_back(name);
    }
  }
  return f;
}

class LevelFile : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ImportLevel(level_, LevelPath(GetParam()), true);
    ASSERT_NE(level_.scene, nullptr) << LevelPath(GetParam()) << ": " << level_.importer.GetErrorString();
    facts_ = ReadLevel(level_.scene);
  }
  Imported level_;
  LevelFacts facts_;
};

TEST_P(LevelFile, HasOneStartASunAboveTheHorizonAndAnEndTrigger) {
  EXPECT_EQ(facts_.starts, 1);
  EXPECT_EQ(facts_.suns, 1);
  EXPECT_LT(facts_.sunDirection.y, -0.2f) << "the light must come from above";
  EXPECT_FALSE(facts_.endTriggers.empty());
}

TEST_P(LevelFile, NextLevelChainsToTheFollowingFileAndTheLastLevelEndsTheGame) {
  ASSERT_FALSE(facts_.endTriggers.empty());
  for (const auto& t : facts_.endTriggers) {
    auto props = NameProperties(t.first);
    if (GetParam() < kLevelCount) {
      ASSERT_TRUE(props.count("nextlevel")) << t.first;
      EXPECT_EQ(props["nextlevel"], "level" + std::to_string(GetParam() + 1) + ".dae") << t.first;
      EXPECT_TRUE(FileExists("resources/levels/" + props["nextlevel"])) << t.first;
    } else {
      EXPECT_EQ(props.count("nextlevel"), 0u) << t.first << ": the last level's end must finish the game";
    }
  }
}

TEST_P(LevelFile, PowerUpNumbersAreUniqueDigitsAndEveryProjectorTargetExists) {
  std::set<int> unique(facts_.powerupNumbers.begin(), facts_.powerupNumbers.end());
  EXPECT_EQ(unique.size(), facts_.powerupNumbers.size()) << "repeated power-up number";
  for (int n : facts_.powerupNumbers) {
    // PU_ objects name their power-ups one digit each
    EXPECT_GE(n, 0);
    EXPECT_LE(n, 9);
  }
  for (const auto& pu : facts_.puObjects) {
    for (char c : AfterLastUnderscore(pu)) {
      int n = (c >= '0' && c <= '9') ? c - '0' : 0;
      EXPECT_TRUE(unique.count(n)) << pu << " lights power-up " << n << ", which the level does not have";
    }
  }
}

TEST_P(LevelFile, KillVolumeLiesUnderTheWholeWorld) {
  aiVector3D lo, hi;
  std::set<std::string> skip;
  for (const auto& t : facts_.killTriggers) skip.insert(t.first);
  SceneBounds(level_.scene, skip, lo, hi);
  bool covered = false;
  for (const auto& t : facts_.killTriggers) {
    aiVector3D klo(1e30f, 1e30f, 1e30f), khi(-1e30f, -1e30f, -1e30f);
    for (const auto& n : facts_.nodes) {
      if (n.node != t.second) continue;
      for (unsigned i = 0; i < n.node->mNumMeshes; ++i) {
        const aiMesh* mesh = level_.scene->mMeshes[n.node->mMeshes[i]];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
          aiVector3D p = n.world * mesh->mVertices[v];
          klo.x = std::min(klo.x, p.x); klo.y = std::min(klo.y, p.y); klo.z = std::min(klo.z, p.z);
          khi.x = std::max(khi.x, p.x); khi.y = std::max(khi.y, p.y); khi.z = std::max(khi.z, p.z);
        }
      }
    }
    if (khi.y < lo.y && klo.x <= lo.x && klo.z <= lo.z && khi.x >= hi.x && khi.z >= hi.z && klo.y > -kPhysicsBound)
      covered = true;
  }
  EXPECT_TRUE(covered) << "no TRIGGERKILL volume spans the level below its lowest geometry";
}

TEST_P(LevelFile, EverythingStaysInsideThePhysicsWorld) {
  aiVector3D lo, hi;
  SceneBounds(level_.scene, {}, lo, hi);
  for (float v : {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z}) EXPECT_LT(std::fabs(v), kPhysicsBound);
  for (const auto& n : facts_.nodes) {
    aiVector3D p = Translation(n.world);
    EXPECT_LT(std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}), kPhysicsBound) << n.name;
  }
}

TEST_P(LevelFile, StartStandsOnAFloor) {
  // some upward-facing solid triangle lies under the start point, less than 1 unit down
  bool found = false;
  for (const auto& n : facts_.nodes) {
    const std::string& name = n.name;
    if (n.node->mNumMeshes == 0 || StartsWith(name, "TRIGGER") || StartsWith(name, "NOCLIP")) continue;
    for (unsigned i = 0; i < n.node->mNumMeshes && !found; ++i) {
      const aiMesh* mesh = level_.scene->mMeshes[n.node->mMeshes[i]];
      for (unsigned f = 0; f < mesh->mNumFaces && !found; ++f) {
        if (mesh->mFaces[f].mNumIndices != 3) continue;
        aiVector3D a = n.world * mesh->mVertices[mesh->mFaces[f].mIndices[0]];
        aiVector3D b = n.world * mesh->mVertices[mesh->mFaces[f].mIndices[1]];
        aiVector3D c = n.world * mesh->mVertices[mesh->mFaces[f].mIndices[2]];
        aiVector3D nrm = (b - a) ^ (c - a);
        if (nrm.Length() < 1e-9f || std::fabs(nrm.y) / nrm.Length() < 0.7f) continue;
        float px = facts_.start.x, pz = facts_.start.z;
        float d = (b.x - a.x) * (c.z - a.z) - (c.x - a.x) * (b.z - a.z);
        float w1 = ((px - a.x) * (c.z - a.z) - (c.x - a.x) * (pz - a.z)) / d;
        float w2 = ((b.x - a.x) * (pz - a.z) - (px - a.x) * (b.z - a.z)) / d;
        if (w1 < 0 || w2 < 0 || w1 + w2 > 1) continue;
        float y = a.y + w1 * (b.y - a.y) + w2 * (c.y - a.y);
        if (y <= facts_.start.y + 0.05f && y >= facts_.start.y - 1.0f) found = true;
      }
    }
  }
  EXPECT_TRUE(found) << "nothing to stand on under TAVO_START";
}

TEST_P(LevelFile, PhysicsCratesCarryValidPropertiesAndFitTheirBodies) {
  int crates = 0, convex = 0;
  for (const auto& n : facts_.nodes) {
    if (n.node->mNumMeshes == 0 || !StartsWith(n.name, "PHYS")) continue;
    ++crates;
    auto props = NameProperties(n.name);
    ASSERT_TRUE(props.count("mass")) << n.name;
    std::istringstream in(props["mass"]);
    float mass = 0;
    EXPECT_TRUE(static_cast<bool>(in >> mass)) << n.name;
    EXPECT_GT(mass, 0.0f) << n.name;
    // the physics reads the node's basis as the body's rotation
    EXPECT_TRUE(IsRigid(n.world)) << n.name;
    bool isConvex = props.count("convex") && props["convex"] == "true";
    if (props.count("convex")) {
      EXPECT_EQ(props["convex"], "true") << n.name;
    }
    if (isConvex) {
      ++convex;
      continue;
    }
    // a box body is a unit cube centred 0.5 along the node's local Z
    for (unsigned i = 0; i < n.node->mNumMeshes; ++i) {
      const aiMesh* mesh = level_.scene->mMeshes[n.node->mMeshes[i]];
      for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D& p = mesh->mVertices[v];
        EXPECT_LE(std::fabs(p.x), 0.5f + 1e-3f) << n.name;
        EXPECT_LE(std::fabs(p.y), 0.5f + 1e-3f) << n.name;
        EXPECT_GE(p.z, -1e-3f) << n.name;
        EXPECT_LE(p.z, 1.0f + 1e-3f) << n.name;
      }
    }
  }
  EXPECT_GT(crates, 0) << "every level has something to push";
}

TEST_P(LevelFile, SolidObjectsCollideWithTheirWholeGeometry) {
  // static, CLIP and physics objects collide with their first mesh only: one material each
  for (const auto& n : facts_.nodes) {
    const std::string& name = n.name;
    if (n.node->mNumMeshes == 0 || StartsWith(name, "NOCLIP") || StartsWith(name, "TRIGGER")) continue;
    EXPECT_EQ(n.node->mNumMeshes, 1u) << name;
  }
}

TEST_P(LevelFile, NodeNamesDoNotDependOnTheColladaNamesSetting) {
  Imported byId;
  ImportLevel(byId, LevelPath(GetParam()), false);
  ASSERT_NE(byId.scene, nullptr);
  EXPECT_EQ(NodeNames(level_.scene), NodeNames(byId.scene));
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelFile, ::testing::Range(1, kLevelCount + 1),
                         [](const ::testing::TestParamInfo<int>& i) { return "level" + std::to_string(i.param); });

TEST(Levels, UseEveryNodeConventionSomewhere) {
  std::set<std::string> seen;
  bool normalMapped = false;
  std::set<std::string> sunDirections;
  for (int n = 1; n <= kLevelCount; ++n) {
    Imported lv;
    ImportLevel(lv, LevelPath(n), true);
    ASSERT_NE(lv.scene, nullptr) << LevelPath(n);
    for (const auto& node : Flatten(lv.scene)) {
      for (const char* prefix : {"POWERUP_MILK", "POWERUP_UMBRELLA", "TRIGGEREND", "TRIGGERKILL", "PHYS", "CLIP_",
                                 "NOCLIP", "PU_"})
        if (StartsWith(node.name, prefix)) seen.insert(prefix);
      auto props = NameProperties(node.name);
      if (StartsWith(node.name, "PHYS") && props.count("convex")) seen.insert("convex");
      if (StartsWith(node.name, "PHYS") && !props.count("convex")) seen.insert("box");
      if (node.name == "TAVO_SUN") {
        aiVector3D d = aiMatrix3x3(node.world) * aiVector3D(0, 0, -1);
        std::ostringstream key;
        key << std::lround(d.x * 10) << "," << std::lround(d.y * 10) << "," << std::lround(d.z * 10);
        sunDirections.insert(key.str());
      }
      if (node.node->mNumMeshes > 0 && !StartsWith(node.name, "PHYS")) {
        const aiMesh* first = lv.scene->mMeshes[node.node->mMeshes[0]];
        aiString path;
        if (lv.scene->mMaterials[first->mMaterialIndex]->GetTexture(aiTextureType_NORMALS, 0, &path) == AI_SUCCESS)
          normalMapped = true;
      }
    }
  }
  for (const char* what : {"POWERUP_MILK", "POWERUP_UMBRELLA", "TRIGGEREND", "TRIGGERKILL", "PHYS", "CLIP_", "NOCLIP",
                           "PU_", "convex", "box"})
    EXPECT_TRUE(seen.count(what)) << what << " is used by no level";
  EXPECT_TRUE(normalMapped);
  EXPECT_EQ(sunDirections.size(), static_cast<size_t>(kLevelCount)) << "each level should have its own sun";
}

TEST(Levels, NormalMappedWallsComeBackWithANormalsTextureAndTangents) {
  int walls = 0;
  for (int n = 1; n <= kLevelCount; ++n) {
    Imported lv;
    ImportLevel(lv, LevelPath(n), true);
    ASSERT_NE(lv.scene, nullptr) << LevelPath(n);
    for (unsigned m = 0; m < lv.scene->mNumMeshes; ++m) {
      const aiMesh* mesh = lv.scene->mMeshes[m];
      aiString path;
      if (lv.scene->mMaterials[mesh->mMaterialIndex]->GetTexture(aiTextureType_NORMALS, 0, &path) != AI_SUCCESS)
        continue;
      ++walls;
      EXPECT_TRUE(mesh->HasTangentsAndBitangents()) << LevelPath(n) << " mesh " << m;
      EXPECT_TRUE(mesh->HasTextureCoords(0)) << LevelPath(n) << " mesh " << m;
      EXPECT_NE(std::string(path.C_Str()).find("_normal"), std::string::npos) << path.C_Str();
    }
  }
  EXPECT_GT(walls, 0);
}

// ------------------------------------------------------------------ textures

TEST(ContentTextures, EveryTextureAModelOrLevelNamesExists) {
  std::vector<std::pair<std::string, unsigned>> files = {{"resources/models/schoko.dae", kPlayerFlags},
                                                         {"resources/models/milk.dae", kModelFlags},
                                                         {"resources/models/umbrella.dae", kModelFlags}};
  std::set<std::string> missing;
  for (const auto& f : files) {
    Imported m;
    ImportModel(m, f.first, f.second, true);
    ASSERT_NE(m.scene, nullptr) << f.first;
    for (const auto& t : TextureNames(m.scene))
      if (!FileExists("resources/textures/" + t)) missing.insert(t + " (" + f.first + ")");
  }
  for (int n = 1; n <= kLevelCount; ++n) {
    Imported lv;
    ImportLevel(lv, LevelPath(n), true);
    ASSERT_NE(lv.scene, nullptr) << LevelPath(n);
    for (const auto& t : TextureNames(lv.scene))
      if (!FileExists("resources/textures/" + t)) missing.insert(t + " (" + LevelPath(n) + ")");
  }
  std::string list;
  for (const auto& m : missing) list += "\n  " + m;
  EXPECT_TRUE(missing.empty()) << "missing in resources/textures:" << list;
}

}  // namespace
