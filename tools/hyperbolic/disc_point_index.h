// Recognises a point of the disc again when it is computed a second time along another path
// of reflections, and so carries slightly different rounding. Points are kept on a fine grid;
// a point is looked for in its own cell and the eight around it, so two copies that round
// into neighbouring cells are still one point. Copies must lie within a cell of each other
// and distinct points more than two cells apart: tiles are that small only within about
// 1e-10 of the rim, far beyond any tile the generators use.
#pragma once

#include <complex>
#include <cstddef>
#include <map>
#include <optional>
#include <utility>

namespace hyperbolic {

using Point = std::complex<double>;

class DiscPointIndex {
 public:
  static constexpr double kCell = 1e-10;

  // The id of a point already added near z, if any.
  std::optional<size_t> Find(Point z) const;
  // The id of the point near z, adding z with the next free id when there is none.
  size_t FindOrAdd(Point z);
  size_t size() const { return cells_.size(); }

 private:
  using Cell = std::pair<long long, long long>;
  static Cell CellOf(Point z);

  std::map<Cell, size_t> cells_;
};

}  // namespace hyperbolic
