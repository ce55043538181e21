// The triangles one tile is drawn with, made to fit the pieces its three edges are cut into.
// Each edge decides its own count (edge_splitting.h), so the two tiles sharing an edge cut it
// at the same points and the mesh has no cracks and no T-junctions. Inside, the tile is a
// regular grid as fine as its finest edge, joined to each edge by a strip.
#pragma once

#include <array>
#include <vector>

#include "kaleidoscope_map.h"

// Names a point so that tiles sharing a corner or an edge name it alike.
struct FillPoint {
  enum class Place { kCorner, kEdge, kInside };
  Place place = Place::kInside;
  int index = 0;          // the corner or the edge
  int step = 0;           // on an edge: how many pieces from its lower-numbered corner
  Barycentric weights{};  // of the tile's corners
};

struct TileFilling {
  std::vector<FillPoint> points;
  // Indices into points, turning the way corners 0, 1, 2 of the tile do.
  std::vector<std::array<int, 3>> triangles;
};

// Edge k joins corner k and corner (k + 1) % 3 and is cut into edgeSplits[k] >= 1 pieces.
TileFilling FillTile(const std::array<int, 3>& edgeSplits);
