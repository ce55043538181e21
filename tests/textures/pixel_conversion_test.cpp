#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfxsupport/textures/conversion_pass.h"
#include "gfxsupport/textures/pixel_conversion.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

// A small block of 32-bit ARGB pixels (or any format, by bytes), tightly packed.
struct Block {
  D3DFORMAT format;
  uint32_t width, height;
  std::vector<BYTE> bytes;
  const ImagePaletteEntry* palette = nullptr;
};

Block Argb(uint32_t width, uint32_t height, std::vector<uint32_t> pixels) {
  Block block{D3DFMT_A8R8G8B8, width, height, std::vector<BYTE>(pixels.size() * 4)};
  std::memcpy(block.bytes.data(), pixels.data(), block.bytes.size());
  return block;
}

std::vector<uint32_t> AsArgb(const std::vector<BYTE>& bytes) {
  std::vector<uint32_t> pixels(bytes.size() / 4);
  std::memcpy(pixels.data(), bytes.data(), bytes.size());
  return pixels;
}

HRESULT Convert(const Block& from, D3DFORMAT format, uint32_t width, uint32_t height, DWORD filter, D3DCOLOR key,
                std::vector<BYTE>* out) {
  const uint32_t bytesPerPixel = FindPixelFormat(format)->BytesPerPixel();
  out->assign(size_t{width} * height * bytesPerPixel, 0xCD);
  SourceBlock source;
  source.format = from.format;
  source.width = from.width;
  source.height = from.height;
  source.rowPitch = from.bytes.size() / from.height;
  source.palette = from.palette;
  source.data = from.bytes.data();
  DestinationBlock destination;
  destination.format = format;
  destination.width = width;
  destination.height = height;
  destination.rowPitch = size_t{width} * bytesPerPixel;
  destination.data = out->data();
  return ConvertPixelBlock(destination, source, filter, key);
}

std::vector<uint32_t> ConvertArgb(const Block& from, uint32_t width, uint32_t height, DWORD filter, D3DCOLOR key = 0) {
  std::vector<BYTE> out;
  EXPECT_EQ(Convert(from, D3DFMT_A8R8G8B8, width, height, filter, key, &out), S_OK);
  return AsArgb(out);
}

TEST(ColourKey, KeysOutExactlyTheOpaqueBlackPixels) {
  const Block image = Argb(4, 1, {0xFF000000, 0xFE000000, 0xFF010000, 0xFF000001});
  EXPECT_EQ(ConvertArgb(image, 4, 1, FilterLinear, 0xFF000000),
            (std::vector<uint32_t>{0x00000000, 0xFE000000, 0xFF010000, 0xFF000001}));
}

TEST(ColourKey, IsReadBackThroughTheSourceFormat) {
  // A JPEG decodes to X8R8G8B8 with a top byte of 0: its black still reads as opaque black.
  Block jpeg = Argb(2, 1, {0x00000000, 0x00000100});
  jpeg.format = D3DFMT_X8R8G8B8;
  EXPECT_EQ(ConvertArgb(jpeg, 2, 1, FilterLinear, 0xFF000000), (std::vector<uint32_t>{0x00000000, 0xFF000100}));

  // In R5G6B5 the key 0xFF040204 is stored as black, so it matches black pixels.
  const Block r5g6b5{D3DFMT_R5G6B5, 2, 1, {0x00, 0x00, 0x01, 0x00}};
  EXPECT_EQ(ConvertArgb(r5g6b5, 2, 1, FilterNone, 0xFF040204), (std::vector<uint32_t>{0x00000000, 0xFF000008}));
}

TEST(Conversion, ExpandsGreyToEqualChannelsAndOpaqueAlpha) {
  const Block grey{D3DFMT_L8, 3, 1, {0x00, 0x7F, 0xFF}};
  EXPECT_EQ(ConvertArgb(grey, 3, 1, FilterLinear), (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF}));
}

