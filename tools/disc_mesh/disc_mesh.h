// The disc mesh of the kaleidoscope (raw data 118): the {3,8} tiling of the unit disc with a
// vertex at the centre, every tile showing the same texture triangle mirrored across its
// edges. Large tiles near the centre are cut finely enough for their curved edges and the
// uneven pace of the texture to look smooth; tiles near the rim are single triangles, and
// those smaller than about a pixel at the closest view are left out (the mask covers the rim).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kaleidoscope_map.h"

struct DiscMeshVertex {
  hyperbolic::Point position;  // z = 0
  TexturePoint texture;
};

struct DiscMesh {
  std::vector<DiscMeshVertex> vertices;
  // Clockwise seen from -z with x right and y up, as the saver's camera sees the disc.
  std::vector<std::array<uint32_t, 3>> triangles;
};

struct DiscMeshShape {
  // At the closest view the disc's radius 1 spans about 495 pixels of a 1080-line screen, so
  // a pixel is about 0.002.
  double smallestSide = 0.002;  // tiles with every side shorter are left out
  double tolerance = 0.0015;    // how far a straight piece may stray from the true picture: 3/4 pixel
  int maxSplits = 64;           // pieces per edge at most
};

DiscMesh BuildDiscMesh(const DiscMeshShape& shape = {});

// The tiling the disc mesh is made of: {3,8}, vertex 0 of the central tile at the centre and
// vertex 1 on the positive x axis.
const hyperbolic::VertexCentredTiling& DiscTiling();
