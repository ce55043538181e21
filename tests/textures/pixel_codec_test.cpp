#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gfxsupport/textures/pixel_codec.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

struct ReadCase {
  D3DFORMAT format;
  std::vector<BYTE> pixel;
  FloatColour expected;
};

ImagePaletteEntry gPalette[256];

class PixelRead : public testing::TestWithParam<ReadCase> {
 protected:
  static void SetUpTestSuite() {
    for (int i = 0; i < 256; ++i) {
      gPalette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 17, 200};
    }
  }
};

TEST_P(PixelRead, GivesTheChannelsOfTheLayout) {
  const ReadCase& c = GetParam();
  PixelCodec codec;
  ASSERT_EQ(codec.Init(c.format, gPalette), S_OK);
  ASSERT_EQ(codec.BytesPerPixel(), c.pixel.size());
  FloatColour value{};
  codec.ReadRow(c.pixel.data(), 1, &value);
  EXPECT_FLOAT_EQ(value.r, c.expected.r) << PixelFormatName(c.format);
  EXPECT_FLOAT_EQ(value.g, c.expected.g) << PixelFormatName(c.format);
  EXPECT_FLOAT_EQ(value.b, c.expected.b) << PixelFormatName(c.format);
  EXPECT_FLOAT_EQ(value.a, c.expected.a) << PixelFormatName(c.format);
}

constexpr float k(int byte) { return byte / 255.0f; }

INSTANTIATE_TEST_SUITE_P(
    Formats, PixelRead,
    testing::Values(
        ReadCase{D3DFMT_A8R8G8B8, {0x10, 0x20, 0x30, 0x40}, {k(0x30), k(0x20), k(0x10), k(0x40)}},
        ReadCase{D3DFMT_X8R8G8B8, {0x10, 0x20, 0x30, 0x00}, {k(0x30), k(0x20), k(0x10), 1}},
        ReadCase{D3DFMT_R8G8B8, {0x10, 0x20, 0x30}, {k(0x30), k(0x20), k(0x10), 1}},
        ReadCase{D3DFMT_A8B8G8R8, {0x10, 0x20, 0x30, 0x40}, {k(0x10), k(0x20), k(0x30), k(0x40)}},
        ReadCase{D3DFMT_R5G6B5, {0x00, 0xF8}, {1, 0, 0, 1}}, ReadCase{D3DFMT_R5G6B5, {0xE0, 0x07}, {0, 1, 0, 1}},
        ReadCase{D3DFMT_A1R5G5B5, {0x1F, 0x80}, {0, 0, 1, 1}}, ReadCase{D3DFMT_X1R5G5B5, {0x00, 0xFC}, {1, 0, 0, 1}},
        ReadCase{D3DFMT_A4R4G4B4, {0x0F, 0x50}, {0, 0, 1, 1 / 3.0f}},
        ReadCase{D3DFMT_R3G3B2, {0xE1}, {1, 0, 1 / 3.0f, 1}},
        ReadCase{D3DFMT_A8R3G3B2, {0x1C, 0x80}, {0, 1, 0, k(0x80)}},
        ReadCase{D3DFMT_A2R10G10B10, {0xFF, 0x03, 0x00, 0xC0}, {0, 0, 1, 1}},
        ReadCase{D3DFMT_A2B10G10R10, {0xFF, 0x03, 0x00, 0x40}, {1, 0, 0, 1 / 3.0f}},
        ReadCase{D3DFMT_G16R16, {0xFF, 0xFF, 0x00, 0x00}, {1, 0, 1, 1}},
        ReadCase{D3DFMT_A16B16G16R16, {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}, {1, 0, 0, 32768 / 65535.0f}},
        ReadCase{kFormatCodeR16, {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}, {0, 0, 1, 1}},
        ReadCase{kFormatCodeAL16, {0x00, 0x80, 0xFF, 0xFF}, {32768 / 65535.0f, 32768 / 65535.0f, 32768 / 65535.0f, 1}},
        ReadCase{D3DFMT_L8, {0x40}, {k(0x40), k(0x40), k(0x40), 1}},
        ReadCase{D3DFMT_A8L8, {0x40, 0x80}, {k(0x40), k(0x40), k(0x40), k(0x80)}},
        ReadCase{D3DFMT_L16, {0xFF, 0xFF}, {1, 1, 1, 1}}, ReadCase{D3DFMT_A8, {0x80}, {0, 0, 0, k(0x80)}},
        ReadCase{D3DFMT_P8, {3}, {k(3), k(252), k(17), k(200)}},
        ReadCase{D3DFMT_A8P8, {3, 0x10}, {k(3), k(252), k(17), k(0x10)}},
        ReadCase{D3DFMT_A16B16G16R16F, {0x00, 0x3C, 0x00, 0x38, 0x00, 0x00, 0x00, 0x3C}, {1, 0.5f, 0, 1}},
        ReadCase{D3DFMT_R32F, {0x00, 0x00, 0x80, 0x3E}, {0.25f, 1, 1, 1}}));

