// The regular tiling {p,q} seen from one of its vertices: the tiling of hyperbolic_tiling.h
// moved by the disc isometry that takes vertex 0 of its central tile to the origin, so that q
// tiles meet at the centre of the disc and the picture has their q-fold mirror symmetry
// there. Words, tiles and vertex order are those of the tile-centred tiling; only the points
// move.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "disc_isometry.h"
#include "hyperbolic_tiling.h"

namespace hyperbolic {

class VertexCentredTiling {
 public:
  // Refuses what Tiling::Create refuses. `rotation` turns the tiling about the origin; with
  // 0, vertex 1 of the central tile lies on the positive real axis.
  static std::optional<VertexCentredTiling> Create(int sides, int tilesAtVertex, double rotation = 0);

  // The same tiling centred on a tile, and the isometry that moves it here.
  const Tiling& tileCentred() const { return tileCentred_; }
  const DiscIsometry& move() const { return move_; }

  // The central tile's vertices; vertex 0 is the origin.
  const std::vector<Point>& vertices() const { return vertices_; }

  // Applies the reflections of a word (last first) to a point.
  Point Apply(const std::vector<int>& word, Point z) const;
  // Reflects z into the central tile; z must lie inside the unit disc.
  FoldResult Fold(Point z, int maxReflections = 256) const;
  // The tiles that `keep` accepts, reached from the central tile through accepted tiles, with
  // their centres and vertices in this tiling's place.
  std::vector<Tile> Tiles(const std::function<bool(const Tile&)>& keep, size_t maxTiles = 100000) const;

 private:
  VertexCentredTiling(Tiling tileCentred, DiscIsometry move);
  Tile Moved(Tile tile) const;

  Tiling tileCentred_;
  DiscIsometry move_;
  std::vector<Point> vertices_;
};

}  // namespace hyperbolic
