// The pieces the disc mesh is made of: how an edge is cut, and how a tile is filled to match
// its edges.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "edge_splitting.h"
#include "tile_filling.h"

namespace {

// How far the middle of the straight piece from s0 to s1 lies from the curve's own middle.
std::function<double(double, double)> StrayFrom(std::function<hyperbolic::Point(double)> curve) {
  return [curve](double s0, double s1) { return std::abs(curve((s0 + s1) / 2) - (curve(s0) + curve(s1)) / 2.0); };
}

TEST(EdgeSplitting, CutsCurvesAndUnevenPacesIntoPiecesWithinTheTolerance) {
  const struct {
    const char* what;
    std::function<hyperbolic::Point(double)> curve;
    double tolerance;
    int expected;
  } kCases[] = {
      {"a straight edge at an even pace", [](double s) { return hyperbolic::Point(3 * s, 1); }, 1e-6, 1},
      // A pace s^2 strays (b - a)^2 / 4 on a piece from a to b: 1/16 is the first step within 0.001.
      {"an uneven pace", [](double s) { return hyperbolic::Point(s * s, 0); }, 1e-3, 16},
      // An arc of radius 1 and angle 1 cut into n strays 1 - cos(1 / 2n): within 0.001 from 12 on.
      {"an arc", [](double s) { return std::polar(1.0, s); }, 1e-3, 12},
      {"an arc at the limit", [](double s) { return std::polar(1.0, s); }, 1e-9, 64},
  };
  for (const auto& c : kCases) EXPECT_EQ(EdgeSplits(StrayFrom(c.curve), c.tolerance, 64), c.expected) << c.what;
}

// Signed area of a triangle in barycentric weights, as a share of the tile's.
double Area(const TileFilling& filling, const std::array<int, 3>& triangle) {
  const Barycentric& a = filling.points[triangle[0]].weights;
  const Barycentric& b = filling.points[triangle[1]].weights;
  const Barycentric& c = filling.points[triangle[2]].weights;
  return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
}

// Where on the tile's rim a point lies, or -1 inside: edge k holds the points with no weight
// on corner (k + 2) % 3.
int EdgeHolding(const FillPoint& point, int edge) { return point.weights[(edge + 2) % 3] == 0 ? edge : -1; }

TEST(TileFilling, CoversTheTileOnceMeetingEveryEdgeAtItsOwnCuts) {
  const std::array<int, 3> kSplits[] = {{1, 1, 1}, {2, 1, 1}, {1, 3, 2},  {3, 3, 3}, {4, 1, 1},
                                        {5, 2, 9}, {8, 8, 8}, {12, 2, 7}, {1, 1, 20}};
  for (const std::array<int, 3>& splits : kSplits) {
    SCOPED_TRACE(testing::Message() << splits[0] << "," << splits[1] << "," << splits[2]);
    TileFilling filling = FillTile(splits);
    // Counter-clockwise, none flat, adding up to the whole tile: no overlaps and no holes.
    double total = 0;
    for (const auto& triangle : filling.triangles) {
      double area = Area(filling, triangle);
      EXPECT_GT(area, 1e-6);
      total += area;
    }
    EXPECT_NEAR(total, 1, 1e-12);

    // Every triangle side is shared with one other triangle, except the pieces of the edges.
    std::map<std::pair<int, int>, int> sides;
    for (const auto& triangle : filling.triangles) {
      for (size_t k = 0; k < 3; ++k) {
        int a = triangle[k], b = triangle[(k + 1) % 3];
        ++sides[{std::min(a, b), std::max(a, b)}];
      }
    }
    std::array<int, 3> rimPieces{};
    for (const auto& [side, uses] : sides) {
      int onEdge = -1;
      for (int edge = 0; edge < 3; ++edge) {
        if (EdgeHolding(filling.points[side.first], edge) >= 0 && EdgeHolding(filling.points[side.second], edge) >= 0) {
          onEdge = edge;
        }
      }
      EXPECT_EQ(uses, onEdge >= 0 ? 1 : 2);
      if (onEdge >= 0) ++rimPieces[onEdge];
    }
    EXPECT_EQ(rimPieces, splits);

    // Points on an edge sit at its even cuts and are named by edge and step from its
    // lower-numbered corner, as the tile across names them.
    for (const FillPoint& point : filling.points) {
      if (point.place != FillPoint::Place::kEdge) continue;
      int from = std::min(point.index, (point.index + 1) % 3);
      int to = std::max(point.index, (point.index + 1) % 3);
      EXPECT_DOUBLE_EQ(point.weights[to], double(point.step) / splits[point.index]);
      EXPECT_DOUBLE_EQ(point.weights[from], 1 - double(point.step) / splits[point.index]);
      EXPECT_EQ(EdgeHolding(point, point.index), point.index);
    }
    std::set<std::pair<int, int>> edgePoints;
    for (const FillPoint& point : filling.points) {
      if (point.place == FillPoint::Place::kEdge) {
        EXPECT_TRUE(edgePoints.insert({point.index, point.step}).second);
      }
    }
    EXPECT_EQ(edgePoints.size(), size_t(splits[0] + splits[1] + splits[2] - 3));
  }
}

}  // namespace
