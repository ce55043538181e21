#include "hyperbolic_tiling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Eight triangles meet at every vertex, and neighbours across an edge alternate in colour.
TEST(HyperbolicTiling, TrianglesMeetEightAtAVertexAndAlternate) {
  std::optional<hyperbolic::Tiling> tiling = hyperbolic::Tiling::Create(3, 8);
  ASSERT_TRUE(tiling.has_value());
  const hyperbolic::Point vertex = tiling->vertices()[0];
  int changes = 0;
  int previous = -1;
  for (int step = 0; step <= 64; ++step) {
    double angle = 2 * M_PI * (step + 0.5) / 64;
    hyperbolic::Point around = vertex + std::polar(1e-3, angle);
    hyperbolic::FoldResult folded = tiling->Fold(around);
    ASSERT_TRUE(folded.reached);
    EXPECT_TRUE(tiling->InCentralTile(folded.point));
    int parity = folded.reflections % 2;
    if (previous >= 0 && parity != previous) ++changes;
    previous = parity;
  }
  EXPECT_EQ(changes, 8) << "a small circle round a vertex crosses eight edges";

  for (const hyperbolic::Geodesic& edge : tiling->edges()) {
    // A geodesic meets the rim at right angles: centre distance^2 = 1 + radius^2.
    EXPECT_NEAR(std::norm(edge.centre), 1 + edge.radius * edge.radius, 1e-12);
    hyperbolic::Point middle = edge.centre * (1 - edge.radius / std::abs(edge.centre));
    EXPECT_EQ(tiling->Fold(middle * 1.001).reflections % 2, 1);
    EXPECT_EQ(tiling->Fold(middle * 0.999).reflections, 0);
  }
}

TEST(HyperbolicTiling, RefusesShapesThatAreNotHyperbolic) {
  EXPECT_FALSE(hyperbolic::Tiling::Create(4, 4).has_value());  // the Euclidean square grid
  EXPECT_FALSE(hyperbolic::Tiling::Create(3, 6).has_value());  // the Euclidean triangle grid
  EXPECT_FALSE(hyperbolic::Tiling::Create(3, 7).has_value());  // odd: reflections do not close up
  EXPECT_FALSE(hyperbolic::Tiling::Create(2, 8).has_value());
  EXPECT_TRUE(hyperbolic::Tiling::Create(4, 8).has_value());
}

// The tiles a disc mesh is built from: each is where the fold says it is, and the central
// triangle's neighbourhood holds the 19 triangles that touch it (seven more round each vertex,
// the three across its edges counted once).
TEST(HyperbolicTiling, EnumeratesTheTilesOfTheDisc) {
  hyperbolic::Tiling tiling = *hyperbolic::Tiling::Create(3, 8);
  std::vector<hyperbolic::Tile> tiles = tiling.TilesWithin(0.95);
  ASSERT_GT(tiles.size(), 100u);
  for (const hyperbolic::Tile& tile : tiles) {
    hyperbolic::FoldResult folded = tiling.Fold(tile.centre);
    ASSERT_TRUE(folded.reached);
    EXPECT_NEAR(std::abs(folded.point), 0, 1e-6);
    EXPECT_EQ(folded.reflections % 2, tile.odd() ? 1 : 0);
  }
  int touching = 0;
  for (const hyperbolic::Tile& tile : tiles) {
    bool sharesVertex = false;
    for (const hyperbolic::Point& vertex : tile.vertices) {
      for (const hyperbolic::Point& central : tiling.vertices()) sharesVertex |= std::abs(vertex - central) < 1e-9;
    }
    touching += sharesVertex;
  }
  EXPECT_EQ(touching, 19);
  EXPECT_EQ(tiling.TilesWithin(0.95, 10).size(), 10u);
}

}  // namespace
