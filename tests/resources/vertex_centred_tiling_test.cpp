#include "vertex_centred_tiling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "disc_isometry.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Hyperbolic distance in the Poincare disc.
double Distance(hyperbolic::Point z, hyperbolic::Point w) {
  return 2 * std::atanh(std::abs(z - w) / std::abs(1.0 - std::conj(w) * z));
}

TEST(DiscIsometry, MovesTheChosenPointToTheOriginKeepingDistances) {
  const hyperbolic::Point points[] = {{0, 0}, {0.3, -0.2}, {-0.7, 0.6}, {0.05, 0.98}};
  for (hyperbolic::Point moved : {hyperbolic::Point(0.4, 0.1), hyperbolic::Point(-0.2, -0.85)}) {
    hyperbolic::DiscIsometry isometry = hyperbolic::DiscIsometry::TakingToOrigin(moved, 0.7);
    EXPECT_NEAR(std::abs(isometry.Apply(moved)), 0, 1e-15);
    for (hyperbolic::Point z : points) {
      EXPECT_NEAR(std::abs(isometry.Undo(isometry.Apply(z)) - z), 0, 1e-12);
      EXPECT_LT(std::abs(isometry.Apply(z)), 1);
      for (hyperbolic::Point w : points) {
        EXPECT_NEAR(Distance(isometry.Apply(z), isometry.Apply(w)), Distance(z, w), 1e-9);
      }
    }
  }
}

// The central triangle has a vertex at the origin and its other two at the side length of
// the {3,8} triangle, 45 degrees apart: cosh(side) = (cos a + cos^2 a) / sin^2 a, a = pi/4.
TEST(VertexCentredTiling, CentralTriangleHasAVertexAtTheOrigin) {
  const double angle = kPi / 4;
  const double side = std::acosh((std::cos(angle) + std::cos(angle) * std::cos(angle)) / std::pow(std::sin(angle), 2));
  for (double rotation : {0.0, kPi / 8, -1.0}) {
    std::optional<hyperbolic::VertexCentredTiling> tiling = hyperbolic::VertexCentredTiling::Create(3, 8, rotation);
    ASSERT_TRUE(tiling.has_value());
    const std::vector<hyperbolic::Point>& vertices = tiling->vertices();
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[0], hyperbolic::Point(0, 0));
    EXPECT_NEAR(Distance(vertices[1], 0), side, 1e-12);
    EXPECT_NEAR(Distance(vertices[2], 0), side, 1e-12);
    EXPECT_NEAR(Distance(vertices[1], vertices[2]), side, 1e-12);
    EXPECT_NEAR(std::arg(vertices[1]), rotation, 1e-12);
    EXPECT_NEAR(std::arg(vertices[2] / vertices[1]), angle, 1e-12) << "counter-clockwise, 45 degrees on";
  }
  EXPECT_FALSE(hyperbolic::VertexCentredTiling::Create(3, 6).has_value());
}

// Eight triangles meet at the centre, alternating in colour, and the tiles found around the
// centre are where folding puts them.
TEST(VertexCentredTiling, EightTrianglesMeetAtTheCentre) {
  hyperbolic::VertexCentredTiling tiling = *hyperbolic::VertexCentredTiling::Create(3, 8);
  int changes = 0;
  int previous = -1;
  for (int step = 0; step <= 64; ++step) {
    hyperbolic::FoldResult folded = tiling.Fold(std::polar(1e-3, 2 * kPi * (step + 0.5) / 64));
    ASSERT_TRUE(folded.reached);
    int parity = folded.reflections % 2;
    if (previous >= 0 && parity != previous) ++changes;
    previous = parity;
  }
  EXPECT_EQ(changes, 8);

  std::vector<hyperbolic::Tile> tiles =
      tiling.Tiles([](const hyperbolic::Tile& tile) { return std::abs(tile.centre) < 0.9; });
  ASSERT_GT(tiles.size(), 50u);
  const hyperbolic::Point centralCentre = tiles[0].centre;
  int atCentre = 0;
  for (const hyperbolic::Tile& tile : tiles) {
    EXPECT_LT(std::abs(tile.centre), 0.9);
    hyperbolic::FoldResult folded = tiling.Fold(tile.centre);
    ASSERT_TRUE(folded.reached);
    EXPECT_NEAR(std::abs(folded.point - centralCentre), 0, 1e-9);
    EXPECT_EQ(folded.reflections % 2, tile.odd() ? 1 : 0);
    for (size_t k = 0; k < 3; ++k) {
      EXPECT_NEAR(std::abs(tile.vertices[k] - tiling.Apply(tile.word, tiling.vertices()[k])), 0, 1e-9);
    }
    // Vertex 0 stays at the centre under the reflections in the two edges through it.
    atCentre += std::abs(tile.vertices[0]) < 1e-12;
    EXPECT_GT(std::abs(tile.vertices[1]), 0.5);
    EXPECT_GT(std::abs(tile.vertices[2]), 0.5);
  }
  EXPECT_EQ(atCentre, 8);
}

}  // namespace
