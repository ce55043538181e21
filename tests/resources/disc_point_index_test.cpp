#include "disc_point_index.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A point computed twice along different paths differs in its last bits; the copies must be
// one point even where they round into neighbouring cells of the index.
TEST(DiscPointIndex, FindsACopyAcrossCellBordersAndKeepsNeighboursApart) {
  const double cell = hyperbolic::DiscPointIndex::kCell;
  for (double radius : {0.2, 0.9, 0.9999}) {
    hyperbolic::DiscPointIndex index;
    const int count = 1000;
    // Points as close as the smallest tiles' corners, at uneven places within their cells.
    auto point = [&](int i) { return std::polar(radius, 0.1) + hyperbolic::Point(i * 1.2345678e-6, 0); };
    for (int i = 0; i < count; ++i) ASSERT_EQ(index.FindOrAdd(point(i)), size_t(i));
    for (int i = 0; i < count; ++i) {
      // Two fifths of a cell off: many of the copies round into the next cell.
      hyperbolic::Point copy = point(i) + hyperbolic::Point(0.4, -0.4) * cell;
      std::optional<size_t> found = index.Find(copy);
      ASSERT_TRUE(found.has_value()) << radius << " " << i;
      EXPECT_EQ(*found, size_t(i));
      EXPECT_EQ(index.FindOrAdd(copy), size_t(i));
    }
    EXPECT_EQ(index.size(), size_t(count));
    EXPECT_FALSE(index.Find(point(0) + hyperbolic::Point(3 * cell, 0)).has_value());
  }
}

}  // namespace
