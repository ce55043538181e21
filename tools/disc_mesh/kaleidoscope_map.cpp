#include "kaleidoscope_map.h"

#include <cmath>

namespace {

// The Klein and Poincare models of the disc share the origin and directions; a point at
// Poincare radius r lies at Klein radius 2r / (1 + r^2).
hyperbolic::Point KleinFromPoincare(hyperbolic::Point z) { return 2.0 * z / (1.0 + std::norm(z)); }
hyperbolic::Point PoincareFromKlein(hyperbolic::Point k) { return k / (1.0 + std::sqrt(1.0 - std::norm(k))); }

double Cross(hyperbolic::Point a, hyperbolic::Point b) { return a.real() * b.imag() - a.imag() * b.real(); }

hyperbolic::Point Mix(const std::array<hyperbolic::Point, 3>& corners, const Barycentric& weights) {
  return weights[0] * corners[0] + weights[1] * corners[1] + weights[2] * corners[2];
}

}  // namespace

KaleidoscopeMap::KaleidoscopeMap(const hyperbolic::VertexCentredTiling& tiling) : tiling_(tiling) {
  for (size_t k = 0; k < 3; ++k) kleinCorners_[k] = KleinFromPoincare(tiling.tileCentred().vertices()[k]);
}

hyperbolic::Point KaleidoscopeMap::Carry(const std::vector<int>& word, const Barycentric& central) const {
  hyperbolic::Point inCentralTile = PoincareFromKlein(Mix(kleinCorners_, central));
  return tiling_.move().Apply(tiling_.tileCentred().Apply(word, inCentralTile));
}

Barycentric KaleidoscopeMap::Shown(const std::vector<int>& word, hyperbolic::Point position) const {
  // Reflections undo themselves: the way back applies the same ones in the other order.
  std::vector<int> back(word.rbegin(), word.rend());
  hyperbolic::Point inCentralTile = tiling_.tileCentred().Apply(back, tiling_.move().Undo(position));
  hyperbolic::Point from0 = KleinFromPoincare(inCentralTile) - kleinCorners_[0];
  hyperbolic::Point side1 = kleinCorners_[1] - kleinCorners_[0];
  hyperbolic::Point side2 = kleinCorners_[2] - kleinCorners_[0];
  double area = Cross(side1, side2);
  double weight1 = Cross(from0, side2) / area;
  double weight2 = Cross(side1, from0) / area;
  return {1 - weight1 - weight2, weight1, weight2};
}

TexturePoint KaleidoscopeMap::Texture(const Barycentric& central) {
  TexturePoint point;
  for (size_t k = 0; k < 3; ++k) {
    point.u += central[k] * kTextureTriangle[k].u;
    point.v += central[k] * kTextureTriangle[k].v;
  }
  return point;
}

double KaleidoscopeMap::Stray(const std::vector<int>& word, hyperbolic::Point a, hyperbolic::Point b) const {
  Barycentric fromA = Shown(word, a);
  Barycentric fromB = Shown(word, b);
  Barycentric middle = {(fromA[0] + fromB[0]) / 2, (fromA[1] + fromB[1]) / 2, (fromA[2] + fromB[2]) / 2};
  return std::abs(Carry(word, middle) - (a + b) / 2.0);
}

hyperbolic::Point KaleidoscopeMap::Place(const std::array<hyperbolic::Point, 3>& corners, const Barycentric& weights) {
  std::array<hyperbolic::Point, 3> klein = {KleinFromPoincare(corners[0]), KleinFromPoincare(corners[1]),
                                            KleinFromPoincare(corners[2])};
  return PoincareFromKlein(Mix(klein, weights));
}
