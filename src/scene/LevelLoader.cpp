#include "scene/LevelLoader.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/DataPaths.h"
#include "scene/LevelNames.h"
#include "scene/Mesh.h"
#include "scene/ModelImport.h"

namespace {

// The importer stores matrices row-major; Mat4 is column-major.
Mat4 ToMat4(const aiMatrix4x4& world) {
    Mat4 m;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) m.At(row, col) = world[static_cast<unsigned>(row)][static_cast<unsigned>(col)];
    return m;
}

bool IsFinite(const aiMatrix4x4& m) {
    for (unsigned row = 0; row < 4; ++row)
        for (unsigned col = 0; col < 4; ++col)
            if (!std::isfinite(m[row][col])) return false;
    return true;
}

Vec3 Translation(const aiMatrix4x4& world) { return {world.a4, world.b4, world.c4}; }

// The number after the last '_' of a power-up marker. "POWERUP_MILK" has none and counts as 0,
// as does any text that is not a whole decimal number (with a warning, so that a typo such as
// "POWERUP_MILK_x" does not silently share number 0 with another marker).
int32_t PowerUpNumber(const std::string& name) {
    int32_t number = 0;
    if (!ReadPowerUpNumber(name, number))
        std::cerr << "WARNING: Power-up '" << name << "' has no number after its last '_', using 0" << std::endl;
    return number;
}

// While it lives, what the code prints on standard output and standard error goes into
// `lines` instead: a report keeps each node's messages with the node.
class CMessageCapture {
public:
    explicit CMessageCapture(std::vector<std::string>& lines_)
        : lines(lines_), oldOut(std::cout.rdbuf(text.rdbuf())), oldErr(std::cerr.rdbuf(text.rdbuf())) {}
    ~CMessageCapture() {
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        const std::string prefix = "WARNING: ";
        std::string line;
        while (std::getline(text, line)) {
            if (line.empty()) continue;
            lines.push_back(StartsWith(line, prefix) ? line.substr(prefix.size()) : line);
        }
    }
    CMessageCapture(const CMessageCapture&) = delete;
    CMessageCapture& operator=(const CMessageCapture&) = delete;

private:
    std::vector<std::string>& lines;
    std::stringstream text;
    std::streambuf* oldOut;
    std::streambuf* oldErr;
};

class CLevelBuilder {
public:
    CLevelBuilder(CLevel& level_, const aiScene* scene_, std::vector<LevelNodeReport>* report_)
        : level(level_), scene(scene_), report(report_) {}