// Writing a value that lies exactly on one of a format's levels and reading it back must give
// the same value, for every channel of every uncompressed format.
TEST(PixelCodec, WritesAndReadsBackEveryLevelOfEveryFormat) {
  for (const PixelFormatDescriptor& descriptor : AllPixelFormats()) {
    if (descriptor.layout != PixelLayout::PackedFields && descriptor.layout != PixelLayout::Float16 &&
        descriptor.layout != PixelLayout::Float32)
      continue;
    PixelCodec codec;
    ASSERT_EQ(codec.Init(descriptor.format, nullptr), S_OK) << descriptor.name;
    for (int step = 0; step <= 4; ++step) {
      const float value = step / 4.0f;
      // The grid 0, 1/4 ... 1 snapped to each field's own levels.
      auto snap = [&](BitField field) {
        if (field.bits == 0 || descriptor.layout != PixelLayout::PackedFields) return value;
        const float max = static_cast<float>((uint64_t{1} << field.bits) - 1);
        return static_cast<float>(static_cast<int>(value * max)) / max;
      };
      FloatColour wanted{snap(descriptor.red), snap(descriptor.green), snap(descriptor.blue), snap(descriptor.alpha)};
      if (descriptor.kind == PixelKind::Luminance) {
        wanted.r = wanted.g = wanted.b = snap(descriptor.luminance);
      }
      BYTE pixel[16] = {};
      codec.WriteRawPixel(wanted, pixel);
      const FloatColour read = codec.ReadRawPixel(pixel);
      if (descriptor.red.bits || descriptor.kind == PixelKind::Luminance) {
        EXPECT_NEAR(read.r, wanted.r, 1e-6) << descriptor.name << " step " << step;
      }
      if (descriptor.green.bits) {
        EXPECT_NEAR(read.g, wanted.g, 1e-6) << descriptor.name;
      }
      if (descriptor.blue.bits) {
        EXPECT_NEAR(read.b, wanted.b, 1e-6) << descriptor.name;
      }
      if (descriptor.alpha.bits) {
        EXPECT_NEAR(read.a, wanted.a, 1e-6) << descriptor.name;
      }
    }
  }
}

TEST(PixelCodec, WritingRoundsToNearestAndClamps) {
  PixelCodec codec;
  ASSERT_EQ(codec.Init(D3DFMT_A8R8G8B8, nullptr), S_OK);
  FloatColour values[2] = {{100.4f / 255, 100.6f / 255, -0.5f, 7.0f}, {NAN, 0, 0, 1}};
  BYTE row[8] = {};
  codec.WriteRow(values, 2, row, 0, 0);
  EXPECT_EQ(row[2], 100);  // red
  EXPECT_EQ(row[1], 101);  // green
  EXPECT_EQ(row[0], 0);    // blue clamped up
  EXPECT_EQ(row[3], 255);  // alpha clamped down
  EXPECT_EQ(row[6], 0);    // not a number: the low end, never undefined
}

TEST(PixelCodec, PaletteWriteFindsTheNearestEntry) {
  ImagePaletteEntry palette[256] = {};
  palette[7] = {250, 10, 10, 255};
  palette[9] = {10, 10, 250, 255};
  PixelCodec codec;
  ASSERT_EQ(codec.Init(D3DFMT_P8, palette), S_OK);
  FloatColour values[2] = {{0.9f, 0.1f, 0.0f, 1}, {0.0f, 0.0f, 0.8f, 1}};
  BYTE row[2] = {};
  codec.WriteRow(values, 2, row, 0, 0);
  EXPECT_EQ(row[0], 7);
  EXPECT_EQ(row[1], 9);
}

TEST(PixelCodec, RefusesWhatCannotBeConvertedPixelByPixel) {
  PixelCodec codec;
  EXPECT_EQ(codec.Init(D3DFMT_DXT1, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(codec.Init(D3DFMT_D16, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(codec.Init(D3DFMT_P8, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(codec.Init(static_cast<D3DFORMAT>(999), nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
