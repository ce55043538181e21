#include "disc_point_index.h"

#include <cmath>

namespace hyperbolic {

DiscPointIndex::Cell DiscPointIndex::CellOf(Point z) {
  return {std::llround(z.real() / kCell), std::llround(z.imag() / kCell)};
}

std::optional<size_t> DiscPointIndex::Find(Point z) const {
  Cell centre = CellOf(z);
  for (long long dy = -1; dy <= 1; ++dy) {
    for (long long dx = -1; dx <= 1; ++dx) {
      auto found = cells_.find({centre.first + dx, centre.second + dy});
      if (found != cells_.end()) return found->second;
    }
  }
  return std::nullopt;
}

size_t DiscPointIndex::FindOrAdd(Point z) {
  if (std::optional<size_t> known = Find(z)) return *known;
  size_t id = cells_.size();
  cells_.emplace(CellOf(z), id);
  return id;
}

}  // namespace hyperbolic
