// The real tavo-levelcheck binary on the shipped levels and on small levels the tests write.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ColladaWriter.h"
#include "support/TestSupport.h"

using testsupport::ColladaDocument;
using testsupport::ColladaMaterial;
using testsupport::ColladaNode;
using testsupport::CubeMesh;
using testsupport::Node;
using testsupport::ScopedWorkDir;

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Runs a shell command in the working folder and collects its standard output.
Result Shell(const std::string& command) {
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    std::size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Result Check(const std::string& args) { return Shell(std::string(TAVO_LEVELCHECK) + " " + args + " 2>&1"); }

bool HasLine(const std::string& out, const std::string& line) {
    for (const std::string& l : testsupport::Lines(out))
        if (l == line) return true;
    return false;
}

ColladaNode Scaled(ColladaNode node, float sx, float sy, float sz) {
    node.matrix[0] = sx;
    node.matrix[5] = sy;
    node.matrix[10] = sz;
    return node;
}

// A sun 45 degrees up in the east: its -Z axis points down and west.
ColladaNode Sun() {
    ColladaNode sun = Node("TAVO_SUN", "", 10, 10, 0);
    const float c = 0.70710678f;
    // Columns are the node's axes; local Z (third column) = (c, c, 0) so -Z = (-c, -c, 0).
    const float m[16] = {0, -c, c, 10, 0, c, c, 10, -1, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) sun.matrix[i] = m[i];
    return sun;
}

// A small playable level: floor, start, sun, end trigger, a kill volume under everything, a
// crate and a milk bottle above a pad that shows its star.
std::vector<ColladaNode> GoodNodes() {
    // The cube mesh spans -0.5 to 0.5: a node's translation is its box's centre.
    return {Scaled(Node("floor", "cube", 0, -0.5f, 0), 20, 1, 20),
            Node("TAVO_START", "", 0, 0.15f, 5),
            Sun(),
            Scaled(Node("TRIGGEREND", "cube", 0, 2, -8), 4, 4, 3),
            Scaled(Node("TRIGGERKILL_n_1", "cube", 0, -35, 0), 100, 10, 100),
            Node("PHYS_mass_2_convex_true", "cube", 3, 0.5f, 0),
            Node("POWERUP_MILK_1", "", 5, 1.05f, 5),
            Scaled(Node("PU_pad_1", "cube", 5, 0.05f, 5), 1, 0.1f, 1)};
}

ColladaDocument Document(std::vector<ColladaNode> roots, const std::string& texture = "floor07.jpg") {
    ColladaDocument doc;
    ColladaMaterial plain;
    plain.id = "plain";
    plain.diffuseTexture = texture;
    doc.materials = {plain};
    doc.meshes = {CubeMesh("cube", "plain", true, true)};
    doc.roots = std::move(roots);
    return doc;
}

// The game's folders in a fresh working folder (or in its folder `content`): one texture, the
// music of levels 1 and 2, and a shaders/ folder, without which it would not be the content.
struct Workshop {
    ScopedWorkDir dir;
    explicit Workshop(const std::string& content = "") {
        const std::string base = content.empty() ? "" : content + "/";
        dir.Write(base + "resources/textures/floor07.jpg", "not decoded by the checker");
        dir.Write(base + "resources/sounds/music1.mp3", "x");
        dir.Write(base + "resources/sounds/music2.mp3", "x");
        dir.Write(base + "shaders/orthoshader.vert", "not read by the checker");
    }
    // The working folder as the checker names it, with a slash.
    std::string Folder() const { return dir.Path().string() + "/"; }
    void Level(const std::string& file, const std::vector<ColladaNode>& nodes, const std::string& texture = "floor07.jpg") {
        dir.Write(file, Document(nodes, texture).Write());
    }
};

std::vector<ColladaNode> Without(std::vector<ColladaNode> nodes, const std::string& name) {
    for (auto it = nodes.begin(); it != nodes.end(); ++it)
        if (it->name == name) {
            nodes.erase(it);
            break;
        }
    return nodes;
}

std::vector<ColladaNode> With(std::vector<ColladaNode> nodes, const ColladaNode& extra) {
    nodes.push_back(extra);
    return nodes;
}

}  // namespace

