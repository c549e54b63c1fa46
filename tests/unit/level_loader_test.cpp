// Level files the tests write, read the way the game reads them: every node-name convention,
// the world transforms, and files that are broken in the ways real files break.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "scene/Level.h"
#include "scene/LevelLoader.h"
#include "scene/Mesh.h"
#include "support/ColladaWriter.h"
#include "support/TestSupport.h"
#include "support/Near.h"

using testsupport::Capture;
using testsupport::ColladaDocument;
using testsupport::ColladaMaterial;
using testsupport::ColladaNode;
using testsupport::CubeMesh;
using testsupport::Node;
using testsupport::Output;
using testsupport::ScopedWorkDir;

namespace {

using testsupport::ExpectVecNear;

const float kVecTolerance = 1e-5f;

// A document with a plain cube ("cube", textured), a normal-mapped cube ("bumpy") and the
// given root nodes.
ColladaDocument Document(std::vector<ColladaNode> roots) {
    ColladaDocument doc;
    ColladaMaterial plain;
    plain.id = "plain";
    plain.diffuseTexture = "floor07.jpg";
    ColladaMaterial bumped;
    bumped.id = "bumped";
    bumped.diffuseTexture = "brickwall.jpg";
    bumped.bumpTexture = "brickwall_normal.png";
    doc.materials = {plain, bumped};
    doc.meshes = {CubeMesh("cube", "plain", true, true), CubeMesh("bumpy", "bumped", true, true)};
    doc.roots = std::move(roots);
    return doc;
}

struct Loaded {
    std::unique_ptr<CLevel> level;
    std::string error;
    Output output;
};

Loaded Load(const std::string& contents) {
    ScopedWorkDir dir;
    dir.Write("level.dae", contents);
    Loaded loaded;
    loaded.output = Capture([&] { loaded.level = ReadLevelFile("level.dae", "level.dae", loaded.error); });
    return loaded;
}

Loaded Load(const ColladaDocument& doc) { return Load(doc.Write()); }

template <typename List>
std::vector<std::string> Names(const List& objects) {
    std::vector<std::string> names;
    for (const auto& object : objects) names.push_back(object->name);
    return names;
}

size_t ObjectCount(const CLevel& level) {
    return level.staticObjects.size() + level.normalMappedObjects.size() + level.dynamicObjects.size() +
           level.triggers.size();
}

}  // namespace