TEST(Conversion, StraightCopyKeepsBytesThatAConversionWouldRewrite) {
  Block unused = Argb(2, 1, {0x00112233, 0x7F445566});
  unused.format = D3DFMT_X8R8G8B8;
  std::vector<BYTE> out;
  ASSERT_EQ(Convert(unused, D3DFMT_X8R8G8B8, 2, 1, FilterNone, 0, &out), S_OK);
  EXPECT_EQ(AsArgb(out), (std::vector<uint32_t>{0x00112233, 0x7F445566}));
  // A key forbids the copy: the unused byte is then written as ones.
  ASSERT_EQ(Convert(unused, D3DFMT_X8R8G8B8, 2, 1, FilterNone, 0xFF000001, &out), S_OK);
  EXPECT_EQ(AsArgb(out), (std::vector<uint32_t>{0xFF112233, 0xFF445566}));
}

// Between the 32-bit formats a same-size conversion works on the bits; it must give what the
// general path through floats gives.
TEST(Conversion, ThirtyTwoBitShortcutMatchesTheFloatPath) {
  std::vector<uint32_t> pixels(64);
  uint32_t noise = 7;
  for (uint32_t& pixel : pixels) {
    noise = noise * 1664525u + 1013904223u;
    pixel = noise;
  }
  pixels[3] = 0xFF000000;
  pixels[9] = 0x00000000;
  for (D3DFORMAT from : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    for (D3DFORMAT to : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
      for (DWORD dither : {0u, FilterDither}) {
        Block image = Argb(8, 8, pixels);
        image.format = from;
        std::vector<BYTE> direct, viaFloats, floats;
        ASSERT_EQ(Convert(image, to, 8, 8, FilterNone | dither, 0xFF000000, &direct), S_OK);
        ASSERT_EQ(Convert(image, D3DFMT_A32B32G32R32F, 8, 8, FilterNone, 0xFF000000, &floats), S_OK);
        const Block wide{D3DFMT_A32B32G32R32F, 8, 8, floats};
        ASSERT_EQ(Convert(wide, to, 8, 8, FilterNone | dither, 0, &viaFloats), S_OK);
        EXPECT_EQ(direct, viaFloats) << from << " to " << to << " dither " << dither;
      }
    }
  }
}

struct SrgbCase {
  DWORD flags;
  uint32_t expectedRed;
};

class Srgb : public testing::TestWithParam<SrgbCase> {};

TEST_P(Srgb, ConvertsOnTheRequestedSideOnly) {
  const Block image = Argb(1, 1, {0xFF800000});
  const auto out = ConvertArgb(image, 1, 1, FilterNone | GetParam().flags);
  EXPECT_EQ((out[0] >> 16) & 0xFF, GetParam().expectedRed);
}

INSTANTIATE_TEST_SUITE_P(Flags, Srgb,
                         testing::Values(SrgbCase{0, 128}, SrgbCase{FilterSrgbIn, 55}, SrgbCase{FilterSrgbOut, 188},
                                         SrgbCase{FilterSrgbIn | FilterSrgbOut, 128}));

TEST(Dither, OrderedDitherAddsTheMatrixEntryBeforeTruncating) {
  // Red of 128 / 65535 is 0.498 of an 8-bit step: rounding gives 0, the dither offsets of
  // rows 0 and 3 give 1 where they exceed 0.502.
  Block wide{D3DFMT_A16B16G16R16, 4, 4, std::vector<BYTE>(4 * 4 * 8, 0)};
  for (size_t i = 0; i < 16; ++i) wide.bytes[i * 8] = 0x80;
  std::vector<BYTE> out;
  ASSERT_EQ(Convert(wide, D3DFMT_L8, 4, 4, FilterNone, 0, &out), S_OK);
  EXPECT_EQ(out, std::vector<BYTE>(16, 0));
  ASSERT_EQ(Convert(wide, D3DFMT_A8R8G8B8, 4, 4, FilterNone | FilterDither, 0, &out), S_OK);
  const auto pixels = AsArgb(out);
  const uint32_t expected[4][4] = {{1, 0, 1, 0}, {0, 1, 0, 1}, {1, 0, 1, 0}, {0, 1, 0, 1}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ((pixels[y * 4 + x] >> 16) & 0xFF, expected[y][x]);
  }
}