TEST(ShippedLevels, TheWholeChainFromLevelOneAndTheGuidesExampleHaveNoError) {
    // The tests run from the repository root, where the game's folders are.
    const Result result = Check("resources/levels/level1.dae");
    EXPECT_EQ(result.status, 0) << result.out;
    const std::vector<std::string> lines = testsupport::Lines(result.out);
    int previous = -1;
    for (int n = 1; n <= 5; ++n) {
        const int at = testsupport::FindLine(lines, "resources/levels/level" + std::to_string(n) + ".dae: ");
        EXPECT_GT(at, previous) << "level " << n << " not checked after the one before\n" << result.out;
        previous = at;
    }
    EXPECT_TRUE(HasLine(result.out, "5 levels, 0 errors, 1 warning")) << result.out;

    const Result yard = Check("docs/examples/yard1.dae");
    EXPECT_EQ(yard.status, 0) << yard.out;
    EXPECT_TRUE(HasLine(yard.out, "1 level, 0 errors, 0 warnings")) << yard.out;
    EXPECT_NE(yard.out.find("from the west, 50\u00b0 up"), std::string::npos) << yard.out;
}

// From a folder without the game's content, the checker finds it where the game would: named by
// --data (the shipped chain without a finding, its textures and music there), and otherwise it
// says where it looked and stops, rather than report every texture missing.
TEST(ShippedLevels, FromAnotherFolderTheContentIsFoundWithData) {
    const std::string source = std::filesystem::current_path().string();
    ScopedWorkDir elsewhere;
    const std::string level = source + "/resources/levels/level1.dae";
    const Result found = Check("--data " + source + " " + level);
    EXPECT_EQ(found.status, 0) << found.out;
    EXPECT_TRUE(HasLine(found.out, "5 levels, 0 errors, 1 warning")) << found.out;

    const Result lost = Check(level);
    EXPECT_EQ(lost.status, 1) << lost.out;
    EXPECT_NE(lost.out.find("tavo-levelcheck: the game's content (resources/ and shaders/) is not in '" +
                            elsewhere.Path().string() + "'"),
              std::string::npos)
        << lost.out;
    EXPECT_EQ(lost.out.find("error: texture"), std::string::npos) << lost.out;
}

// A level of one folder and the content of another: the findings name the folder --data gave.
TEST(WrittenLevels, TexturesAndMusicAreLookedForInTheDataFolder) {
    Workshop shop("content");
    shop.Level("levels/level7.dae", GoodNodes(), "nosuch.jpg");
    const Result result = Check("--data content levels/level7.dae");
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("floor: error: texture 'nosuch.jpg' is not in content/resources/textures/"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("music number 7 has no music file (content/resources/sounds/music7.mp3)"),
              std::string::npos)
        << result.out;
    shop.Level("levels/level1.dae", GoodNodes());
    const Result good = Check("--data content levels/level1.dae");
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_TRUE(HasLine(good.out, "1 level, 0 errors, 0 warnings")) << good.out;
}

TEST(WrittenLevels, AGoodLevelHasNoFindingAndSaysWhatEachNodeIs) {
    Workshop shop;
    shop.Level("level1.dae", GoodNodes());
    const Result result = Check("level1.dae");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(HasLine(result.out, "1 level, 0 errors, 0 warnings")) << result.out;
    for (const char* line : {
             "  Scene: ignored: no meshes (its children are read)",
             "    floor: static: drawn and solid",
             "    TAVO_START: start: the player's origin at (0, 0.15, 5)",
             "    TAVO_SUN: sun: light travels along (-0.707107, -0.707107, 0), from the east, 45\u00b0 up",
             "    TRIGGEREND: trigger TRIGGEREND: ends the level and wins the game (no next level)",
             "    TRIGGERKILL_n_1: trigger TRIGGERKILL: kills the player",
             "    PHYS_mass_2_convex_true: dynamic: mass 2, convex hull of its first mesh",
             "    POWERUP_MILK_1: power-up: milk number 1 at (5, 1.05, 5)",
             "    PU_pad_1: static: drawn and solid; shows the stars of power-ups 1",
         })
        EXPECT_TRUE(HasLine(result.out, line)) << line << "\n" << result.out;
}

