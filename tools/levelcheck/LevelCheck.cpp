#include "LevelCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "math/Matrix.h"
#include "platform/DataPaths.h"
#include "scene/Level.h"
#include "scene/LevelLoader.h"
#include "scene/LevelNames.h"
#include "scene/Mesh.h"

namespace {

// The physics world's broadphase ends here on every axis.
const float kPhysicsBound = 2000.0f;
// The sun's shadow map covers about this far around the origin (x and z); beyond it nothing
// casts or receives a drawn shadow.
const float kShadowReach = 100.0f;
// Editors keep names this long; longer ones get cut on the way through them.
const std::size_t kLongestName = 63;
const char* const kTextureFolder = "resources/textures/";
const char* const kSoundFolder = "resources/sounds/";
const char* const kFileNode = "(file)";

// The folder the content is read from, named whole in the findings: the content root, or the
// working folder when that holds the content.
std::string ContentFolder() {
    if (!ContentRoot().empty()) return ContentRoot();
    std::error_code ignored;
    const std::string working = std::filesystem::current_path(ignored).string();
    return working.empty() || working.back() == '/' ? working : working + "/";
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string Number(double value) {
    if (!std::isfinite(value)) return value != value ? "nan" : (value > 0 ? "inf" : "-inf");
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", std::fabs(value) < 5e-7 ? 0.0 : value);
    return text;
}

std::string Text(const Vec3& v) { return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")"; }
std::string JsonNumber(double value) { return std::isfinite(value) ? Number(value) : "null"; }
std::string JsonVec3(const Vec3& v) {
    return "[" + JsonNumber(v.x) + ", " + JsonNumber(v.y) + ", " + JsonNumber(v.z) + "]";
}

Vec3 Translation(const Mat4& world) { return {world[12], world[13], world[14]}; }

struct Box {
    Vec3 lo{INFINITY, INFINITY, INFINITY};
    Vec3 hi{-INFINITY, -INFINITY, -INFINITY};
    bool finite = true;
    bool empty = true;
    void Add(const Vec3& p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            finite = false;
            return;
        }
        empty = false;
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    void Add(const Box& other) {
        if (other.empty) return;
        Add(other.lo);
        Add(other.hi);
    }
};

Box WorldBox(const CSceneObject& object) {
    Box box;
    for (const Vec3& corner : object.worldCorners) box.Add(corner);
    return box;
}

// Where the sun stands, seen from the level: "the east, 45° up".
std::string SunPlace(const Vec3& travel) {
    const Vec3 towards = travel * -1.0f;
    const double elevation = std::asin(std::max(-1.0f, std::min(1.0f, towards.y))) * 180.0 / M_PI;
    std::string where;
    if (std::hypot(towards.x, towards.z) > 1e-3) {
        // North is -Z, east +X.
        static const char* const kPoints[8] = {"north", "north-east", "east", "south-east",
                                               "south", "south-west", "west", "north-west"};
        const double bearing = std::atan2(towards.x, -towards.z) * 180.0 / M_PI;
        const int index = static_cast<int>(std::lround((bearing < 0 ? bearing + 360.0 : bearing) / 45.0)) % 8;
        where = std::string("from the ") + kPoints[index] + ", ";
    } else {
        where = "straight ";
    }
    return where + Number(std::round(elevation)) + "\u00b0 " + (elevation >= 0 ? "up" : "below the horizon");
}

class CLevelChecker {
public:
    explicit CLevelChecker(const std::string& path) { check.file = path; }

    LevelCheck Run() {
        std::string error;
        std::vector<LevelNodeReport> reports;
        level = ReadLevelFile(check.file, check.file, error, &reports);
        if (!level) {
            Add(kFileNode, Severity::Error, "not a Collada scene: " + WhatTheFileIs() + " (" + error + ")");
            return check;
        }
        check.read = true;
        // The game gives triggers no bounds (the physics reads their meshes); the checks need them.
        for (const auto& trigger : level->triggers) {
            trigger->ComputeBounds();
            trigger->UpdateWorldCorners();
        }
        for (const LevelNodeReport& report : reports) Node(report);
        Level();
        return check;
    }

private:
    // A first look at a file the importer refused, in the designer's words.
    std::string WhatTheFileIs() const {
        std::error_code failed;
        if (!std::filesystem::exists(check.file, failed)) return "there is no such file";
        if (!std::filesystem::is_regular_file(check.file, failed)) return "it is not a plain file";
        std::ifstream in(check.file, std::ios::binary);
        std::string head(4096, '\0');
        in.read(&head[0], static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        if (head.empty()) return "the file is empty";
        if (head.find('<') == std::string::npos) return "the file is not XML";
        if (head.find("<COLLADA") == std::string::npos) return "XML, but not a Collada document";
        std::ifstream whole(check.file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
        if (text.find("</COLLADA>") == std::string::npos) return "the Collada document is cut off (truncated)";
        if (text.find("<instance_visual_scene") == std::string::npos)
            return "a Collada document without a scene (no <scene> with an <instance_visual_scene>)";
        return "the importer refused the Collada document";
    }

    void Add(const std::string& node, Severity severity, const std::string& text) {
        check.findings.push_back({node, severity, text});
    }

    void Node(const LevelNodeReport& report) {
        CheckedNode node;
        node.name = report.name;
        node.depth = report.depth;
        const CSceneGeoObject* object = report.object;
        switch (report.role) {
            case LevelNodeRole::Start:
                node.kind = "start";
                node.description = "start: the player's origin at " + Text(Translation(report.world));
                node.fields.push_back({"position", JsonVec3(Translation(report.world))});
                starts.push_back(Translation(report.world));
                points.push_back({report.name, Translation(report.world)});
                break;
            case LevelNodeRole::Sun:
                node.kind = "sun";
                node.description = "sun: light travels along " + Text(report.sunDirection) + ", " +
                                   SunPlace(report.sunDirection);
                node.fields.push_back({"direction", JsonVec3(report.sunDirection)});
                ++suns;
                break;
            case LevelNodeRole::PowerUp: {
                const bool milk = report.powerUp.kind == POWERUP_KIND_MILK;
                node.kind = "power-up";
                node.description = std::string("power-up: ") + (milk ? "milk" : "umbrella") + " number " +
                                   std::to_string(report.powerUp.number) + " at " + Text(report.powerUp.position);
                node.fields.push_back({"powerup", JsonString(milk ? "milk" : "umbrella")});
                node.fields.push_back({"number", std::to_string(report.powerUp.number)});
                node.fields.push_back({"position", JsonVec3(report.powerUp.position)});
                const auto used = powerUpNumbers.find(report.powerUp.number);
                if (used != powerUpNumbers.end()) {
                    Add(report.name, Severity::Error,
                        "power-up number " + std::to_string(report.powerUp.number) + " is already used by '" +
                            used->second + "'; the game leaves this one out");
                } else {
                    powerUpNumbers[report.powerUp.number] = report.name;
                }
                points.push_back({report.name, report.powerUp.position});
                break;
            }
            case LevelNodeRole::NoMeshes:
                node.kind = "ignored";
                node.description = "ignored: no meshes (its children are read)";
                for (const char* meaningful : {"TRIGGER", "PHYS", "CLIP", "NOCLIP", "PU_"})
                    if (StartsWith(report.name, meaningful))
                        Add(report.name, Severity::Warning,
                            std::string("starts with ") + meaningful + " but has no mesh, so the game ignores it");
                break;
            case LevelNodeRole::NoTriangles:
                node.kind = "ignored";
                node.description = "ignored: none of its meshes has a triangle";
                break;
            case LevelNodeRole::NotFinite:
                node.kind = "left out";
                node.description = "left out with every node below it: its transform is not finite";
                break;
            case LevelNodeRole::Trigger:
                node.kind = "trigger";
                Trigger(report, node);
                break;
            case LevelNodeRole::Dynamic: {
                node.kind = "dynamic";
                float mass = 1.0f;
                const bool massRead = ReadMassProperty(object->properties, mass);
                const bool convex = ReadConvexProperty(object->properties);
                node.description = "dynamic: mass " + Number(mass) + (mass == 0.0f ? " (fixed)" : "") + ", " +
                                   (convex ? "convex hull of its first mesh"
                                           : "1 x 1 x 1 box from z = 0 to 1 in its own space");
                node.fields.push_back({"mass", JsonNumber(mass)});
                node.fields.push_back({"shape", JsonString(convex ? "convex" : "box")});
                const auto written = object->properties.find("mass");
                if (!massRead) {
                    Add(report.name, Severity::Error,
                        "mass '" + written->second + "' is not a number; the game uses 1");
                } else if (!(mass >= 0.0f) || !std::isfinite(mass)) {
                    Add(report.name, Severity::Error,
                        "mass " + written->second + " is negative; the physics uses 1");
                }
                const auto shape = object->properties.find("convex");
                if (shape != object->properties.end() && shape->second != "true")
                    Add(report.name, Severity::Warning,
                        "convex '" + shape->second + "' is not \"true\", so the body is a box");
                Properties(report.name);
                break;
            }
            case LevelNodeRole::NormalMapped:
                node.kind = "normal-mapped";
                node.description = "static, normal-mapped: drawn with bump mapping and solid";
                break;
            case LevelNodeRole::Static:
                if (object->clipMode == 2) {
                    node.kind = "clip";
                    node.description = "CLIP: solid, never drawn";
                } else if (object->clipMode == 1) {
                    node.kind = "noclip";
                    node.description = "NOCLIP: drawn, not solid (casts no protecting shade)";
                } else {
                    node.kind = "static";
                    node.description = "static: drawn and solid";
                }
                break;
        }
        if (object) Object(report, *object, node);
        if (report.name.size() > kLongestName)
            Add(report.name.substr(0, 40) + "...", Severity::Warning,
                "name is " + std::to_string(report.name.size()) +
                    " characters long; editors cut names at 63, so keep them shorter");
        for (const std::string& warning : report.warnings) Add(report.name, Severity::Warning, warning);
        if (!report.warnings.empty()) {
            std::string list = "[";
            for (const std::string& warning : report.warnings) list += (list.size() > 1 ? ", " : "") + JsonString(warning);
            node.fields.push_back({"readerWarnings", list + "]"});
        }
        check.nodes.push_back(std::move(node));
    }

    void Trigger(const LevelNodeReport& report, CheckedNode& node) {
        const auto* trigger = dynamic_cast<const CSceneTrigger*>(report.object);
        const std::string type = trigger ? trigger->triggerType : BeforeFirstUnderscore(report.name);
        node.fields.push_back({"trigger", JsonString(type)});
        triggerObjects.insert(report.object);
        if (type == "TRIGGEREND") {
            ++endTriggers;
            const auto next = report.object->properties.find("nextlevel");
            if (next == report.object->properties.end()) {
                node.description = "trigger TRIGGEREND: ends the level and wins the game (no next level)";
            } else if (NextLevelFileName(check.file, next->second).empty()) {
                node.description = "trigger TRIGGEREND: ends the level, next level " + next->second +
                                   " (refused: not a file in the level's folder)";
                node.fields.push_back({"nextlevel", JsonString(next->second)});
                Add(report.name, Severity::Error,
                    "next level '" + next->second +
                        "' is not a file in the level's folder (an absolute path or a '..' step); the game "
                        "will not load it");
            } else {
                const std::string nextPath = LevelFilePath(NextLevelFileName(check.file, next->second));
                node.description = "trigger TRIGGEREND: ends the level, next level " + next->second + " (" +
                                   nextPath + ")";
                node.fields.push_back({"nextlevel", JsonString(next->second)});
                node.fields.push_back({"nextlevelPath", JsonString(nextPath)});
                if (FileExists(nextPath)) {
                    if (std::find(check.nextLevels.begin(), check.nextLevels.end(), nextPath) == check.nextLevels.end())
                        check.nextLevels.push_back(nextPath);
                    nextTriggers.push_back({report.name, nextPath});
                } else {
                    Add(report.name, Severity::Error,
                        "next level '" + next->second + "' does not exist beside the level (" + nextPath + ")");
                }
            }
        } else if (type == "TRIGGERKILL") {
            node.description = "trigger TRIGGERKILL: kills the player";
            killTriggers.insert(report.object);
        } else {
            node.description = "trigger " + type + ": does nothing";
        }
        Properties(report.name);
    }

    // Names whose properties the game reads: say what a misspelling makes of them.
    void Properties(const std::string& name) {
        const NameProperties split = SplitNameProperties(name);
        if (!name.empty() && name.back() == '_')
            Add(name, Severity::Warning, "name ends with '_'");
        if (split.hasKeyWithoutValue && !split.keyWithoutValue.empty())
            Add(name, Severity::Warning, "key '" + split.keyWithoutValue + "' has no value and is ignored");
        std::map<std::string, std::string> seen;
        for (const auto& pair : split.pairs) {
            if (pair.first.empty())
                Add(name, Severity::Warning, "empty key (two '_' in a row?) with value '" + pair.second + "'");
            else if (pair.second.empty() && !(name.back() == '_' && &pair == &split.pairs.back()))
                Add(name, Severity::Warning, "key '" + pair.first + "' has an empty value");
            const auto before = seen.find(pair.first);
            if (before != seen.end() && !pair.first.empty())
                Add(name, Severity::Warning,
                    "key '" + pair.first + "' is given twice; the game keeps the last value '" +
                        ParsedValue(name, pair.first) + "'");
            seen[pair.first] = pair.second;
        }
    }

    static std::string ParsedValue(const std::string& name, const std::string& key) {
        std::map<std::string, std::string> properties;
        ParseNameProperties(name, properties);
        return properties[key];
    }

    void Object(const LevelNodeReport& report, const CSceneGeoObject& object, CheckedNode& node) {
        if (!object.projectorPowerUps.empty()) {
            std::string list, json;
            for (int32_t number : object.projectorPowerUps) {
                list += (list.empty() ? "" : ", ") + std::to_string(number);
                json += (json.empty() ? "" : ", ") + std::to_string(number);
            }
            node.description += "; shows the stars of power-ups " + list;
            node.fields.push_back({"projector", "[" + json + "]"});
            projectors.push_back({report.name, object.projectorPowerUps});
        }
        const bool drawn = object.clipMode != 2 && report.role != LevelNodeRole::Trigger;
        const bool solid = object.clipMode != 1 && report.role != LevelNodeRole::Trigger;
        if (drawn) {
            for (const CMesh* mesh : object.meshes)
                for (const std::string* texture :
                     {&mesh->material.diffuseName, &mesh->material.specularName, &mesh->material.normalName})
                    if (!texture->empty() && !FileExists(ContentPath(kTextureFolder + *texture)) && reportedTextures.insert(report.name + "\n" + *texture).second)
                        Add(report.name, Severity::Error, "texture '" + *texture + "' is not in " + ContentFolder() + kTextureFolder);
        }
        if (solid && object.meshes.size() > 1)
            Add(report.name, Severity::Warning,
                "has " + std::to_string(object.meshes.size()) +
                    " meshes (materials); the physics collides with the first only");
        const Box box = WorldBox(object);
        node.fields.push_back({"boundsMin", JsonVec3(box.lo)});
        node.fields.push_back({"boundsMax", JsonVec3(box.hi)});
        objects.push_back({report.name, box, drawn, report.object});
    }

    void Level() {
        if (starts.empty())
            Add("TAVO_START", Severity::Error, "no TAVO_START node: the player would start at the origin");
        if (starts.size() > 1)
            Add("TAVO_START", Severity::Error,
                std::to_string(starts.size()) + " TAVO_START nodes; the game starts the player at the last one, " +
                    Text(starts.back()));
        if (endTriggers == 0)
            Add("TRIGGEREND", Severity::Error, "no TRIGGEREND trigger with a mesh: the level cannot be finished");
        if (suns == 0) Add("TAVO_SUN", Severity::Warning, "no TAVO_SUN node: the sun stands straight overhead");
        if (suns > 1)
            Add("TAVO_SUN", Severity::Warning,
                std::to_string(suns) + " TAVO_SUN nodes; the game uses the last one");
        for (const auto& projector : projectors)
            for (int32_t number : std::set<int32_t>(projector.second.begin(), projector.second.end()))
                if (!powerUpNumbers.count(number))
                    Add(projector.first, Severity::Error,
                        "shows the star of power-up " + std::to_string(number) + ", which the level does not have" +
                            (number == 0 ? " (a character after the last '_' that is not a digit reads as 0)" : ""));
        Bounds();
        KillVolume();
        StartInsideTrigger();
        Music();
    }

    // A trigger is a hollow mesh: the physics reports the player when its shape touches the
    // trigger's faces, so a player who starts wholly inside one never enters it.
    void StartInsideTrigger() {
        if (starts.empty()) return;
        const Vec3& start = starts.back();
        for (const auto& object : objects) {
            if (!triggerObjects.count(object.source) || object.box.empty || !object.box.finite) continue;
            const Box& b = object.box;
            if (start.x < b.lo.x || start.x > b.hi.x || start.y < b.lo.y || start.y > b.hi.y || start.z < b.lo.z ||
                start.z > b.hi.z)
                continue;
            Add(object.name, Severity::Warning,
                "the start point " + Text(start) +
                    " lies inside this trigger's bounds; a trigger reacts only when the player touches its "
                    "faces, so a player who starts wholly inside never sets it off");
        }
    }

    void Bounds() {
        auto beyondPhysics = [](const Box& box) {
            return !box.finite || std::max({std::fabs(box.lo.x), std::fabs(box.lo.y), std::fabs(box.lo.z),
                                            std::fabs(box.hi.x), std::fabs(box.hi.y), std::fabs(box.hi.z)}) >
                                      kPhysicsBound;
        };
        auto range = [](const Box& box) { return "from " + Text(box.lo) + " to " + Text(box.hi); };
        for (const auto& object : objects) {
            if (beyondPhysics(object.box)) {
                Add(object.name, Severity::Error,
                    object.box.finite ? "reaches beyond the physics world's \u00b12000 units, " + range(object.box)
                                      : std::string("has a vertex that is not a finite number, so the physics "
                                                    "world cannot hold it"));
                continue;
            }
            if (!object.drawn || object.box.empty) continue;
            const Box& b = object.box;
            if (std::max({std::fabs(b.lo.x), std::fabs(b.hi.x), std::fabs(b.lo.z), std::fabs(b.hi.z)}) > kShadowReach)
                Add(object.name, Severity::Warning,
                    "reaches beyond the \u00b1100 units around the origin that the sun's shadow map covers "
                    "(no shadows are drawn there), " +
                        range(object.box));
        }
        for (const auto& point : points) {
            Box box;
            box.Add(point.second);
            if (beyondPhysics(box))
                Add(point.first, Severity::Error, "stands beyond the physics world's \u00b12000 units, at " +
                                                      Text(point.second));
        }
    }

    void KillVolume() {
        Box level_;
        for (const auto& object : objects)
            if (!killTriggers.count(object.source) && object.box.finite) level_.Add(object.box);
        for (const auto& point : points) level_.Add(point.second);
        if (level_.empty) return;
        for (const auto& object : objects) {
            if (!killTriggers.count(object.source) || object.box.empty) continue;
            const Box& kill = object.box;
            if (kill.hi.y < level_.lo.y && kill.lo.x <= level_.lo.x && kill.lo.z <= level_.lo.z &&
                kill.hi.x >= level_.hi.x && kill.hi.z >= level_.hi.z)
                return;
        }
        Add("TRIGGERKILL", Severity::Warning,
            "no TRIGGERKILL volume under the whole level (below " + Number(level_.lo.y) + ", spanning x " +
                Number(level_.lo.x) + " to " + Number(level_.hi.x) + " and z " + Number(level_.lo.z) + " to " +
                Number(level_.hi.z) + "): a player who falls off falls forever");
    }

    void Music() {
        int number = 0;
        if (!LevelMusicNumber(check.file, number)) {
            Add(kFileNode, Severity::Warning,
                "the file name has no digit before its extension, so the level has no music number and the "
                "music goes on as it was");
            return;
        }
        const std::string music = ContentPath(std::string(kSoundFolder) + "music" + std::to_string(number) + ".mp3");
        if (!FileExists(music))
            Add(kFileNode, Severity::Warning,
                "music number " + std::to_string(number) + " has no music file (" + ContentFolder() +
                    kSoundFolder + "music" + std::to_string(number) + ".mp3)");
    }

    struct PlacedObject {
        std::string name;
        Box box;
        bool drawn;
        const CSceneObject* source;
    };

    LevelCheck check;
    std::unique_ptr<CLevel> level;
    std::vector<Vec3> starts;
    int suns = 0;
    int endTriggers = 0;
    std::map<int32_t, std::string> powerUpNumbers;
    std::vector<std::pair<std::string, std::vector<int32_t>>> projectors;
    std::vector<std::pair<std::string, Vec3>> points;
    std::vector<PlacedObject> objects;
    std::set<const CSceneObject*> killTriggers;
    std::set<const CSceneObject*> triggerObjects;
    std::set<std::string> reportedTextures;

public:
    std::vector<std::pair<std::string, std::string>> nextTriggers;  // trigger name, next level path
};

std::string SeverityName(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

std::string Identity(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

}  // namespace

int LevelCheck::Count(Severity severity) const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [&](const Finding& f) { return f.severity == severity; }));
}

LevelCheck CheckLevelFile(const std::string& path) { return CLevelChecker(path).Run(); }

std::vector<LevelCheck> CheckLevels(const std::vector<std::string>& paths, bool follow) {
    std::vector<LevelCheck> checks;
    std::map<std::string, std::size_t> checked;  // identity -> index in `checks`
    std::vector<std::string> way;                // identities of the chain that led here
    std::function<void(const std::string&)> visit = [&](const std::string& path) {
        const std::string id = Identity(path);
        if (checked.count(id)) return;
        CLevelChecker checker(path);
        checked[id] = checks.size();
        checks.push_back(checker.Run());
        const std::size_t index = checks.size() - 1;
        way.push_back(id);
        for (const auto& next : checker.nextTriggers) {
            const std::string nextId = Identity(next.second);
            const auto onWay = std::find(way.begin(), way.end(), nextId);
            if (onWay != way.end()) {
                std::string loop;
                for (auto it = onWay; it != way.end(); ++it)
                    loop += checks[checked[*it]].file + " -> ";
                checks[index].findings.push_back(
                    {next.first, Severity::Warning,
                     "the chain of next levels loops back on itself (" + loop + next.second +
                         "): the game cannot be finished"});
                continue;
            }
            if (follow) visit(next.second);
        }
        way.pop_back();
    };
    for (const std::string& path : paths) visit(path);
    return checks;
}

std::string FindingLine(const std::string& file, const Finding& finding) {
    return file + ": " + finding.node + ": " + SeverityName(finding.severity) + ": " + finding.text;
}

std::string TextReport(const std::vector<LevelCheck>& checks) {
    std::ostringstream out;
    int errors = 0, warnings = 0;
    for (const LevelCheck& check : checks) {
        out << check.file << (check.read ? ": " + std::to_string(check.nodes.size()) + " nodes" : "") << "\n";
        for (const CheckedNode& node : check.nodes)
            out << std::string(static_cast<std::size_t>(2 + 2 * node.depth), ' ') << node.name << ": "
                << node.description << "\n";
        for (const Finding& finding : check.findings) out << FindingLine(check.file, finding) << "\n";
        errors += check.Count(Severity::Error);
        warnings += check.Count(Severity::Warning);
        out << "\n";
    }
    out << checks.size() << (checks.size() == 1 ? " level, " : " levels, ") << errors
        << (errors == 1 ? " error, " : " errors, ") << warnings << (warnings == 1 ? " warning" : " warnings") << "\n";
    return out.str();
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string JsonReport(const std::vector<LevelCheck>& checks) {
    std::ostringstream out;
    int errors = 0, warnings = 0;
    out << "{\n  \"levels\": [";
    for (std::size_t l = 0; l < checks.size(); ++l) {
        const LevelCheck& check = checks[l];
        out << (l ? "," : "") << "\n    {\n      \"file\": " << JsonString(check.file)
            << ",\n      \"read\": " << (check.read ? "true" : "false") << ",\n      \"nodes\": [";
        for (std::size_t n = 0; n < check.nodes.size(); ++n) {
            const CheckedNode& node = check.nodes[n];
            out << (n ? "," : "") << "\n        {\"name\": " << JsonString(node.name) << ", \"depth\": " << node.depth
                << ", \"kind\": " << JsonString(node.kind) << ", \"description\": " << JsonString(node.description);
            for (const auto& field : node.fields) out << ", " << JsonString(field.first) << ": " << field.second;
            out << "}";
        }
        out << (check.nodes.empty() ? "" : "\n      ") << "],\n      \"findings\": [";
        for (std::size_t f = 0; f < check.findings.size(); ++f) {
            const Finding& finding = check.findings[f];
            out << (f ? "," : "") << "\n        {\"node\": " << JsonString(finding.node)
                << ", \"severity\": " << JsonString(SeverityName(finding.severity))
                << ", \"text\": " << JsonString(finding.text)
                << ", \"line\": " << JsonString(FindingLine(check.file, finding)) << "}";
        }
        out << (check.findings.empty() ? "" : "\n      ") << "],\n      \"nextLevels\": [";
        for (std::size_t i = 0; i < check.nextLevels.size(); ++i)
            out << (i ? ", " : "") << JsonString(check.nextLevels[i]);
        out << "],\n      \"errors\": " << check.Count(Severity::Error)
            << ",\n      \"warnings\": " << check.Count(Severity::Warning) << "\n    }";
        errors += check.Count(Severity::Error);
        warnings += check.Count(Severity::Warning);
    }
    out << (checks.empty() ? "" : "\n  ") << "],\n  \"errors\": " << errors << ",\n  \"warnings\": " << warnings
        << "\n}\n";
    return out.str();
}
