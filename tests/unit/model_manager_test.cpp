// The model manager and its loader on real Collada files that the tests write: node trees and
// transforms, the player's limbs, meshes, materials, built-in meshes and bad files.
#include <gtest/gtest.h>

#include <assimp/material.h>

#include <cmath>
#include <fstream>

#include "scene/BuiltInMeshes.h"
#include "scene/ModelImport.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"
#include "scene/SceneGeoObject.h"
#include "support/ColladaWriter.h"
#include "support/TestSupport.h"

using testsupport::Capture;
using testsupport::ColladaDocument;
using testsupport::ColladaMaterial;
using testsupport::ColladaMesh;
using testsupport::ColladaNode;
using testsupport::CubeMesh;
using testsupport::Output;
using testsupport::ScopedWorkDir;

namespace {

int Count(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

ColladaNode Node(const std::string& name, const std::string& mesh = "") {
    ColladaNode node;
    node.id = name + "-id";  // differs from the name: the game must read names
    node.name = name;
    node.mesh = mesh;
    return node;
}

void SetTranslation(ColladaNode& node, float x, float y, float z) {
    node.matrix[3] = x;
    node.matrix[7] = y;
    node.matrix[11] = z;
}

// Depth-first search by name.
CSceneObject* Find(CSceneObject* object, const std::string& name) {
    if (!object) return nullptr;
    if (object->name == name) return object;
    for (CSceneObject* child : object->children)
        if (CSceneObject* found = Find(child, name)) return found;
    return nullptr;
}

int Depth(const CSceneObject* object) {
    int deepest = 0;
    for (const CSceneObject* child : object->children) deepest = std::max(deepest, Depth(child));
    return deepest + 1;
}

// The player model's layout: body with the four limbs and an umbrella held in the right hand.
ColladaDocument PlayerDocument() {
    ColladaDocument doc;
    ColladaMaterial choc;
    choc.id = "Chocolate";
    choc.diffuseTexture = "textures\\chocolate.jpg";
    doc.materials.push_back(choc);
    // One mesh per node, as exporters write them (a mesh used twice keeps its nodes apart
    // even under graph optimisation).
    auto part = [&doc](const std::string& name) {
        doc.meshes.push_back(CubeMesh(name + "-mesh", "Chocolate", true, true));
        return Node(name, name + "-mesh");
    };
    ColladaNode body = part("Body");
    for (const char* limb : {"LeftHand", "RightHand", "LeftLeg", "RightLeg"}) {
        ColladaNode node = part(limb);
        SetTranslation(node, limb[0] == 'L' ? -1.0f : 1.0f, 0, 0);
        body.children.push_back(node);
    }
    ColladaNode umbrella = part("umbrella");
    SetTranslation(umbrella, 0, 50, 0);  // far above: it must not widen the box while hidden
    body.children[1].children.push_back(umbrella);
    doc.roots.push_back(body);
    return doc;
}

class ModelFiles : public ::testing::Test {
protected:
    void Write(const std::string& file, const ColladaDocument& doc) { dir.Write("resources/models/" + file, doc.Write()); }
    void WriteRaw(const std::string& file, const std::string& bytes) { dir.Write("resources/models/" + file, bytes); }

    ScopedWorkDir dir;
    CModelManager manager;
};

}  // namespace

TEST_F(ModelFiles, NodeTreeKeepsNamesOrderAndTransposedTransforms) {
    ColladaDocument doc;
    doc.meshes.push_back(CubeMesh("cube", "", true, true));
    ColladaNode root = Node("Stand.001");
    SetTranslation(root, 1, 2, 3);
    ColladaNode first = Node("First", "cube");
    // 90 degrees about y, row-major: x goes to -z.
    const float turned[16] = {0, 0, 1, 4, 0, 1, 0, 5, -1, 0, 0, 6, 0, 0, 0, 1};
    std::copy(turned, turned + 16, first.matrix);
    root.children.push_back(first);
    root.children.push_back(Node("Second"));
    doc.roots.push_back(root);
    Write("tree.dae", doc);

    // The player's flags keep the node tree as written.
    CPlayerObject* player = nullptr;
    Output o = Capture([&] { player = manager.GetPlayer("tree.dae"); });
    ASSERT_NE(player, nullptr) << o.err;
    EXPECT_NE(o.out.find("LOADING Mesh file resources/models/tree.dae"), std::string::npos);

    ASSERT_EQ(player->children.size(), 1u);
    CSceneObject* stand = Find(player, "Stand.001");
    ASSERT_NE(stand, nullptr) << "node names arrive as written, dots included";
    ASSERT_EQ(stand->children.size(), 2u);
    EXPECT_EQ(stand->children[0]->name, "First");
    EXPECT_EQ(stand->children[1]->name, "Second");
    EXPECT_FLOAT_EQ(stand->transform.m[12], 1);
    EXPECT_FLOAT_EQ(stand->transform.m[13], 2);
    EXPECT_FLOAT_EQ(stand->transform.m[14], 3);

    CSceneObject* firstObject = stand->children[0];
    const float expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 4, 5, 6, 1};
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(firstObject->transform.m[i], expected[i]) << "element " << i;
    EXPECT_EQ(firstObject->meshCount, 1u);
    ASSERT_NE(firstObject->GetMesh(0), nullptr);
    EXPECT_EQ(stand->children[1]->meshCount, 0u) << "a node without meshes is a plain object";

