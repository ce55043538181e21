// Merging a further Mesh of the same file into the one kept so far.
#pragma once

#include <vector>

#include "gfxsupport/meshes/mesh_builder.h"

namespace gfx::meshes {

// Appends next to kept: its vertices and triangles follow kept's, its indices move up by
// kept's vertex count, its attribute ids by kept's material count and its adjacency entries by
// kept's triangle count. When the two vertex layouts differ, the merged one holds position and
// every element of normal, colour and texture set 0 that either had; values no standard
// element holds are dropped then, and a missing element reads as zero (colour: opaque white).
void MergeMesh(BuiltMesh&& next, std::vector<DWORD>&& nextAdjacency, BuiltMesh* kept,
               std::vector<DWORD>* keptAdjacency);

}  // namespace gfx::meshes
