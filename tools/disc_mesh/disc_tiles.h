// The tiles of the disc mesh: the {3,8} tiling with a vertex at the centre, out to where its
// triangles are too small to show, with the tiling's vertices and edges numbered once so
// that tiles sharing them can find each other.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "vertex_centred_tiling.h"

struct DiscTile {
  std::vector<int> word;  // the reflections taking the central tile here
  bool mirrored = false;  // an odd number of reflections turns the tile over
  // Tiling vertices at corners 0, 1, 2; corner k is the central tile's vertex k carried here,
  // so it has label k wherever it appears.
  std::array<uint32_t, 3> corners{};
  // Edge k joins corners k and (k + 1) % 3.
  std::array<uint32_t, 3> edges{};
};

struct DiscTiles {
  std::vector<DiscTile> tiles;
  std::vector<hyperbolic::Point> vertices;  // tiling vertices, as first met
  size_t edgeCount = 0;
};

// Every tile reached from the central one through tiles whose longest side is at least
// `smallestSide` long in the disc.
DiscTiles CollectDiscTiles(const hyperbolic::VertexCentredTiling& tiling, double smallestSide);