struct Case {
    const char* what;
    std::vector<ColladaNode> nodes;
    std::string line;
    int status;
    std::string file = "level1.dae";
    std::string texture = "floor07.jpg";
};

TEST(WrittenLevels, EachFindingWithItsLineAndExitStatus) {
    const std::vector<ColladaNode> good = GoodNodes();
    std::vector<ColladaNode> lowKill = Without(good, "TRIGGERKILL_n_1");
    lowKill.push_back(Scaled(Node("TRIGGERKILL_n_1", "cube", 0, -35, 0), 10, 10, 10));  // too narrow
    // Downloaded levels must not lead the game to any file it can read.
    auto endTo = [&good](const std::string& next) {
        ColladaNode end = Node("TRIGGEREND_nextlevel_" + next, "cube");
        end.id = "end";
        return With(Without(good, "TRIGGEREND"), end);
    };
    ColladaNode secondStart = Node("TAVO_START", "", 1, 0.15f, 2);
    secondStart.id = "start_2";
    // Each finding's node, kind and the part of its text that the level's contents decide.
    const std::vector<Case> cases = {
        {"no start", Without(good, "TAVO_START"), "./level1.dae: TAVO_START: error: no TAVO_START node", 1},
        {"two starts", With(good, secondStart),
         "TAVO_START: error: 2 TAVO_START nodes; the game starts the player at the last one, (1, 0.15, 2)", 1},
        {"no end", Without(good, "TRIGGEREND"), "TRIGGEREND: error: no TRIGGEREND trigger with a mesh", 1},
        {"next level missing", With(Without(good, "TRIGGEREND"), Node("TRIGGEREND_nextlevel_level9.dae", "cube")),
         "level9.dae: error: next level 'level9.dae' does not exist beside the level (./level9.dae)", 1},
        {"next level up and out", endTo("../secret.dae"),
         "secret.dae: error: next level '../secret.dae' is not a file in the level's folder", 1},
        {"next level absolute", endTo("/etc/hostname"),
         "hostname: error: next level '/etc/hostname' is not a file in the level's folder", 1},
        {"power-up number twice", With(good, Node("POWERUP_UMBRELLA_1", "", 1, 2, 1)),
         "POWERUP_UMBRELLA_1: error: power-up number 1 is already used by 'POWERUP_MILK_1'", 1},
        {"projector without power-up", With(good, Node("PU_lamp_14", "cube", 0, 0, -3)),
         "PU_lamp_14: error: shows the star of power-up 4, which the level does not have", 1},
        {"outside the physics world", With(good, Node("far", "cube", 2500, 0, 0)),
         "from (2499.5, -0.5, -0.5) to (2500.5, 0.5, 0.5)", 1},
        {"missing texture", good, "./level1.dae: floor: error: texture 'nosuch.jpg' is not in {work}resources/textures/", 1,
         "level1.dae", "nosuch.jpg"},
        {"mass not a number", With(good, Node("PHYS_mass_heavy", "cube", -3, 0, 0)),
         "./level1.dae: PHYS_mass_heavy: error: mass 'heavy' is not a number; the game uses 1", 1},
        {"mass negative", With(good, Node("PHYS_mass_-2", "cube", -3, 0, 0)),
         "./level1.dae: PHYS_mass_-2: error: mass -2 is negative; the physics uses 1", 1},
        {"huge transform", With(good, Node("TAVO_START", "", 1e30f, 0, 0)),
         "TAVO_START: error: stands beyond the physics world's \u00b12000 units, at (1e+30, 0, 0)", 1},
        // Warnings: the level still passes.
        {"no sun", Without(good, "TAVO_SUN"), "./level1.dae: TAVO_SUN: warning: no TAVO_SUN node", 0},
        {"no kill volume under everything", lowKill,
         "TRIGGERKILL: warning: no TRIGGERKILL volume under the whole level (below -1, spanning x -10 to 10 and z -10 to 10)",
         0},
        {"beyond the shadow map", With(good, Scaled(Node("hill", "cube", 100, 0.5f, 0), 20, 1, 1)),
         "hill: warning: reaches beyond the \u00b1100 units around the origin that the sun's shadow map", 0},
        {"start inside the end trigger", With(Without(good, "TAVO_START"), Node("TAVO_START", "", 0, 1, -8)),
         "TRIGGEREND: warning: the start point (0, 1, -8) lies inside this trigger's bounds", 0},
        {"music number without music", good,
         "level7.dae: (file): warning: music number 7 has no music file ({work}resources/sounds/music7.mp3)", 0,
         "level7.dae"},
        {"no music number", good, "./arena.dae: (file): warning: the file name has no digit before its extension", 0,
         "arena.dae"},
    };
    for (const Case& c : cases) {
        Workshop shop;
        shop.Level(c.file, c.nodes, c.texture);
        const Result result = Check(c.file);
        std::string line = c.line;
        const std::string::size_type work = line.find("{work}");
        if (work != std::string::npos) line.replace(work, 6, shop.Folder());
        EXPECT_EQ(result.status, c.status) << c.what << "\n" << result.out;
        EXPECT_NE(result.out.find(line), std::string::npos) << c.what << "\n" << result.out;
        if (c.status == 0) {
            EXPECT_EQ(result.out.find(": error: "), std::string::npos) << c.what << "\n" << result.out;
        }
    }
}

