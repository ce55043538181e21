#include "hyperbolic_tiling.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "disc_point_index.h"

namespace hyperbolic {

Point Geodesic::Reflect(Point z) const {
  Point offset = z - centre;
  double distanceSquared = std::norm(offset);
  if (distanceSquared == 0) return z;  // the centre lies outside the disc; never asked for
  return centre + radius * radius / std::conj(offset);
}

std::optional<Tiling> Tiling::Create(int sides, int tilesAtVertex, double rotation) {
  if (sides < 3 || tilesAtVertex < 4 || tilesAtVertex % 2 != 0 || (sides - 2) * (tilesAtVertex - 2) <= 4) {
    return std::nullopt;
  }
  const double pi = std::numbers::pi;
  double halfCentralAngle = pi / sides;
  double halfInteriorAngle = pi / tilesAtVertex;
  // Hyperbolic right triangle formed by the centre, a vertex and the middle of an edge:
  //   cosh(circumradius) = cot(pi/p) * cot(pi/q), cosh(inradius) = cos(pi/q) / sin(pi/p).
  double circumradius = std::acosh(1 / std::tan(halfCentralAngle) / std::tan(halfInteriorAngle));
  double inradius = std::acosh(std::cos(halfInteriorAngle) / std::sin(halfCentralAngle));
  // A hyperbolic distance d from the origin lies at tanh(d/2) in the disc.
  double vertexDistance = std::tanh(circumradius / 2);
  double edgeDistance = std::tanh(inradius / 2);
  // The circle through the edge's middle m, orthogonal to the unit circle, has its centre on
  // the same ray at c with c^2 = 1 + r^2 and c - r = m.
  double circleCentre = (1 + edgeDistance * edgeDistance) / (2 * edgeDistance);
  double circleRadius = (1 - edgeDistance * edgeDistance) / (2 * edgeDistance);

  Tiling tiling;
  tiling.sides_ = sides;
  tiling.tilesAtVertex_ = tilesAtVertex;
  for (int k = 0; k < sides; ++k) {
    double vertexAngle = rotation + 2 * halfCentralAngle * k;
    double edgeAngle = vertexAngle + halfCentralAngle;
    tiling.vertices_.push_back(std::polar(vertexDistance, vertexAngle));
    tiling.edges_.push_back(Geodesic{std::polar(circleCentre, edgeAngle), circleRadius});
  }
  return tiling;
}

bool Tiling::InCentralTile(Point z) const {
  if (std::abs(z) >= 1) return false;
  for (const Geodesic& edge : edges_) {
    if (edge.Separates(z)) return false;
  }
  return true;
}

FoldResult Tiling::Fold(Point z, int maxReflections) const {
  FoldResult result{z, 0, false};
  if (std::abs(z) >= 1) return result;
  while (result.reflections < maxReflections) {
    // Reflect in the edge the point lies deepest beyond; each such step brings it closer to
    // the origin, so the walk ends in the central tile.
    const Geodesic* deepest = nullptr;
    double deepestRatio = 1;
    for (const Geodesic& edge : edges_) {
      double ratio = std::abs(result.point - edge.centre) / edge.radius;
      if (ratio < deepestRatio) {
        deepestRatio = ratio;
        deepest = &edge;
      }
    }
    if (deepest == nullptr) {
      result.reached = true;
      return result;
    }
    result.point = deepest->Reflect(result.point);
    ++result.reflections;
  }
  return result;
}

Point Tiling::Apply(const std::vector<int>& word, Point z) const {
  for (auto step = word.rbegin(); step != word.rend(); ++step) z = edges_[static_cast<size_t>(*step)].Reflect(z);
  return z;
}

std::vector<Tile> Tiling::TilesWithin(double discRadius, size_t maxTiles) const {
  return Tiles([discRadius](const Tile& tile) { return std::abs(tile.centre) <= discRadius; }, maxTiles);
}

std::vector<Tile> Tiling::Tiles(const std::function<bool(const Tile&)>& keep, size_t maxTiles) const {
  std::vector<Tile> tiles;
  // A tile reached along several words is told by its centre.
  DiscPointIndex centres;
  auto add = [&](std::vector<int> word) {
    Tile tile{std::move(word), {}, {}};
    tile.centre = Apply(tile.word, Point(0, 0));
    for (const Point& vertex : vertices_) tile.vertices.push_back(Apply(tile.word, vertex));
    if (centres.Find(tile.centre).has_value() || (!tiles.empty() && !keep(tile))) return;
    centres.FindOrAdd(tile.centre);
    tiles.push_back(std::move(tile));
  };
  add({});
  // Breadth first: the neighbour of tile g across its edge k is g followed by R_k.
  for (size_t next = 0; next < tiles.size() && tiles.size() < maxTiles; ++next) {
    for (int edge = 0; edge < sides_ && tiles.size() < maxTiles; ++edge) {
      std::vector<int> word = tiles[next].word;
      if (!word.empty() && word.back() == edge) continue;  // straight back where it came from
      word.push_back(edge);
      add(std::move(word));
    }
  }
  return tiles;
}

}  // namespace hyperbolic