TEST(Dither, DiffusionKeepsTheAverageOfAnAreaBetweenLevels) {
  // Red of 64.3 steps: rounding writes 64 everywhere; diffusion mixes 64 and 65 so that the
  // area keeps its average.
  const uint32_t size = 16;
  Block wide{D3DFMT_A16B16G16R16, size, size, std::vector<BYTE>(size * size * 8, 0)};
  const uint16_t red = static_cast<uint16_t>(64.3 / 255 * 65535 + 0.5);
  for (size_t i = 0; i < size * size; ++i) std::memcpy(&wide.bytes[i * 8], &red, 2);
  const auto rounded = ConvertArgb(wide, size, size, FilterNone);
  const auto diffused = ConvertArgb(wide, size, size, FilterNone | FilterDitherDiffusion);
  double sum = 0;
  for (size_t i = 0; i < diffused.size(); ++i) {
    const uint32_t value = (diffused[i] >> 16) & 0xFF;
    EXPECT_TRUE(value == 64 || value == 65) << value;
    EXPECT_EQ((rounded[i] >> 16) & 0xFF, 64u);
    sum += value;
  }
  EXPECT_NEAR(sum / diffused.size(), 64.3, 0.05);
}

TEST(Strategies, FilterNoneCopiesTheOverlapAndClearsTheRest) {
  const Block image = Argb(2, 2, {0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444});
  EXPECT_EQ(ConvertArgb(image, 3, 3, FilterNone),
            (std::vector<uint32_t>{0xFF111111, 0xFF222222, 0, 0xFF333333, 0xFF444444, 0, 0, 0, 0}));
  EXPECT_EQ(ConvertArgb(image, 1, 1, FilterNone), (std::vector<uint32_t>{0xFF111111}));
}

TEST(Strategies, PointTakesTheNearestPixel) {
  const Block image = Argb(2, 1, {0xFF0000FF, 0xFFFF0000});
  EXPECT_EQ(ConvertArgb(image, 4, 1, FilterPoint),
            (std::vector<uint32_t>{0xFF0000FF, 0xFF0000FF, 0xFFFF0000, 0xFFFF0000}));
}

TEST(Strategies, BoxHalvingAveragesTwoByTwo) {
  const Block image = Argb(4, 2,
                           {0xFF000000, 0xFF040404, 0xFF808080, 0xFF808080,  //
                            0xFF080808, 0xFF0C0C0C, 0x00808080, 0x00808080});
  EXPECT_EQ(ConvertArgb(image, 2, 1, FilterBox), (std::vector<uint32_t>{0xFF060606, 0x80808080}));
}

struct EdgeCase {
  DWORD flags;
  uint32_t first, last;  // red of the first and last destination column
};

class BilinearEdges : public testing::TestWithParam<EdgeCase> {};

// 4 columns of red 0, 60, 120, 240 stretched to 8: the first column lies a quarter pixel
// before the first source column, the last a quarter pixel after the last one.
TEST_P(BilinearEdges, WrapToTheOppositeEdgeUnlessMirrored) {
  const Block image = Argb(4, 1, {0xFF000000, 0xFF3C0000, 0xFF780000, 0xFFF00000});
  const auto out = ConvertArgb(image, 8, 1, FilterLinear | GetParam().flags);
  EXPECT_EQ((out[0] >> 16) & 0xFF, GetParam().first);
  EXPECT_EQ((out[7] >> 16) & 0xFF, GetParam().last);
  EXPECT_EQ((out[1] >> 16) & 0xFF, 15u);  // inside: 0.75 * 0 + 0.25 * 60
}

INSTANTIATE_TEST_SUITE_P(Flags, BilinearEdges,
                         testing::Values(EdgeCase{0, 60, 180}, EdgeCase{FilterMirrorU, 0, 240},
                                         EdgeCase{FilterMirrorV, 60, 180}));

TEST(Strategies, BilinearRowsWrapToo) {
  const Block column = Argb(1, 2, {0xFF000000, 0xFFFF0000});
  const auto wrapped = ConvertArgb(column, 1, 4, FilterLinear);
  const auto mirrored = ConvertArgb(column, 1, 4, FilterLinear | FilterMirrorV);
  EXPECT_EQ((wrapped[0] >> 16) & 0xFF, 64u);  // 0.25 * 255 wrapped from the bottom row
  EXPECT_EQ((mirrored[0] >> 16) & 0xFF, 0u);
}