    // Bounds were computed on import (the cube's top at 2 + 5 + 0.5); the player scales them by 0.02.
    EXPECT_NEAR(player->worldCorners[7].y, 7.5f * 0.02f, 1e-5f);
}

TEST_F(ModelFiles, PlayerFindsItsLimbsAndHidesItsUmbrella) {
    Write("schoko.dae", PlayerDocument());
    CPlayerObject* player = nullptr;
    Output o = Capture([&] { player = manager.GetPlayer("schoko.dae"); });
    ASSERT_NE(player, nullptr) << o.err;
    EXPECT_NE(o.err.find("WARNING: Player schoko.dae not preloaded!"), std::string::npos);

    ASSERT_NE(player->leftHand, nullptr);
    EXPECT_EQ(player->leftHand->name, "LeftHand");
    EXPECT_EQ(player->rightHand->name, "RightHand");
    EXPECT_EQ(player->leftLeg->name, "LeftLeg");
    EXPECT_EQ(player->rightLeg->name, "RightLeg");
    ASSERT_NE(player->umbrella, nullptr);
    EXPECT_EQ(player->umbrella, Find(player->rightHand, "umbrella"));
    EXPECT_FALSE(player->umbrella->visible);
    EXPECT_TRUE(player->rightHand->visible);
    // Box of body and limbs only: x -1.5..1.5, y -0.5..0.5.
    EXPECT_NEAR(player->localCorners[7].y, 0.5f, 1e-4f);
    EXPECT_NEAR(player->localCorners[7].x, 1.5f, 1e-4f);

    // The second request reuses the player, whatever the name.
    Output again = Capture([&] { EXPECT_EQ(manager.GetPlayer("other.dae"), player); });
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(again.out, "");
}

TEST_F(ModelFiles, ModelIsImportedOnceAndMergedIntoFewNodes) {
    Write("schoko.dae", PlayerDocument());
    Write("milk.dae", PlayerDocument());
    Output first = Capture([&] { manager.GetPlayer("schoko.dae"); });
    CSceneObject* milk = nullptr;
    Output o = Capture([&] {
        milk = manager.GetModel("milk.dae");
        EXPECT_EQ(manager.GetModel("milk.dae"), milk);
    });
    ASSERT_NE(milk, nullptr) << o.err;
    EXPECT_EQ(Count(o.err, "WARNING: Model milk.dae not preloaded!"), 1);
    EXPECT_EQ(Count(o.out, "LOADING Mesh file resources/models/milk.dae"), 1);
    // Graph optimisation merges the tree: the named limbs are gone, the player keeps its own.
    EXPECT_LT(Depth(milk), Depth(manager.GetPlayer("schoko.dae")));
    EXPECT_EQ(Find(milk, "RightHand"), nullptr);
    EXPECT_EQ(manager.GetPlayer("x")->rightHand->name, "RightHand");
}

