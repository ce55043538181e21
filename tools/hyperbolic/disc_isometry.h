// Orientation-preserving isometries of the Poincare disc that move a chosen point to the
// origin: z -> turn * (z - a) / (1 - conj(a) z). They map geodesics to geodesics and the unit
// circle to itself, so a tiling moved by one is the same tiling seen from another point.
#pragma once

#include <complex>

namespace hyperbolic {

using Point = std::complex<double>;

class DiscIsometry {
 public:
  // The isometry taking `a` (|a| < 1) to the origin, then turning by `turn` radians about it.
  static DiscIsometry TakingToOrigin(Point a, double turn = 0);

  Point Apply(Point z) const;
  // The inverse map: Undo(Apply(z)) == z up to rounding.
  Point Undo(Point z) const;

 private:
  Point moved_;  // the point taken to the origin
  Point turn_;   // unit complex number
};

}  // namespace hyperbolic
