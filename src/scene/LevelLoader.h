#pragma once
// Reads a level file into a CLevel: imports the Collada scene, walks its node tree depth-first
// with the world matrix, and sorts the nodes by name (start, sun, power-up markers, triggers,
// movable bodies, normal-mapped, invisible and decorative scenery). Nothing here touches the
// GPU or the physics: the play state does that once the level is made current.

#include <memory>
#include <string>

#include "scene/Level.h"

// Post-processing for level files: tangents, joined vertices, triangles, components removed as
// "PP_RVC_FLAGS" says, normals, validation, cache locality, redundant materials, invalid data,
// UV coordinates and transforms, merged meshes. No graph optimisation: every node keeps its
// name, which is what gives it its meaning.
const unsigned int kLevelImportFlags = 0x2E1C3B;
// Components removed on import: cameras, animations and bone weights.
const int kLevelRemovedComponents = 0x260;

// The level in `path`, or null when the file cannot be imported; `error` then holds the
// importer's reason. `fileName` is what the level remembers (for reloading).
std::unique_ptr<CLevel> ReadLevelFile(const std::string& path, const std::string& fileName, std::string& error);