TEST_F(ModelFiles, MeshWithoutNormalsOrTextureCoordinatesGetsZeros) {
    ColladaDocument doc;
    doc.meshes.push_back(CubeMesh("bare", "", false, false));
    doc.roots.push_back(Node("Bare", "bare"));
    Write("bare.dae", doc);
    CSceneObject* model = nullptr;
    Output o = Capture([&] { model = manager.GetModel("bare.dae"); });
    ASSERT_NE(model, nullptr) << o.err;
    EXPECT_EQ(o.err.find("ERROR"), std::string::npos) << o.err;

    CSceneObject* bare = Find(model, "Bare");
    ASSERT_NE(bare, nullptr);
    CMesh* mesh = bare->GetMesh(0);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 8u) << "identical corners are joined";
    EXPECT_EQ(mesh->indexCount, 36u);
    for (uint32_t i = 0; i < mesh->vertexCount; ++i) {
        const Vertex& v = mesh->vertices[i];
        EXPECT_EQ(std::fabs(v.position[0]), 0.5f);
        for (float f : {v.normal[0], v.normal[1], v.normal[2], v.tex[0], v.tex[1], v.color[0], v.tangent[0]})
            EXPECT_EQ(f, 0.0f) << "vertex " << i;
    }
    for (uint32_t i = 0; i < mesh->indexCount; ++i) EXPECT_LT(mesh->indices[i], mesh->vertexCount);
}

TEST_F(ModelFiles, MaterialsByShadingModel) {
    ColladaDocument doc;
    ColladaMaterial phong;
    phong.id = "Shiny";
    phong.diffuse[0] = 0.25f; phong.diffuse[1] = 0.5f; phong.diffuse[2] = 0.75f;
    phong.ambient[1] = 0.3f;
    phong.specular[2] = 0.9f;
    phong.shininess = 42;
    ColladaMaterial textured = phong;
    textured.id = "Textured";
    textured.diffuseTexture = "C:\\art\\wood\\plank.jpg";
    textured.specularTexture = "maps/shine/plank_spec.png";
    textured.bumpTexture = "..\\normals\\plank_n.tga";
    ColladaMaterial blinn = phong;
    blinn.id = "Blinny";
    blinn.shading = "blinn";
    ColladaMaterial lambert = textured;
    lambert.id = "Matte";
    lambert.shading = "lambert";
    for (const ColladaMaterial& m : {phong, textured, blinn, lambert}) {
        doc.materials.push_back(m);
        doc.meshes.push_back(CubeMesh(m.id + "-mesh", m.id, true, true));
        ColladaNode node = Node(m.id + "Node", m.id + "-mesh");
        doc.roots.push_back(node);
    }
    Write("materials.dae", doc);
    CPlayerObject* model = nullptr;  // the player's flags keep one node per material
    Output o = Capture([&] { model = manager.GetPlayer("materials.dae"); });
    ASSERT_NE(model, nullptr) << o.err;

    auto material = [&](const std::string& node) -> const CMaterial& {
        CSceneObject* object = Find(model, node);
        EXPECT_NE(object, nullptr) << node;
        static CMaterial none;
        return object && object->GetMesh(0) ? object->GetMesh(0)->material : none;
    };
    const CMaterial& shiny = material("ShinyNode");
    EXPECT_FLOAT_EQ(shiny.diffuse[0], 0.25f);
    EXPECT_FLOAT_EQ(shiny.ambient[1], 0.3f);
    EXPECT_FLOAT_EQ(shiny.specular[2], 0.9f);
    EXPECT_FLOAT_EQ(shiny.shininess, 42.0f);

    const CMaterial& tex = material("TexturedNode");
    EXPECT_EQ(tex.diffuseName, "plank.jpg");
    EXPECT_EQ(tex.specularName, "plank_spec.png");
    EXPECT_EQ(tex.normalName, "plank_n.tga");
    EXPECT_FLOAT_EQ(tex.diffuse[0], 1.0f) << "a diffuse texture resets the colour to white";
    EXPECT_EQ(tex.diffuseTexture, nullptr) << "textures are resolved by the game, not the loader";

    const CMaterial& blinny = material("BlinnyNode");
    EXPECT_FLOAT_EQ(blinny.diffuse[1], 0.5f);
    EXPECT_NE(o.out.find("WARNING: Treating Blinn shading model as Phong..."), std::string::npos);

    // Lambert is neither: every default stays, the texture names too.
    const CMaterial& matte = material("MatteNode");
    EXPECT_NE(o.out.find("WARNING: Material 'Matte' without phong or blinn"), std::string::npos) << o.out;
    EXPECT_EQ(matte.diffuse[1], 1.0f);
    EXPECT_EQ(matte.shininess, 128.0f);
    EXPECT_TRUE(matte.diffuseName.empty());
}

