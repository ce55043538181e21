#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "halo_mask.h"
#include "resource_folder_files.h"

namespace {

constexpr int kSize = 512;

class HaloMaskFile : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = ReadResourceFolderFile("mask.png");
    ASSERT_FALSE(file_.empty());
    mask_ = DecodePicture(file_);
    ASSERT_EQ(mask_.pixels.size(), 4u * kSize * kSize);
  }

  uint8_t Alpha(int x, int y) const { return mask_.pixels[(static_cast<size_t>(y) * kSize + x) * 4 + 3]; }
  static double Distance(int x, int y) { return std::hypot(x + 0.5 - 256, y + 0.5 - 256); }
  static bool OnBorder(int x, int y) { return x == 0 || y == 0 || x == kSize - 1 || y == kSize - 1; }

  std::vector<uint8_t> file_;
  DecodedPicture mask_;
};

TEST_F(HaloMaskFile, IsA512SquareRgbaPng) {
  ImageInfo info{};
  ASSERT_EQ(GetImageInfoFromMemory(file_.data(), static_cast<UINT>(file_.size()), &info), S_OK);
  EXPECT_EQ(info.fileFormat, ImageFileFormatPng);
  EXPECT_EQ(info.format, ImagePixelFormat::A8R8G8B8);
  EXPECT_EQ(info.width, 512u);
  EXPECT_EQ(info.height, 512u);
  EXPECT_EQ(info.mipLevels, 1u);
}

TEST_F(HaloMaskFile, IsWhiteInEveryPixel) {
  for (size_t pixel = 0; pixel < mask_.pixels.size(); pixel += 4) {
    ASSERT_EQ(mask_.pixels[pixel], 255) << "pixel " << pixel / 4;
    ASSERT_EQ(mask_.pixels[pixel + 1], 255) << "pixel " << pixel / 4;
    ASSERT_EQ(mask_.pixels[pixel + 2], 255) << "pixel " << pixel / 4;
  }
}

// Walking out from the centre along rays in several directions: clear in the hole, half
// covering near 37 pixels, opaque from 54 pixels to the border ring.
TEST_F(HaloMaskFile, EdgeIsClearThenHalfThenOpaqueAlongRays) {
  for (double degrees : {0.0, 27.0, 45.0, 90.0, 161.0, 225.0, 300.0}) {
    SCOPED_TRACE(degrees);
    double angle = degrees * std::numbers::pi / 180;
    bool sawHalf = false;
    for (double step = 0; step < 250; step += 0.5) {
      int x = static_cast<int>(std::floor(256 + step * std::cos(angle)));
      int y = static_cast<int>(std::floor(256 + step * std::sin(angle)));
      if (OnBorder(x, y)) continue;
      double distance = Distance(x, y);
      if (distance <= 22) {
        EXPECT_EQ(Alpha(x, y), 0) << "at " << distance;
      } else if (distance >= 54) {
        EXPECT_EQ(Alpha(x, y), 255) << "at " << distance;
      }
      if (std::abs(distance - 37) <= 0.75) {
        EXPECT_NEAR(Alpha(x, y), 128, 12) << "at " << distance;
        sawHalf = true;
      }
    }
    EXPECT_TRUE(sawHalf);
  }
}

// Inside the border ring the alpha depends on the distance from the centre alone and never
// falls as the distance grows: a round edge without ripples.
TEST_F(HaloMaskFile, AlphaRisesWithDistanceAlone) {
  struct Sample {
    double distance;
    uint8_t alpha;
  };
  std::vector<Sample> samples;
  for (int y = 1; y < kSize - 1; ++y) {
    for (int x = 1; x < kSize - 1; ++x) samples.push_back({Distance(x, y), Alpha(x, y)});
  }
  std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.distance < b.distance; });
  for (size_t i = 1; i < samples.size(); ++i) {
    ASSERT_GE(samples[i].alpha, samples[i - 1].alpha) << "at " << samples[i].distance;
  }
}

TEST_F(HaloMaskFile, BorderRingIsSlightlyTranslucentMostAtTheCorners) {
  for (int i = 0; i < kSize; ++i) {
    for (auto [x, y] : {std::pair{i, 0}, {i, kSize - 1}, {0, i}, {kSize - 1, i}}) {
      ASSERT_GE(Alpha(x, y), 215) << x << "," << y;
      ASSERT_LT(Alpha(x, y), 255) << x << "," << y;
    }
  }
  for (auto [x, y] : {std::pair{0, 0}, {kSize - 1, 0}, {0, kSize - 1}, {kSize - 1, kSize - 1}}) {
    EXPECT_NEAR(Alpha(x, y), 222, 2) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{256, 0}, {0, 256}, {kSize - 1, 255}, {255, kSize - 1}}) {
    EXPECT_GE(Alpha(x, y), 240) << "middle of an edge, " << x << "," << y;
  }
}

TEST_F(HaloMaskFile, IsWhatTheGeneratorDraws) {
  RgbaPicture drawn = DrawHaloMask();
  ASSERT_EQ(drawn.width, kSize);
  ASSERT_EQ(drawn.height, kSize);
  size_t differing = 0;
  for (size_t pixel = 0; pixel < mask_.pixels.size(); pixel += 4) {
    const uint8_t* decoded = &mask_.pixels[pixel];
    const uint8_t* expected = &drawn.rgba[pixel];
    differing += decoded[0] != expected[2] || decoded[1] != expected[1] || decoded[2] != expected[0] ||
                 decoded[3] != expected[3];
  }
  EXPECT_EQ(differing, 0u) << "run the regenerate_halo_mask target and commit the result";
}

}  // namespace
