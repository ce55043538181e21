// The kaleidoscope: every tile of the disc shows the same triangle of the offscreen image,
// mirrored across every edge. What a point shows is decided once, on the central tile: a
// point of it is named by its barycentric weights in that tile's Klein model (where its edges
// are straight), taken with the tile centred on the origin so that its three corners are
// alike, and shows the same mix of the texture triangle's corners. A point of another tile
// shows what its image in the central tile shows, through the tile's reflections. A point on
// an edge is fixed by the reflection across that edge, so both tiles sharing it agree.
#pragma once

#include <array>
#include <vector>

#include "vertex_centred_tiling.h"

// Weights of a triangle's corners 0, 1, 2; they add up to 1.
using Barycentric = std::array<double, 3>;

struct TexturePoint {
  double u = 0;
  double v = 0;
};

// The texture triangle: corner k of every tile shows kTextureTriangle[k]. Equilateral, as
// large as fits inside the image with a margin of 0.02, its base along the bottom (v grows
// downwards in the image) and the apex, at the centre of the disc, at the top.
inline constexpr std::array<TexturePoint, 3> kTextureTriangle = {{
    {0.5, 0.084308},  // the apex: 0.5 - 0.96 * sqrt(3) / 4
    {0.02, 0.915692},
    {0.98, 0.915692},
}};

class KaleidoscopeMap {
 public:
  explicit KaleidoscopeMap(const hyperbolic::VertexCentredTiling& tiling);

  // The point of the tile reached by `word` that shows the central tile's point `central`.
  hyperbolic::Point Carry(const std::vector<int>& word, const Barycentric& central) const;
  // The central tile's point that the point `position` of the tile reached by `word` shows.
  Barycentric Shown(const std::vector<int>& word, hyperbolic::Point position) const;
  // The texture point shown at the central tile's point `central`.
  static TexturePoint Texture(const Barycentric& central);
  // Drawn as a straight piece between the points a and b of the tile reached by `word`, the
  // texture is interpolated evenly between theirs: how far from the piece's middle the texture
  // point drawn there truly lies.
  double Stray(const std::vector<int>& word, hyperbolic::Point a, hyperbolic::Point b) const;

  // The point with barycentric weights `weights` in the Klein model of the disc as it is
  // drawn, in the triangle whose corners are `corners`: the tile's points spread about evenly
  // over it, unlike the central tile's weights carried there, which crowd where the tile has
  // been moved the furthest.
  static hyperbolic::Point Place(const std::array<hyperbolic::Point, 3>& corners, const Barycentric& weights);

 private:
  const hyperbolic::VertexCentredTiling& tiling_;
  std::array<hyperbolic::Point, 3> kleinCorners_;  // of the tile-centred central tile
};