TEST(LevelStartAndSun, MarkersGiveStartAndSunAndNoObjects) {
    ColladaNode group = Node("group", "", 10, 0, 0);
    group.children.push_back(Node("TAVO_START", "cube", 1, 2, 3));  // a mesh, still no object
    ColladaNode sun = Node("TAVO_SUN");
    // Turned about X so that its local -Z axis points straight down.
    const float turned[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
    std::copy(std::begin(turned), std::end(turned), std::begin(sun.matrix));
    sun.children.push_back(Node("floor", "cube"));
    Loaded loaded = Load(Document({group, sun}));
    ASSERT_TRUE(loaded.level) << loaded.error;
    ExpectVecNear(loaded.level->startPosition, {11, 2, 3}, kVecTolerance);
    ExpectVecNear(loaded.level->sunDirection, {0, -1, 0}, kVecTolerance);
    EXPECT_EQ(Names(loaded.level->staticObjects), std::vector<std::string>{"floor"});
}

TEST(LevelStartAndSun, SunIsNormalisedAndWithoutOneOrWhenSquashedPointsDown) {
    Loaded loaded = Load(Document({Node("floor", "cube")}));
    ASSERT_TRUE(loaded.level) << loaded.error;
    ExpectVecNear(loaded.level->startPosition, {0, 0, 0}, kVecTolerance);
    ExpectVecNear(loaded.level->sunDirection, {0, -1, 0}, kVecTolerance);

    ColladaNode scaled = Node("TAVO_SUN");
    scaled.matrix[10] = 4.0f;  // scaled along Z: still straight ahead, length 1 after all
    loaded = Load(Document({scaled, Node("floor", "cube")}));
    ASSERT_TRUE(loaded.level) << loaded.error;
    ExpectVecNear(loaded.level->sunDirection, {0, 0, -1}, kVecTolerance);

    ColladaNode flat = Node("TAVO_SUN");
    flat.matrix[10] = 0.0f;
    loaded = Load(Document({flat, Node("floor", "cube")}));
    ASSERT_TRUE(loaded.level) << loaded.error;
    ExpectVecNear(loaded.level->sunDirection, {0, -1, 0}, kVecTolerance);
    EXPECT_NE(loaded.output.err.find("WARNING: TAVO_SUN has no direction"), std::string::npos);
}

TEST(LevelPowerUps, NumbersKindsAndPositions) {
    ColladaNode parent = Node("pier", "", 0, 5, 0);
    parent.children.push_back(Node("POWERUP_MILK_7", "", 1, 1, 1));
    Loaded loaded = Load(Document({parent, Node("POWERUP_MILK"), Node("POWERUP_UMBRELLA_3", "cube", -2, 0, 4),
                                   Node("POWERUP_MILK_x"), Node("POWERUP_UMBRELLA_99999999999")}));
    ASSERT_TRUE(loaded.level);
    const auto& spawns = loaded.level->powerUps;
    ASSERT_EQ(spawns.size(), 5u);
    EXPECT_EQ(spawns[0].number, 7);
    EXPECT_EQ(spawns[0].kind, POWERUP_KIND_MILK);
    ExpectVecNear(spawns[0].position, {1, 6, 1}, kVecTolerance);
    EXPECT_EQ(spawns[1].number, 0);  // "MILK" is no number
    EXPECT_EQ(spawns[2].number, 3);
    EXPECT_EQ(spawns[2].kind, POWERUP_KIND_UMBRELLA);
    ExpectVecNear(spawns[2].position, {-2, 0, 4}, kVecTolerance);
    EXPECT_EQ(spawns[3].number, 0);
    EXPECT_EQ(spawns[4].number, 0);
    EXPECT_EQ(ObjectCount(*loaded.level), 0u);  // a marker with a mesh makes no object
    EXPECT_NE(loaded.output.err.find("'POWERUP_UMBRELLA_99999999999'"), std::string::npos);
}

TEST(LevelClassification, ClipNoclipNormalMapAndPhysPrecedence) {
    Loaded loaded = Load(Document({Node("CLIP_wall", "cube"), Node("NOCLIP_grass", "cube"), Node("CLIPPER", "cube"),
                                   Node("CLIP_bumpy", "bumpy"), Node("NOCLIP_bumpy", "bumpy"),
                                   Node("PHYS_mass_5_convex_true", "bumpy"), Node("PHYS_n_2", "cube"),
                                   Node("PU_floor_13", "bumpy"), Node("house", "cube")}));
    ASSERT_TRUE(loaded.level);
    const CLevel& level = *loaded.level;
    EXPECT_EQ(Names(level.staticObjects), (std::vector<std::string>{"CLIP_wall", "NOCLIP_grass", "CLIPPER", "house"}));
    EXPECT_EQ(level.staticObjects[0]->clipMode, 2);
    EXPECT_EQ(level.staticObjects[1]->clipMode, 1);
    EXPECT_EQ(level.staticObjects[2]->clipMode, 2);
    EXPECT_EQ(level.staticObjects[3]->clipMode, 0);
    EXPECT_EQ(Names(level.normalMappedObjects),
              (std::vector<std::string>{"CLIP_bumpy", "NOCLIP_bumpy", "PU_floor_13"}));
    for (const auto& object : level.normalMappedObjects) EXPECT_EQ(object->clipMode, 0);
    EXPECT_EQ(level.normalMappedObjects[2]->projectorPowerUps, (std::vector<int32_t>{1, 3}));  // one digit each
    EXPECT_TRUE(level.staticObjects[3]->projectorPowerUps.empty());
    EXPECT_EQ(Names(level.dynamicObjects), (std::vector<std::string>{"PHYS_mass_5_convex_true", "PHYS_n_2"}));
    EXPECT_EQ(level.dynamicObjects[0]->properties.at("mass"), "5");
    EXPECT_EQ(level.dynamicObjects[0]->properties.at("convex"), "true");
    EXPECT_EQ(level.dynamicObjects[1]->properties.count("mass"), 0u);
    // Static objects carry no properties; geometry carries its materials.
    EXPECT_TRUE(level.staticObjects[3]->properties.empty());
    EXPECT_EQ(level.staticObjects[3]->meshes[0]->material.diffuseName, "floor07.jpg");
    EXPECT_EQ(level.normalMappedObjects[0]->meshes[0]->material.normalName, "brickwall_normal.png");
}

TEST(LevelClassification, WorldTransformsBoundsAndFileOrder) {
    ColladaNode group = Node("street", "cube", 10, 0, 0);
    group.matrix[0] = group.matrix[5] = group.matrix[10] = 2.0f;  // scaled by 2
    group.children.push_back(Node("door", "cube", 1, 0, 0));
    group.children.push_back(Node("window", "cube", 0, 1, 0));
    Loaded loaded = Load(Document({group, Node("tree", "cube")}));
    ASSERT_TRUE(loaded.level);
    const auto& objects = loaded.level->staticObjects;
    ASSERT_EQ(Names(objects), (std::vector<std::string>{"street", "door", "window", "tree"}));
    const Mat4& door = objects[1]->transform;
    EXPECT_FLOAT_EQ(door[0], 2.0f);
    EXPECT_FLOAT_EQ(door[12], 12.0f);  // parent * node: the child's offset is scaled
    // The unit cube spans -0.5..0.5; the world corners follow the world transform.
    ExpectVecNear(objects[1]->worldCorners[0], {11, -1, -1}, kVecTolerance);
    ExpectVecNear(objects[1]->worldCorners[7], {13, 1, 1}, kVecTolerance);
}

TEST(LevelTriggers, TypesPropertiesAndNoMaterials) {
    Loaded loaded = Load(Document({Node("TRIGGEREND_nextlevel_level2.dae", "cube", 0, 0, -50),
                                   Node("TRIGGERKILL_n_1", "cube"), Node("TRIGGER_door", "cube"),
                                   Node("TRIGGERZONE", "cube")}));
    ASSERT_TRUE(loaded.level);
    const auto& triggers = loaded.level->triggers;
    ASSERT_EQ(triggers.size(), 4u);
    EXPECT_EQ(triggers[0]->triggerType, "TRIGGEREND");
    EXPECT_EQ(triggers[0]->properties.at("nextlevel"), "level2.dae");
    EXPECT_FLOAT_EQ(triggers[0]->transform[14], -50.0f);
    EXPECT_EQ(triggers[1]->triggerType, "TRIGGERKILL");
    EXPECT_EQ(triggers[2]->triggerType, "TRIGGER");
    EXPECT_EQ(triggers[3]->triggerType, "TRIGGERZONE");
    EXPECT_EQ(ObjectCount(*loaded.level), 4u);
}

TEST(LevelTriggers, MeshlessNodesAreIgnoredButTheirChildrenAreRead) {
    ColladaNode trigger = Node("TRIGGEREND_nextlevel_x.dae");
    trigger.children.push_back(Node("PHYS_mass_2"));
    trigger.children[0].children.push_back(Node("lamp", "cube"));
    ColladaNode start = Node("TAVO_START", "", 0, 1, 0);
    start.children.push_back(Node("CLIP_rail", "cube"));
    Loaded loaded = Load(Document({trigger, start}));
    ASSERT_TRUE(loaded.level);
    EXPECT_TRUE(loaded.level->triggers.empty());
    EXPECT_TRUE(loaded.level->dynamicObjects.empty());
    EXPECT_EQ(Names(loaded.level->staticObjects), (std::vector<std::string>{"lamp", "CLIP_rail"}));
    EXPECT_FLOAT_EQ(loaded.level->staticObjects[1]->transform[13], 1.0f);
}

TEST(LevelBadFiles, MissingEmptyTruncatedAndForeignFilesGiveNoLevel) {
    ScopedWorkDir dir;
    const std::string good = Document({Node("floor", "cube")}).Write();
    dir.Write("empty.dae", "");
    dir.Write("truncated.dae", good.substr(0, good.size() / 2));
    dir.Write("picture.dae", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0'));
    dir.Write("other.dae", "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\"></svg>");
    // Found by fuzzing: the importer gives up on a number it cannot read (and, being Assimp 5.2,
    // loses what it had parsed; the sanitizer build lists that leak as the library's).
    std::string badNumber = good;
    const size_t numbers = badNumber.find("<float_array");
    ASSERT_NE(numbers, std::string::npos);
    badNumber.replace(badNumber.find('>', numbers) + 1, 0, "\xcf\xdf ");
    dir.Write("bad_number.dae", badNumber);
    // Found by fuzzing: Assimp reads as many values as an accessor asks for, past the end of a
    // shorter array (through a null pointer for an empty one), and crashed the game.
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const std::string positions = "<float_array id=\"cube-positions-array\" count=\"24\">";
    dir.Write("no_count.dae", replaced(positions, "<float_array id=\"cube-positions-array\">"));
    dir.Write("zero_count.dae", replaced(positions, "<float_array id=\"cube-positions-array\" count=\"0\">"));
    dir.Write("short_array.dae", replaced(positions, "<float_array id=\"cube-positions-array\" count=\"12\">"));
    dir.Write("long_accessor.dae", replaced("count=\"8\" stride=\"3\"", "count=\"9\" stride=\"3\""));
    dir.Write("odd_count.dae", replaced(positions, "<float_array id=\"cube-positions-array\" count=\"0x18\">"));
    // Found by fuzzing: Assimp reads an index list it cannot parse forever, filling memory.
    const size_t list = good.find("<p>") + 3;
    dir.Write("junk_index.dae", std::string(good).insert(list, "0 ; "));
    dir.Write("form_feed_index.dae", std::string(good).insert(list, "0 \f "));
    dir.Write("hidden_index.dae", std::string(good).insert(list, "<![CDATA[0 ; ]]>"));
    dir.Write("huge_count.dae", replaced(positions, "<float_array id=\"cube-positions-array\" count=\"4000000000\">"));
    const std::pair<const char*, const char*> cases[] = {
        {"missing.dae", ""}, {"empty.dae", ""}, {"truncated.dae", ""}, {"picture.dae", ""}, {"other.dae", ""},
        {"bad_number.dae", "as a real number"},
        {"no_count.dae", "an accessor reads 24 values from data array 'cube-positions-array', which holds 0"},
        {"zero_count.dae", "an accessor reads 24 values from data array 'cube-positions-array', which holds 0"},
        {"short_array.dae", "an accessor reads 24 values from data array 'cube-positions-array', which holds 12"},
        {"long_accessor.dae", "an accessor reads 27 values from data array 'cube-positions-array', which holds 24"},
        {"odd_count.dae", "the count of data array 'cube-positions-array' is not a plain number"},
        {"junk_index.dae", "an index list <p> holds something other than numbers"},
        {"form_feed_index.dae", "an index list <p> holds something other than numbers"},
        {"hidden_index.dae", "an index list <p> holds something other than numbers"},
        {"huge_count.dae", "<float_array> claims a count of 4000000000, more than the file could hold"},
    };
    for (const auto& c : cases) {
        std::string error;
        std::unique_ptr<CLevel> level;
        Capture([&] { level = ReadLevelFile(c.first, c.first, error); });
        EXPECT_FALSE(level) << c.first;
        EXPECT_FALSE(error.empty()) << c.first;
        EXPECT_NE(error.find(c.second), std::string::npos) << c.first << ": " << error;
    }
}

TEST(LevelBadFiles, ThousandsOfNodesDeepAndWide) {
    ColladaNode root = testsupport::NodeChain(3000, "cube");
    ColladaNode wide = Node("wide");
    for (int i = 0; i < 3000; ++i) wide.children.push_back(Node("NOCLIP_leaf_n_" + std::to_string(i), "cube"));
    Loaded loaded = Load(Document({root, wide}));
    ASSERT_TRUE(loaded.level) << loaded.error;
    EXPECT_EQ(loaded.level->staticObjects.size(), 3001u);
    EXPECT_EQ(loaded.level->staticObjects.back()->name, "NOCLIP_leaf_n_2999");
}

TEST(LevelPaths, ShippedNamesPathsAndNextLevels) {
    EXPECT_EQ(LevelFilePath("level2.dae"), "resources/levels/level2.dae");
    EXPECT_EQ(LevelFilePath("./mine.dae"), "./mine.dae");
    EXPECT_EQ(LevelFilePath("/home/ann/levels/a.dae"), "/home/ann/levels/a.dae");
    // A shipped level leads to a shipped level; a level given by path to one beside it.
    EXPECT_EQ(NextLevelFileName("level1.dae", "level2.dae"), "level2.dae");
    EXPECT_EQ(NextLevelFileName("work/level1.dae", "level2.dae"), "work/level2.dae");
    EXPECT_EQ(NextLevelFileName("/a/b/level1.dae", "level2.dae"), "/a/b/level2.dae");
    EXPECT_EQ(NextLevelFileName("level1.dae", "extra/y.dae"), "resources/levels/extra/y.dae");
    EXPECT_EQ(NextLevelFileName("../a/x.dae", "./sub/y..dae"), "../a/./sub/y..dae");
    // A level's end never leads out of its folder: such a value gives no next level at all.
    const std::pair<const char*, std::string> refused[] = {
        {"./x.dae", "/abs/y.dae"},      {"level1.dae", "/etc/passwd"},   {"level1.dae", "../level2.dae"},
        {"level1.dae", "extra/../../x"}, {"work/l.dae", ".."},            {"work/l.dae", "a/.."},
        {"level1.dae", ""},              {"level1.dae", "."},             {"level1.dae", "extra/"},
        {"level1.dae", std::string("ok/..\0.dae", 10)},
    };
    for (const auto& c : refused) EXPECT_EQ(NextLevelFileName(c.first, c.second), "") << c.first << " -> " << c.second;
    EXPECT_EQ(LevelPathFromCommandLine("mine.dae"), "./mine.dae");
}