TEST(ReadMaterial, PhongWithOnlyADiffuseColourReadsBlackElsewhere) {
    aiMaterial sparse;
    const int phong = aiShadingMode_Phong;
    sparse.AddProperty(&phong, 1, AI_MATKEY_SHADING_MODEL);
    const aiColor3D red(1, 0, 0);
    sparse.AddProperty(&red, 1, AI_MATKEY_COLOR_DIFFUSE);
    const aiString height("bumps/rock_height.png");
    sparse.AddProperty(&height, AI_MATKEY_TEXTURE(aiTextureType_HEIGHT, 0));
    CMaterial read;
    Capture([&] { ReadMaterial(&sparse, read); });
    EXPECT_EQ(read.diffuse[1], 0.0f);
    EXPECT_EQ(read.ambient[0], 0.0f);
    EXPECT_EQ(read.specular[2], 0.0f);
    EXPECT_EQ(read.shininess, 128.0f);
    EXPECT_EQ(read.normalName, "rock_height.png") << "a height map stands in for a missing normal map";
}

TEST_F(ModelFiles, BrokenFilesAreReportedAndTheGameGoesOn) {
    const std::string good = PlayerDocument().Write();
    WriteRaw("empty.dae", "");
    WriteRaw("truncated.dae", good.substr(0, good.size() / 2));
    WriteRaw("text.dae", "These are not the models you are looking for.\n");
    WriteRaw("picture.dae", testsupport::EncodePng(2, 2, 3, std::vector<unsigned char>(12, 200)));
    ColladaDocument meshless;
    meshless.roots.push_back(Node("Empty"));
    Write("nothing.dae", meshless);
    // Found by fuzzing: an empty data array under an accessor crashed the importer, and the
    // importer's parser recurses per level and dies a few thousand levels down.
    std::string emptyArray = good;
    const std::string counted = "count=\"24\">";
    ASSERT_NE(emptyArray.find(counted), std::string::npos);
    WriteRaw("empty_array.dae", emptyArray.replace(emptyArray.find(counted), counted.size(), "count=\"0\">"));
    ColladaDocument abyss;
    abyss.meshes.push_back(CubeMesh("cube", "", true, true));
    abyss.roots.push_back(testsupport::NodeChain(7000, "cube"));
    Write("abyss.dae", abyss);
    const std::pair<const char*, const char*> cases[] = {
        {"ghost.dae", ""}, {"empty.dae", ""}, {"truncated.dae", ""}, {"text.dae", ""}, {"picture.dae", ""},
        {"nothing.dae", ""},
        {"empty_array.dae", "an accessor reads 24 values from data array 'Body-mesh-positions-array', which holds 0"},
        {"abyss.dae", "elements nested deeper than 4096 levels"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file);
        CSceneObject* model = reinterpret_cast<CSceneObject*>(1);
        Output o = Capture([&] { model = manager.GetModel(file); });
        EXPECT_EQ(model, nullptr);
        const size_t loader = o.err.find(std::string("ERROR: Could not load model resources/models/") + file +
                                         ", error was: " + reason);
        EXPECT_NE(loader, std::string::npos) << o.err;
        EXPECT_GT(o.err.find(std::string("ERROR: Model ") + file + " does not exist!"), loader) << o.err;
        // A broken player is no player either.
        Capture([&] { EXPECT_EQ(manager.GetPlayer(file), nullptr); });
    }
    // Nothing was stored: once the file is good, the next call imports it.
    Write("ghost.dae", PlayerDocument());
    Capture([&] { EXPECT_NE(manager.GetModel("ghost.dae"), nullptr); });
}