TEST(BadInput, FilesThatAreNoColladaSceneAreErrors) {
    Workshop shop;
    const std::string good = Document(GoodNodes()).Write();
    shop.dir.Write("empty.dae", "");
    shop.dir.Write("truncated.dae", good.substr(0, good.size() / 2));
    shop.dir.Write("notes.dae", "level ideas: a bridge, two crates\n");
    shop.dir.Write("picture.dae", "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\"></svg>");
    std::string noScene = good;
    const std::size_t from = noScene.find("<scene>");
    ASSERT_NE(from, std::string::npos);
    noScene.erase(from, noScene.find("</scene>") + 8 - from);
    shop.dir.Write("noscene.dae", noScene);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty.dae", "the file is empty"},
        {"truncated.dae", "the Collada document is cut off (truncated)"},
        {"notes.dae", "the file is not XML"},
        {"picture.dae", "XML, but not a Collada document"},
        {"noscene.dae", "a Collada document without a scene (no <scene> with an <instance_visual_scene>)"},
        {"missing.dae", "there is no such file"},
    };
    for (const auto& c : cases) {
        const Result result = Check(c.first);
        EXPECT_EQ(result.status, 1) << c.first << "\n" << result.out;
        EXPECT_NE(result.out.find("./" + c.first + ": (file): error: not a Collada scene: " + c.second + " ("),
                  std::string::npos)
            << c.first << "\n" << result.out;
    }
}

