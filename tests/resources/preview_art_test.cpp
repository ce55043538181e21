#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

}  // namespace
