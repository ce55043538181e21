#include "hyperbolic_tiling.h"

#include <cmath>
#include <numbers>

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

}  // namespace hyperbolic
