#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "built_in_photographs.h"
#include "resource_folder_files.h"

namespace {

struct PhotographCase {
  const char* file;
  UINT width;
  UINT height;
  uint8_t frameMarker;  // SOF0 baseline, SOF2 progressive
};

constexpr PhotographCase kPhotographs[] = {
    {"sparks.jpg", 640, 480, 0xC2},
    {"rays.jpg", 640, 426, 0xC0},
};

struct FrameHeader {
  uint8_t marker = 0;
  int components = 0;
};

// The first start-of-frame segment, found by walking the marker segments from the start of
// the file; an empty header when there is none before the scan data.
FrameHeader FindFrameHeader(const std::vector<uint8_t>& file) {
  size_t at = 2;  // past the start-of-image marker
  while (at + 4 <= file.size() && file[at] == 0xFF) {
    uint8_t marker = file[at + 1];
    bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) return at + 9 < file.size() ? FrameHeader{marker, file[at + 9]} : FrameHeader{};
    if (marker == 0xDA) return {};  // start of scan
    at += 2 + (static_cast<size_t>(file[at + 2]) << 8 | file[at + 3]);
  }
  return {};
}

TEST(BuiltInPhotographs, AreColourJpegsOfTheirSizeAndKind) {
  for (const PhotographCase& photograph : kPhotographs) {
    SCOPED_TRACE(photograph.file);
    std::vector<uint8_t> file = ReadResourceFolderFile(photograph.file);
    ImageInfo info{};
    ASSERT_EQ(GetImageInfoFromMemory(file.data(), static_cast<UINT>(file.size()), &info), S_OK);
    EXPECT_EQ(info.fileFormat, ImageFileFormatJpeg);
    EXPECT_EQ(info.format, ImagePixelFormat::X8R8G8B8) << "decoded as colour";
    EXPECT_EQ(info.width, photograph.width);
    EXPECT_EQ(info.height, photograph.height);
    FrameHeader frame = FindFrameHeader(file);
    EXPECT_EQ(frame.marker, photograph.frameMarker);
    EXPECT_EQ(frame.components, 3);
    EXPECT_LT(file.size(), 300u * 1024) << "kept small";
    DecodedPicture decoded = DecodePicture(file);
    EXPECT_EQ(decoded.width, photograph.width);
    EXPECT_EQ(decoded.height, photograph.height);
  }
}

// The saver creates its textures with opaque black as the colour key: a pixel that decodes to
// exactly (0, 0, 0) would turn transparent and show as a white hole. The dark grounds keep
// every pixel clear of it, with room to spare for a decoder that rounds differently.
TEST(BuiltInPhotographs, DecodeWithoutAnyBlackPixel) {
  constexpr int kMargin = 8;
  for (const PhotographCase& photograph : kPhotographs) {
    SCOPED_TRACE(photograph.file);
    DecodedPicture decoded = DecodePicture(ReadResourceFolderFile(photograph.file));
    ASSERT_FALSE(decoded.pixels.empty());
    size_t black = 0;
    int darkest = 255;
    for (size_t pixel = 0; pixel < decoded.pixels.size(); pixel += 4) {
      int brightest = std::max({decoded.pixels[pixel], decoded.pixels[pixel + 1], decoded.pixels[pixel + 2]});
      black += brightest == 0;
      darkest = std::min(darkest, brightest);
    }
    EXPECT_EQ(black, 0u);
    EXPECT_GE(darkest, kMargin) << "the brightest channel of the darkest pixel";
  }
}

// Each committed file, decoded, shows what its generator draws today. JPEG loses a little, and
// another libjpeg build may encode other bytes, so the comparison allows for that: the mean
// difference in every 16 x 16 block, over its three channels, stays within kBlockTolerance
// levels (the encoder here leaves under 3). A changed or moved shape differs by far more in
// the blocks it touches.
TEST(BuiltInPhotographs, CommittedFilesMatchTheGenerator) {
  constexpr double kBlockTolerance = 6;
  constexpr int kBlock = 16;
  for (const BuiltInPhotograph& photograph : BuiltInPhotographs()) {
    SCOPED_TRACE(photograph.fileName);
    DecodedPicture decoded = DecodePicture(ReadResourceFolderFile(photograph.fileName));
    RgbPicture drawn = photograph.draw();
    ASSERT_EQ(static_cast<int>(decoded.width), drawn.width);
    ASSERT_EQ(static_cast<int>(decoded.height), drawn.height);
    double worst = 0;
    int worstX = 0, worstY = 0;
    for (int top = 0; top < drawn.height; top += kBlock) {
      for (int left = 0; left < drawn.width; left += kBlock) {
        long difference = 0;
        int samples = 0;
        for (int y = top; y < std::min(top + kBlock, drawn.height); ++y) {
          for (int x = left; x < std::min(left + kBlock, drawn.width); ++x) {
            const uint8_t* bgrx = &decoded.pixels[(static_cast<size_t>(y) * drawn.width + x) * 4];
            const uint8_t* rgb = &drawn.rgb[(static_cast<size_t>(y) * drawn.width + x) * 3];
            difference += std::abs(bgrx[2] - rgb[0]) + std::abs(bgrx[1] - rgb[1]) + std::abs(bgrx[0] - rgb[2]);
            samples += 3;
          }
        }
        double mean = static_cast<double>(difference) / samples;
        if (mean > worst) worst = mean, worstX = left, worstY = top;
      }
    }
    EXPECT_LE(worst, kBlockTolerance) << "block at " << worstX << "," << worstY
                                      << "; run the regenerate_photographs target and commit the result";
  }
}

}  // namespace