TEST(Strategies, TriangleKeepsFlatAreasFlatAndSmoothsDetail) {
  const Block flat = Argb(3, 3, std::vector<uint32_t>(9, 0xFF336699));
  for (uint32_t size : {1u, 2u, 5u, 8u}) {
    for (uint32_t pixel : ConvertArgb(flat, size, size, FilterTriangle)) {
      EXPECT_EQ(pixel, 0xFF336699u) << size;
    }
  }
  // Alternating columns halve into an even grey.
  const Block stripes = Argb(4, 1, {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF});
  EXPECT_EQ(ConvertArgb(stripes, 2, 1, FilterTriangle), (std::vector<uint32_t>{0xFF808080, 0xFF808080}));
  // Box at a ratio other than one half goes to the same resampler: 3 to 2 weighs each source
  // pixel by the part of it under the destination pixel.
  const Block three = Argb(3, 1, {0xFF000000, 0xFF303030, 0xFF606060});
  EXPECT_EQ(ConvertArgb(three, 2, 1, FilterBox), (std::vector<uint32_t>{0xFF101010, 0xFF505050}));
}

// Large images are resampled a row at a time instead of all at once: same pixels.
TEST(Strategies, GeneralResamplerGivesTheSamePixelsWithinAnyMemory) {
  std::vector<uint32_t> pixels(13 * 9);
  uint32_t noise = 5;
  for (uint32_t& pixel : pixels) pixel = noise = noise * 1664525u + 1013904223u;
  const Block image = Argb(13, 9, pixels);
  SourceBlock source;
  source.format = D3DFMT_A8R8G8B8;
  source.width = 13;
  source.height = 9;
  source.rowPitch = 13 * 4;
  source.data = image.bytes.data();
  for (DWORD filter : {FilterTriangle, FilterBox | kFilterMirror}) {
    std::vector<BYTE> results[2];
    for (size_t limit : {kGeneralResamplerMemory, size_t{0}}) {
      std::vector<BYTE>& out = results[limit == 0];
      out.assign(5 * 20 * 4, 0);
      DestinationBlock destination;
      destination.format = D3DFMT_A8R8G8B8;
      destination.width = 5;
      destination.height = 20;
      destination.rowPitch = 5 * 4;
      destination.data = out.data();
      FilterOptions options;
      ASSERT_EQ(ParseFilter(filter, &options), S_OK);
      PixelCodec reader, writer;
      ASSERT_EQ(reader.Init(D3DFMT_A8R8G8B8, nullptr), S_OK);
      ASSERT_EQ(writer.Init(D3DFMT_A8R8G8B8, nullptr), S_OK);
      ResampleGeneralWithin(ConversionPass{source, destination, reader, writer, options}, limit);
    }
    EXPECT_EQ(results[0], results[1]) << filter;
  }
}

TEST(Conversion, PaletteSourceReadsItsEntriesAndKeepsThemForAPaletteDestination) {
  ImagePaletteEntry palette[256] = {};
  palette[1] = {255, 0, 0, 255};
  palette[2] = {0, 0, 255, 128};
  Block indices{D3DFMT_P8, 2, 1, {1, 2}, palette};
  EXPECT_EQ(ConvertArgb(indices, 2, 1, FilterNone), (std::vector<uint32_t>{0xFFFF0000, 0x800000FF}));
  std::vector<BYTE> out;
  ASSERT_EQ(Convert(indices, D3DFMT_P8, 4, 1, FilterPoint, 0, &out), S_OK);
  EXPECT_EQ(out, (std::vector<BYTE>{1, 1, 2, 2}));
}

TEST(Conversion, RefusesBadFilterWordsAndUnconvertibleFormats) {
  const Block image = Argb(1, 1, {0});
  std::vector<BYTE> out;
  for (DWORD filter : {0u, 6u, 0x800000u | FilterLinear, 0x10000u}) {
    EXPECT_EQ(Convert(image, D3DFMT_A8R8G8B8, 1, 1, filter, 0, &out), D3DERR_INVALIDCALL) << std::hex << filter;
  }
  EXPECT_EQ(Convert(image, D3DFMT_DXT1, 4, 4, FilterNone, 0, &out), D3DERR_INVALIDCALL);
  const Block noPalette{D3DFMT_P8, 1, 1, {0}};
  EXPECT_EQ(Convert(noPalette, D3DFMT_A8R8G8B8, 1, 1, FilterNone, 0, &out), D3DERR_INVALIDCALL);
}

}  // namespace