    // Pre-order, children in file order; an explicit stack, so deep trees cannot overflow.
    void Walk() {
        struct Entry {
            const aiNode* node;
            aiMatrix4x4 parentWorld;
            int depth;
        };
        std::vector<Entry> stack{{scene->mRootNode, aiMatrix4x4(), 0}};
        while (!stack.empty()) {
            const Entry entry = stack.back();
            stack.pop_back();
            if (!entry.node) continue;
            const aiMatrix4x4 world = entry.parentWorld * entry.node->mTransformation;
            bool visitChildren = true;
            if (report) {
                LevelNodeReport nodeReport;
                nodeReport.name = entry.node->mName.C_Str();
                nodeReport.depth = entry.depth;
                {
                    CMessageCapture capture(nodeReport.warnings);
                    visitChildren = Visit(entry.node, world, &nodeReport);
                }
                report->push_back(std::move(nodeReport));
            } else {
                visitChildren = Visit(entry.node, world, nullptr);
            }
            if (!visitChildren) continue;
            for (unsigned int i = entry.node->mNumChildren; i > 0; --i)
                stack.push_back({entry.node->mChildren[i - 1], world, entry.depth + 1});
        }
    }

private:
    // False when the node's children must not be visited either. `out`, when given, learns
    // what became of the node.
    bool Visit(const aiNode* node, const aiMatrix4x4& world, LevelNodeReport* out) {
        LevelNodeReport ignored;
        LevelNodeReport& said = out ? *out : ignored;
        const std::string name = node->mName.C_Str();
        if (!IsFinite(world)) {
            said.role = LevelNodeRole::NotFinite;
            // Nothing sensible can be placed there, and the physics would choke on it.
            std::cerr << "WARNING: Node '" << name
                      << "' has a transform that is not finite, ignoring it and the nodes below it" << std::endl;
            return false;
        }
        said.world = ToMat4(world);
        if (name == "TAVO_START") {
            level.startPosition = Translation(world);
            said.role = LevelNodeRole::Start;
            return true;
        }
        if (name == "TAVO_SUN") {
            // The node looks along its local -Z axis, as lights and cameras do.
            const Vec3 along{-world.a3, -world.b3, -world.c3};
            if (Length(along) > 1e-6f && std::isfinite(Length(along))) {
                level.sunDirection = Normalize(along);
            } else {
                std::cerr << "WARNING: TAVO_SUN has no direction (its transform squashes its -Z axis), "
                             "keeping the sun straight down"
                          << std::endl;
            }
            said.role = LevelNodeRole::Sun;
            said.sunDirection = level.sunDirection;
            return true;
        }
        if (StartsWith(name, "POWERUP_MILK")) {
            level.powerUps.push_back({PowerUpNumber(name), POWERUP_KIND_MILK, Translation(world)});
            said.role = LevelNodeRole::PowerUp;
            said.powerUp = level.powerUps.back();
            return true;
        }
        if (StartsWith(name, "POWERUP_UMBRELLA")) {
            level.powerUps.push_back({PowerUpNumber(name), POWERUP_KIND_UMBRELLA, Translation(world)});
            said.role = LevelNodeRole::PowerUp;
            said.powerUp = level.powerUps.back();
            return true;
        }
        if (node->mNumMeshes == 0) {
            said.role = LevelNodeRole::NoMeshes;
            return true;
        }

        const bool isTrigger = StartsWith(name, "TRIGGER");
        std::vector<CMesh*> meshes = CreateNodeMeshes(node, scene, !isTrigger);
        if (meshes.empty()) {  // every mesh was left out, with its warning
            said.role = LevelNodeRole::NoTriangles;
            return true;
        }

        if (isTrigger) {
            auto trigger = std::make_unique<CCallbackTrigger>(std::move(meshes), BeforeFirstUnderscore(name));
            trigger->transform = ToMat4(world);
            trigger->name = name;
            ParseNameProperties(name, trigger->properties);
            said.role = LevelNodeRole::Trigger;
            said.object = trigger.get();
            level.triggers.push_back(std::move(trigger));
            return true;
        }

        auto object = std::make_unique<CSceneGeoObject>(std::move(meshes), ToMat4(world), name, Vec3(0, 0, 0));
        object->ComputeBounds();
        object->UpdateWorldCorners();
        if (StartsWith(name, "PU_")) {
            for (char c : AfterLastUnderscore(name))
                object->projectorPowerUps.push_back((c >= '0' && c <= '9') ? c - '0' : 0);
        }
        said.object = object.get();
        if (StartsWith(name, "PHYS")) {
            ParseNameProperties(name, object->properties);
            said.role = LevelNodeRole::Dynamic;
            level.dynamicObjects.push_back(std::move(object));
        } else if (!object->meshes[0]->material.normalName.empty()) {
            said.role = LevelNodeRole::NormalMapped;
            level.normalMappedObjects.push_back(std::move(object));
        } else {
            if (StartsWith(name, "CLIP")) object->clipMode = 2;
            else if (StartsWith(name, "NOCLIP")) object->clipMode = 1;
            said.role = LevelNodeRole::Static;
            level.staticObjects.push_back(std::move(object));
        }
        return true;
    }

    CLevel& level;
    const aiScene* scene;
    std::vector<LevelNodeReport>* report;
};

}  // namespace

std::unique_ptr<CLevel> ReadLevelFile(const std::string& path, const std::string& fileName, std::string& error,
                                      std::vector<LevelNodeReport>* report) {
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS, kLevelRemovedComponents);
    const aiScene* scene = ImportCollada(importer, path, kLevelImportFlags, &error);
    if (!scene || !scene->mRootNode) {
        if (error.empty()) error = "the file holds no scene";
        return nullptr;
    }
    auto level = std::make_unique<CLevel>(fileName);
    CLevelBuilder(*level, scene, report).Walk();
    return level;
}

const char* const kLevelFolder = "resources/levels/";

std::string LevelFilePath(const std::string& fileName) {
    return fileName.find('/') != std::string::npos ? fileName : ContentPath(kLevelFolder + fileName);
}

namespace {

// True when `relative` names a file in the folder it is taken from or below it: not absolute,
// no ".." step, not a folder itself. Levels are downloaded from strangers; their end triggers
// must not lead the game to open whatever file they name. A '\0' would cut the name short
// where the system reads it, so it is refused as well.
bool StaysInFolder(const std::string& relative) {
    if (relative.empty() || relative[0] == '/' || relative.find('\0') != std::string::npos) return false;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type slash = relative.find('/', start);
        const std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") return false;
        if (slash == std::string::npos) return !part.empty() && part != ".";
        start = slash + 1;
    }
}

}  // namespace

std::string NextLevelFileName(const std::string& levelFileName, const std::string& nextLevel) {
    if (!StaysInFolder(nextLevel)) return std::string();
    const std::string::size_type slash = levelFileName.rfind('/');
    if (slash == std::string::npos) {
        // A shipped level: a name with a folder in it still means a place below the shipped folder.
        return nextLevel.find('/') == std::string::npos ? nextLevel : ContentPath(kLevelFolder + nextLevel);
    }
    return levelFileName.substr(0, slash + 1) + nextLevel;
}

std::string LevelPathFromCommandLine(const std::string& argument) {
    return argument.find('/') != std::string::npos ? argument : "./" + argument;
}

bool LevelMusicNumber(const std::string& fileName, int& number) {
    const std::string::size_type dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const char digit = fileName[dot - 1];
    if (digit < '0' || digit > '9') return false;
    number = digit - '0';
    return true;
}