TEST(BadInput, OddNamesAndTransformsAreExplainedNotFatal) {
    Workshop shop;
    ColladaNode broken = Node("wall_broken", "cube", 1, 0, 1);
    broken.children.push_back(Node("lamp", "cube"));
    const std::string longName = "NOCLIP_" + std::string(493, 'x');
    std::vector<ColladaNode> nodes = GoodNodes();
    nodes.push_back(Node(longName, "cube"));
    nodes.push_back(Node("PHYS__mass_2", "cube", -4, 0.5f, 0));
    nodes.push_back(Node("PHYS_mass_3_", "cube", -4, 0.5f, 2));
    nodes.push_back(Node("PHYS_mass_3_mass_4_n", "cube", -4, 0.5f, 4));
    nodes.push_back(Node("POWERUP_MILK_x", "", 2, 2, 2));
    nodes.push_back(broken);
    std::string text = Document(nodes).Write();
    // Make the X translation of "wall_broken" not a number.
    const std::size_t node = text.find("<node id=\"wall_broken\"");
    ASSERT_NE(node, std::string::npos);
    const std::string matrixTag = "<matrix sid=\"transform\">";
    text.replace(text.find(matrixTag, node) + matrixTag.size(), 1, "nan");
    shop.dir.Write("level1.dae", text);

    const Result result = Check("level1.dae");
    EXPECT_EQ(result.status, 0) << result.out;
    for (const std::string& line : std::vector<std::string>{
             "./level1.dae: " + longName.substr(0, 40) + "...: warning: name is 500 characters long; "
             "editors cut names at 63, so keep them shorter",
             "./level1.dae: PHYS__mass_2: warning: empty key (two '_' in a row?) with value 'mass'",
             "./level1.dae: PHYS__mass_2: warning: key '2' has no value and is ignored",
             "./level1.dae: PHYS_mass_3_: warning: name ends with '_'",
             "./level1.dae: PHYS_mass_3_mass_4_n: warning: key 'mass' is given twice; the game keeps the last value '4'",
             "./level1.dae: PHYS_mass_3_mass_4_n: warning: key 'n' has no value and is ignored",
             "./level1.dae: POWERUP_MILK_x: warning: Power-up 'POWERUP_MILK_x' has no number after its last '_', using 0",
             "./level1.dae: wall_broken: warning: Node 'wall_broken' has a transform that is not finite, ignoring it and "
             "the nodes below it",
             "    PHYS_mass_3_mass_4_n: dynamic: mass 4, 1 x 1 x 1 box from z = 0 to 1 in its own space",
             "    wall_broken: left out with every node below it: its transform is not finite",
         })
        EXPECT_TRUE(HasLine(result.out, line)) << "expected\n" << line << "\nin\n" << result.out;
    EXPECT_EQ(result.out.find(" lamp:"), std::string::npos) << "a node below a broken one was read";
}

TEST(Chains, NextLevelsAreFollowedBesideTheFileAndALoopIsAWarning) {
    Workshop shop;
    std::vector<ColladaNode> first = Without(GoodNodes(), "TRIGGEREND");
    first.push_back(Node("TRIGGEREND_nextlevel_level2.dae", "cube", 0, 0, -8));
    shop.Level("work/level1.dae", first);
    std::vector<ColladaNode> second = Without(GoodNodes(), "TRIGGEREND");
    second.push_back(Node("TRIGGEREND_nextlevel_level1.dae", "cube", 0, 0, -8));
    shop.Level("work/level2.dae", second);

    const Result result = Check("work/level1.dae");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(HasLine(result.out, "work/level2.dae: 9 nodes")) << result.out;
    EXPECT_TRUE(HasLine(result.out, "work/level2.dae: TRIGGEREND_nextlevel_level1.dae: warning: the chain of next "
                                    "levels loops back on itself (work/level1.dae -> work/level2.dae -> "
                                    "work/level1.dae): the game cannot be finished"))
        << result.out;
    EXPECT_TRUE(HasLine(result.out, "2 levels, 0 errors, 1 warning")) << result.out;
    // Without following, only the named file is read.
    EXPECT_TRUE(HasLine(Check("--no-follow work/level1.dae").out, "1 level, 0 errors, 0 warnings"));
}

TEST(CommandLine, JsonCarriesTheSameLinesAndBadArgumentsGiveStatusTwo) {
    Workshop shop;
    shop.Level("level1.dae", Without(GoodNodes(), "TAVO_START"));
    const Result text = Check("level1.dae");
    const Result json = Shell(std::string(TAVO_LEVELCHECK) +
                              " --json level1.dae | /usr/bin/python3 -c 'import json,sys; d=json.load(sys.stdin); "
                              "print(d[\"errors\"], d[\"warnings\"]); [print(f[\"line\"]) for l in d[\"levels\"] for f in l[\"findings\"]]'");
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "1 0\n./level1.dae: TAVO_START: error: no TAVO_START node: the player would start at the origin\n");
    EXPECT_EQ(Check("--json level1.dae").status, 1);

    EXPECT_EQ(Check("").status, 2);
    EXPECT_EQ(Check("--frobnicate level1.dae").status, 2);
    EXPECT_EQ(Check("level1.dae --data").status, 2);
    EXPECT_NE(Check("--bogus").out.find("usage: tavo-levelcheck"), std::string::npos);
    EXPECT_EQ(Check("--help").status, 0);
}
