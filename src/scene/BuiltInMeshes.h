#pragma once
// Meshes the game builds in code rather than reading from files. All are triangle lists with
// vertex, face and index counts set; only the ground grid has normals.

#include <memory>

#include "scene/Mesh.h"

// Textured unit cube around the origin, counter-clockwise seen from outside.
std::unique_ptr<CMesh> CreateCubeMesh();
// The same eight corners with every triangle reversed, to be seen from inside (the sky box).
std::unique_ptr<CMesh> CreateSkyCubeMesh();
// Unit quad in the xy plane, centred on the origin.
std::unique_ptr<CMesh> CreateUnitQuadMesh();
// Quad covering normalised device coordinates -1..1, for full-screen pictures.
std::unique_ptr<CMesh> CreateScreenQuadMesh();
// 500 x 500 cells of four vertices each around the origin in the xz plane, normals up:
// 1,000,000 vertices (68 MB) and 1,500,000 indices.
std::unique_ptr<CMesh> CreateGroundGridMesh();