TEST_F(ModelFiles, VeryDeepNodeTreeIsCutWithAWarning) {
    ColladaDocument doc;
    doc.meshes.push_back(CubeMesh("cube", "", true, true));
    doc.roots.push_back(testsupport::NodeChain(1000, "cube"));
    Write("deep.dae", doc);
    CPlayerObject* player = nullptr;
    Output o = Capture([&] { player = manager.GetPlayer("deep.dae"); });
    ASSERT_NE(player, nullptr) << o.err;
    EXPECT_EQ(Count(o.err, "WARNING: Model node tree deeper than 256 levels"), 1) << o.err;
    // Root plus 256 levels of the file; the cube at the bottom never arrives.
    EXPECT_EQ(Depth(player), 1 + CModelLoader::kMaxNodeDepth);
    for (const Vec3& corner : player->localCorners) EXPECT_EQ(corner.y, 0.0f);
}

TEST_F(ModelFiles, MeshesWithoutTrianglesAreLeftOut) {
    ColladaDocument doc;
    ColladaMesh lines;
    lines.id = "wire";
    lines.primitive = "lines";
    lines.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0};
    lines.indices = {0, 1, 1, 2};
    doc.meshes.push_back(lines);
    doc.meshes.push_back(CubeMesh("cube", "", true, true));
    doc.roots.push_back(Node("Wire", "wire"));
    doc.roots.push_back(Node("Cube", "cube"));
    Write("faceless.dae", doc);
    CPlayerObject* model = nullptr;
    Output o = Capture([&] { model = manager.GetPlayer("faceless.dae"); });
    ASSERT_NE(model, nullptr) << o.err;
    CSceneObject* wire = Find(model, "Wire");
    ASSERT_NE(wire, nullptr);
    EXPECT_EQ(wire->meshCount, 0u);
    EXPECT_NE(o.err.find("has no triangles, skipping it"), std::string::npos) << o.err;
    EXPECT_NE(Find(model, "Cube"), nullptr);
}

TEST(BuiltInMeshes, CubeFacesOutwardAndTheSkyInward) {
    auto normalOf = [](const CMesh& mesh, uint32_t triangle) {
        const float* a = mesh.vertices[mesh.indices[3 * triangle]].position;
        const float* b = mesh.vertices[mesh.indices[3 * triangle + 1]].position;
        const float* c = mesh.vertices[mesh.indices[3 * triangle + 2]].position;
        const Vec3 n = Cross(Vec3(b[0] - a[0], b[1] - a[1], b[2] - a[2]), Vec3(c[0] - a[0], c[1] - a[1], c[2] - a[2]));
        const Vec3 centre((a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3);
        return Dot(n, centre);  // > 0: facing away from the cube's centre
    };
    auto cube = CreateCubeMesh();
    auto sky = CreateSkyCubeMesh();
    for (const CMesh* mesh : {cube.get(), sky.get()}) ASSERT_EQ(mesh->indexCount, 36u);
    for (uint32_t t = 0; t < 12; ++t) {
        EXPECT_GT(normalOf(*cube, t), 0.0f) << "cube triangle " << t << " faces outward";
        EXPECT_LT(normalOf(*sky, t), 0.0f) << "sky triangle " << t << " faces inward";
    }

}

TEST(BuiltInMeshes, GroundGridIsBuiltOnlyWhenAskedFor) {
    ScopedWorkDir dir;
    CModelManager manager;
    EXPECT_FALSE(manager.HasGroundGrid());
    CMesh* grid = manager.GetGroundGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(manager.GetGroundGrid(), grid);
    // Flat, facing up, and every index names one of its vertices.
    EXPECT_EQ(grid->indexCount, 3 * grid->faceCount);
    for (uint32_t i = 0; i < grid->indexCount; i += 997) EXPECT_LT(grid->indices[i], grid->vertexCount);
    for (uint32_t v = 0; v < grid->vertexCount; v += 997) {
        EXPECT_EQ(grid->vertices[v].position[1], 0.0f);
        EXPECT_EQ(grid->vertices[v].normal[1], 1.0f);
    }
}
