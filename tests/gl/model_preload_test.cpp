// Start-up preloading of the models on a real GL context: what is imported, resolved and
// uploaded, and how missing models and textures are reported.
#include <gtest/gtest.h>

#include "game/GameImpl.h"
#include "platform/InputScript.h"
#include "render/Renderer.h"
#include "scene/ModelManager.h"
#include "scene/PlayerObject.h"
#include "support/ColladaWriter.h"
#include "support/TestSupport.h"

using testsupport::ColladaDocument;
using testsupport::ColladaMaterial;
using testsupport::ColladaNode;
using testsupport::CubeMesh;
using testsupport::ScopedWorkDir;

namespace {

// A figure whose material names a texture nobody supplies.
std::string FigureWithMissingTexture() {
    ColladaDocument doc;
    ColladaMaterial skin;
    skin.id = "Skin";
    skin.diffuseTexture = "art\\missing_skin.jpg";
    doc.materials.push_back(skin);
    doc.meshes.push_back(CubeMesh("body", "Skin", true, true));
    doc.meshes.push_back(CubeMesh("hand", "Skin", true, true));
    ColladaNode body;
    body.id = body.name = "Body";
    body.mesh = "body";
    ColladaNode hand;
    hand.id = hand.name = "RightHand";
    hand.mesh = "hand";
    body.children.push_back(hand);
    doc.roots.push_back(body);
    return doc.Write();
}

void ExpectTreeUploaded(const CSceneObject* object) {
    for (uint32_t i = 0; i < object->meshCount; ++i) {
        ASSERT_NE(object->GetMesh(i), nullptr);
        EXPECT_TRUE(object->GetMesh(i)->IsUploaded()) << object->name;
    }
    for (const CSceneObject* child : object->children) ExpectTreeUploaded(child);
}

}  // namespace

TEST(ModelPreload, MissingModelsAndTexturesAreReportedAndStartUpGoesOn) {
    ScopedWorkDir dir;
    dir.Write("resources/models/schoko.dae", FigureWithMissingTexture());
    dir.Write("resources/models/umbrella.dae", FigureWithMissingTexture());
    // milk.dae is missing altogether.
    wl::InputScript script;
    script.frames = 3;
    wl::UseInputScript(&script);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    auto game = std::make_unique<CGameImpl>();
    const int result = game->Initialize();
    game->Run();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, 0) << err;

    const auto lines = testsupport::Lines(out);
    const int star = testsupport::FindLine(lines, "LOADING texture 'star.png'");
    const int player = testsupport::FindLine(lines, "LOADING Mesh file resources/models/schoko.dae", star);
    const int milk = testsupport::FindLine(lines, "LOADING Mesh file resources/models/milk.dae", player);
    const int umbrella = testsupport::FindLine(lines, "LOADING Mesh file resources/models/umbrella.dae", milk);
    const int init = testsupport::FindLine(lines, "Game init in ", umbrella);
    EXPECT_TRUE(star >= 0 && player > star && milk > player && umbrella > milk && init > umbrella) << out;

    EXPECT_NE(err.find("WARNING: Player schoko.dae not preloaded!"), std::string::npos);
    EXPECT_NE(err.find("ERROR: Model milk.dae does not exist!"), std::string::npos);
    EXPECT_NE(err.find("WARNING: Texture map 'missing_skin.jpg' not preloaded!"), std::string::npos) << err;
    EXPECT_NE(err.find("ERROR: Texture map file 'missing_skin.jpg' could not be loaded!"), std::string::npos) << err;

    CModelManager* models = game->GetModelManager();
    ASSERT_NE(models, nullptr);
    CPlayerObject* figure = models->GetPlayer("schoko.dae");
    ASSERT_NE(figure, nullptr);
    ASSERT_NE(figure->rightHand, nullptr);
    ExpectTreeUploaded(figure);
    const CMesh* hand = figure->rightHand->GetMesh(0);
    EXPECT_EQ(hand->material.diffuseName, "missing_skin.jpg");
    EXPECT_EQ(hand->material.diffuseTexture, nullptr) << "drawn untextured, not with a dangling image";
    ExpectTreeUploaded(models->GetModel("umbrella.dae"));

    EXPECT_TRUE(models->GetCube()->IsUploaded());
    EXPECT_TRUE(models->GetSkyCube()->IsUploaded());
    EXPECT_TRUE(models->GetScreenQuad()->IsUploaded());
    EXPECT_FALSE(models->GetUnitQuad()->IsUploaded());
    EXPECT_FALSE(models->HasGroundGrid()) << "68 MB that nothing draws";
    EXPECT_NE(game->GetRenderer()->axesGizmo.vertexArray, 0u);

    // The model manager goes first, while the GL context still exists for its buffers.
    game.reset();
}
