#pragma once
// Reads a level file into a CLevel: imports the Collada scene, walks its node tree depth-first
// with the world matrix, and sorts the nodes by name (start, sun, power-up markers, triggers,
// movable bodies, normal-mapped, invisible and decorative scenery). Nothing here touches the
// GPU or the physics: the play state does that once the level is made current.

#include <memory>
#include <string>
#include <vector>

#include "scene/Level.h"

// Post-processing for level files: tangents, joined vertices, triangles, components removed as
// "PP_RVC_FLAGS" says, normals, validation, cache locality, redundant materials, invalid data,
// UV coordinates and transforms, merged meshes. No graph optimisation: every node keeps its
// name, which is what gives it its meaning.
const unsigned int kLevelImportFlags = 0x2E1C3B;
// Components removed on import: cameras, animations and bone weights.
const int kLevelRemovedComponents = 0x260;

// What the reader made of one node of the file, in the order the nodes were visited. Tools
// that explain a level to its designer ask for these; the game does not.
enum class LevelNodeRole {
    Start,         // TAVO_START: the player's start, no object
    Sun,           // TAVO_SUN: the sun's direction, no object
    PowerUp,       // POWERUP_MILK / POWERUP_UMBRELLA marker, no object
    NoMeshes,      // ignored; its children are still read
    NoTriangles,   // it has meshes, but none with a triangle: ignored
    NotFinite,     // its transform is not finite: left out with every node below it
    Trigger,       // in `triggers`
    Dynamic,       // in `dynamicObjects` ("PHYS")
    NormalMapped,  // in `normalMappedObjects`
    Static,        // in `staticObjects`, `clipMode` says drawn and / or solid
};

struct LevelNodeReport {
    std::string name;
    int depth = 0;  // 0 for the file's root node
    LevelNodeRole role = LevelNodeRole::NoMeshes;
    Mat4 world;     // the node's world transform (column-major); identity for NotFinite
    Vec3 sunDirection;     // Sun: the way sunlight travels after this node (unchanged when it has no direction)
    PowerUpSpawn powerUp;  // PowerUp: the marker as the level holds it
    const CSceneGeoObject* object = nullptr;  // what the level holds for the node, if anything
    // What the reader, the mesh conversion and the material reader had to say about the node,
    // without the "WARNING: " prefix.
    std::vector<std::string> warnings;
};

// The level in `path`, or null when the file cannot be imported; `error` then holds the
// importer's reason. `fileName` is what the level remembers (for reloading). With `report`,
// every node visited gets its entry there, and the warnings about nodes go into the entries
// instead of onto the standard streams.
std::unique_ptr<CLevel> ReadLevelFile(const std::string& path, const std::string& fileName, std::string& error,
                                      std::vector<LevelNodeReport>* report = nullptr);

// The folder of the shipped levels, relative to the game's working folder.
extern const char* const kLevelFolder;
// Where the game opens a level: a name with a '/' is a path, opened as given (a level a
// designer starts with --level); any other name is a file of the shipped folder.
std::string LevelFilePath(const std::string& fileName);
// What the game loads when the level `levelFileName` ends in a TRIGGEREND with "nextlevel"
// `nextLevel`: a shipped level's successor is shipped too; the successor of a level given
// by path lies beside that level. Empty when `nextLevel` would lead out of that folder (an
// absolute path, a ".." step) or names no file: such a level end loads nothing.
std::string NextLevelFileName(const std::string& levelFileName, const std::string& nextLevel);
// A level file named on a command line is a path, even without a folder ("mylevel.dae").
std::string LevelPathFromCommandLine(const std::string& argument);
// The music number of a level: the digit just before the last '.' of its file name
// ("level3.dae" plays music 3). False when there is none.
bool LevelMusicNumber(const std::string& fileName, int& number);
