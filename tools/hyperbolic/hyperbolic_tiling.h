// The regular tiling {p,q} of the hyperbolic plane in the Poincare disc model: regular
// p-gons, q of them around every vertex. For even q the polygon's interior angle 2*pi/q is
// pi/(q/2), so reflections in the sides of one polygon generate the whole tiling and
// neighbouring tiles are mirror images of each other; an even or odd number of reflections
// then colours the tiles alternately, like a chessboard. The central tile is centred on the
// origin of the unit disc.
#pragma once

#include <complex>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace hyperbolic {

using Point = std::complex<double>;

// A geodesic that misses the origin: a circle meeting the unit circle at right angles. Its
// inside (|z - centre| < radius) is the side away from the origin.
struct Geodesic {
  Point centre;
  double radius = 0;

  bool Separates(Point z) const { return std::abs(z - centre) < radius; }
  // Inversion in the circle: the hyperbolic reflection across the geodesic.
  Point Reflect(Point z) const;
};

struct FoldResult {
  Point point;           // the image of z inside the central tile
  int reflections = 0;   // how many reflections took it there; its parity is the tile's colour
  bool reached = false;  // false when the step limit ran out (only very close to the rim)
};

// One tile: the image of the central tile under the reflections in `word` (edge indices of the
// central tile, applied last to first: word {a, b} maps z to R_a(R_b(z))).
struct Tile {
  std::vector<int> word;
  Point centre;
  std::vector<Point> vertices;  // in the order of the central tile's vertices (mirrored when odd)
  bool odd() const { return word.size() % 2 != 0; }
};

class Tiling {
 public:
  // Refuses shapes that are not hyperbolic (1/p + 1/q >= 1/2), odd q, and p < 3. `rotation`
  // turns the tiling about the origin; with 0, a vertex of the central tile lies on the
  // positive real axis.
  static std::optional<Tiling> Create(int sides, int tilesAtVertex, double rotation = 0);

  int sides() const { return sides_; }
  int tilesAtVertex() const { return tilesAtVertex_; }
  const std::vector<Point>& vertices() const { return vertices_; }
  // Edge k joins vertex k and vertex k+1.
  const std::vector<Geodesic>& edges() const { return edges_; }

  bool InCentralTile(Point z) const;
  // Reflects z into the central tile, one side at a time; z must lie inside the unit disc.
  FoldResult Fold(Point z, int maxReflections = 256) const;

  // Applies the reflections of a word (last first) to a point.
  Point Apply(const std::vector<int>& word, Point z) const;
  // Every tile whose centre lies within `discRadius` (< 1) of the origin, nearest first by
  // the number of reflections, at most `maxTiles` of them. Neighbours across an edge have
  // words one reflection apart.
  std::vector<Tile> TilesWithin(double discRadius, size_t maxTiles = 100000) const;
  // Every tile that `keep` accepts and that is reached from the central tile through accepted
  // tiles only, in the same order; the central tile is always first.
  std::vector<Tile> Tiles(const std::function<bool(const Tile&)>& keep, size_t maxTiles = 100000) const;

 private:
  int sides_ = 0;
  int tilesAtVertex_ = 0;
  std::vector<Point> vertices_;
  std::vector<Geodesic> edges_;
};

}  // namespace hyperbolic
