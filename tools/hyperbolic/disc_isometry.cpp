#include "disc_isometry.h"

namespace hyperbolic {

DiscIsometry DiscIsometry::TakingToOrigin(Point a, double turn) {
  DiscIsometry isometry;
  isometry.moved_ = a;
  isometry.turn_ = std::polar(1.0, turn);
  return isometry;
}

Point DiscIsometry::Apply(Point z) const { return turn_ * (z - moved_) / (1.0 - std::conj(moved_) * z); }

Point DiscIsometry::Undo(Point z) const {
  Point unturned = z / turn_;
  return (unturned + moved_) / (1.0 + std::conj(moved_) * unturned);
}

}  // namespace hyperbolic
