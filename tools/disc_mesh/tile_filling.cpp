#include "tile_filling.h"

#include <algorithm>
#include <utility>

namespace {

class TileFiller {
 public:
  explicit TileFiller(const std::array<int, 3>& edgeSplits)
      : splits_(edgeSplits), steps_(*std::max_element(edgeSplits.begin(), edgeSplits.end())) {
    for (int corner = 0; corner < 3; ++corner) {
      Barycentric weights{};
      weights[corner] = 1;
      corners_[corner] = Add({FillPoint::Place::kCorner, corner, 0, weights});
    }
  }

  TileFilling Fill() {
    if (steps_ == 1) {
      filling_.triangles.push_back({corners_[0], corners_[1], corners_[2]});
    } else if (steps_ <= 3) {
      FanAroundCentre();
    } else {
      FillInnerGrid();
      for (int edge = 0; edge < 3; ++edge) Zip(EdgeChain(edge), InnerSide(edge));
    }
    return std::move(filling_);
  }

 private:
  int Add(const FillPoint& point) {
    filling_.points.push_back(point);
    return static_cast<int>(filling_.points.size()) - 1;
  }

  // The points of an edge from corner `edge` to the next corner, counter-clockwise.
  std::vector<int> EdgeChain(int edge) {
    const int from = edge;
    const int to = (edge + 1) % 3;
    const int pieces = splits_[edge];
    std::vector<int> chain{corners_[from]};
    for (int along = 1; along < pieces; ++along) {
      // Steps count from the lower-numbered corner, which is `to` on the edge back to corner 0.
      int step = from < to ? along : pieces - along;
      Barycentric weights{};
      weights[std::min(from, to)] = 1 - double(step) / pieces;
      weights[std::max(from, to)] = double(step) / pieces;
      chain.push_back(Add({FillPoint::Place::kEdge, edge, step, weights}));
    }
    chain.push_back(corners_[to]);
    return chain;
  }

  // Tiles with only a few pieces per edge: every piece joined to the tile's centre.
  void FanAroundCentre() {
    int centre = Add({FillPoint::Place::kInside, 0, 0, {1.0 / 3, 1.0 / 3, 1.0 / 3}});
    for (int edge = 0; edge < 3; ++edge) {
      std::vector<int> chain = EdgeChain(edge);
      for (size_t i = 0; i + 1 < chain.size(); ++i) filling_.triangles.push_back({chain[i], chain[i + 1], centre});
    }
  }

  // The grid points of `steps_` steps a side that stay at least one step inside every edge:
  // a smaller triangle of steps_ - 3 steps, filled regularly.
  void FillInnerGrid() {
    const int innerSteps = steps_ - 3;
    auto weightsAt = [&](int a, int b) {
      return Barycentric{double(a + 1) / steps_, double(b + 1) / steps_, double(innerSteps - a - b + 1) / steps_};
    };
    innerGrid_.assign(static_cast<size_t>((innerSteps + 1) * (innerSteps + 1)), -1);
    for (int a = 0; a <= innerSteps; ++a) {
      for (int b = 0; a + b <= innerSteps; ++b) {
        innerGrid_[GridSlot(a, b)] = Add({FillPoint::Place::kInside, 0, 0, weightsAt(a, b)});
      }
    }
    for (int a = 0; a < innerSteps; ++a) {
      for (int b = 0; a + b < innerSteps; ++b) {
        filling_.triangles.push_back({InnerPoint(a, b), InnerPoint(a + 1, b), InnerPoint(a, b + 1)});
        if (a + b + 1 < innerSteps) {
          filling_.triangles.push_back({InnerPoint(a + 1, b), InnerPoint(a + 1, b + 1), InnerPoint(a, b + 1)});
        }
      }
    }
  }

  size_t GridSlot(int a, int b) const { return static_cast<size_t>(a * (steps_ - 2) + b); }
  // The inner grid point a steps towards corner 0 and b towards corner 1 from its corner 2.
  int InnerPoint(int a, int b) const { return innerGrid_[GridSlot(a, b)]; }

  // The inner grid's side facing `edge`, from near corner `edge` to near the next corner.
  std::vector<int> InnerSide(int edge) const {
    const int innerSteps = steps_ - 3;
    std::vector<int> side;
    for (int along = 0; along <= innerSteps; ++along) {
      // Grid steps (a, b, c) towards corners 0, 1, 2, adding up to innerSteps.
      std::array<int, 3> towards{};
      towards[edge] = innerSteps - along;
      towards[(edge + 1) % 3] = along;
      side.push_back(InnerPoint(towards[0], towards[1]));
    }
    return side;
  }

  // Fills the strip between an edge and the inner side facing it, both running the same way:
  // each triangle takes the next step along whichever of the two is behind.
  void Zip(const std::vector<int>& outer, const std::vector<int>& inner) {
    const double outerSteps = double(outer.size() - 1);
    const double innerSteps = double(inner.size() - 1);
    size_t o = 0;
    size_t i = 0;
    while (o + 1 < outer.size() || i + 1 < inner.size()) {
      bool outerBehind = i + 1 == inner.size() ||
                         (o + 1 < outer.size() && (double(o) + 0.5) / outerSteps <= (double(i) + 0.5) / innerSteps);
      if (outerBehind) {
        filling_.triangles.push_back({outer[o], outer[o + 1], inner[i]});
        ++o;
      } else {
        filling_.triangles.push_back({outer[o], inner[i + 1], inner[i]});
        ++i;
      }
    }
  }

  std::array<int, 3> splits_;
  int steps_;
  std::array<int, 3> corners_{};
  std::vector<int> innerGrid_;
  TileFilling filling_;
};

}  // namespace

TileFilling FillTile(const std::array<int, 3>& edgeSplits) { return TileFiller(edgeSplits).Fill(); }
