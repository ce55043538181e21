// Face adjacency of a built mesh: across each triangle edge, the neighbouring triangle.
#pragma once

#include <vector>

#include "gfxsupport/meshes/mesh_builder.h"

namespace gfx::meshes {

constexpr DWORD kNoNeighbourFace = 0xFFFFFFFF;

// Three entries per triangle, for its edges (0,1), (1,2) and (2,0): the triangle across that
// edge, or kNoNeighbourFace. Two triangles are neighbours across an edge whose end points have
// exactly equal positions. Triangles that share one edge in larger numbers are paired two at a
// time, in face order.
std::vector<DWORD> ComputeAdjacency(const BuiltMesh& mesh);

}  // namespace gfx::meshes
