#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hyperbolic_tiling.h"
#include "tiled_disc_picture.h"
#include "windows_image_files.h"

namespace {

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The committed pictures are what the generator draws today.
TEST(PreviewArt, CommittedFilesMatchTheGenerator) {
  EXPECT_EQ(ReadFileBytes(ORBELUNE_RESOURCES_DIR "/preview.bmp"), EncodeBmp24(DrawPreviewPicture(152, 112)))
      << "run the regenerate_preview_art target and commit the result";
  EXPECT_EQ(ReadFileBytes(ORBELUNE_RESOURCES_DIR "/orbelune.ico"),
            EncodeIco32({DrawIconPicture(16), DrawIconPicture(32), DrawIconPicture(48)}))
      << "run the regenerate_preview_art target and commit the result";
}

uint8_t Shade(const RgbImage& image, int x, int y) { return image.rgb[(static_cast<size_t>(y) * image.width + x) * 3]; }

TEST(PreviewArt, PreviewShowsAChequeredDiscOnBlack) {
  RgbImage picture = DrawPreviewPicture(152, 112);
  ASSERT_EQ(picture.rgb.size(), 152u * 112u * 3u);
  for (auto [x, y] : {std::pair{0, 0}, {151, 0}, {0, 111}, {151, 111}, {10, 56}, {141, 56}}) {
    EXPECT_EQ(Shade(picture, x, y), 0) << "outside the disc at " << x << "," << y;
  }
  EXPECT_EQ(Shade(picture, 76, 56), 255) << "the central triangle is white";
  EXPECT_EQ(Shade(picture, 76, 56 + 22), 0) << "its neighbour below is black";
  int white = 0;
  int black = 0;
  for (int y = 0; y < 112; ++y) {
    for (int x = 0; x < 152; ++x) {
      double dx = x + 0.5 - 76;
      double dy = y + 0.5 - 56;
      if (std::hypot(dx, dy) > 40) continue;
      white += Shade(picture, x, y) == 255;
      black += Shade(picture, x, y) == 0;
    }
  }
  // Alternating tiles of equal shape cover the disc about half and half.
  EXPECT_GT(white, black / 2);
  EXPECT_GT(black, white / 2);
  EXPECT_EQ(picture.rgb, DrawPreviewPicture(152, 112).rgb) << "drawing is deterministic";
}

TEST(PreviewArt, IconIsOpaqueInsideTheDiscAndClearOutside) {
  RgbaImage icon = DrawIconPicture(32);
  auto alpha = [&](int x, int y) { return icon.rgba[(static_cast<size_t>(y) * 32 + x) * 4 + 3]; };
  EXPECT_EQ(alpha(0, 0), 0);
  EXPECT_EQ(alpha(31, 31), 0);
  EXPECT_EQ(alpha(16, 16), 255);
  EXPECT_EQ(alpha(2, 16), 255);
}

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

}  // namespace
