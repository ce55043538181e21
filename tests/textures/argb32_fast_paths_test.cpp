// Conversions between the 32-bit ARGB formats take shortcuts (bits instead of floats, rows in
// byte order, several pixels at a time). Each must give, byte for byte, what the general path
// gives when it is handed the same colours as 32-bit floats: every channel c as c / 255,
// keyed pixels already transparent black.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "gfxsupport/textures/argb32_levels.h"
#include "gfxsupport/textures/pixel_conversion.h"
#include "gfxsupport/images/processor_features.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

// Pixels that sit on and next to every decision: the key (opaque black) and its near misses,
// alpha 0, 254 and 255, channel extremes; the rest noise.
std::vector<uint32_t> AwkwardPixels(uint32_t count, uint32_t seed) {
  static const uint32_t kSpecial[] = {0xFF000000, 0xFE000000, 0xFF000001, 0xFF010000, 0x00000000, 0x00FFFFFF,
                                      0xFFFFFFFF, 0xFE808080, 0x01000000, 0xFF000100, 0x7F7F7F7F, 0x80FF00FF};
  std::vector<uint32_t> pixels(count);
  uint32_t noise = seed;
  for (uint32_t i = 0; i < count; ++i) {
    noise = noise * 1664525u + 1013904223u;
    pixels[i] = (noise >> 29) < 3 ? kSpecial[(noise >> 8) % std::size(kSpecial)] : noise;
  }
  return pixels;
}

struct Image {
  D3DFORMAT format;
  uint32_t width, height;
  size_t rowPitch;
  std::vector<BYTE> bytes;
};

// Rows padded past their pixels, as a locked surface's may be.
Image ArgbImage(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t seed) {
  Image image{format, width, height, size_t{width} * 4 + 12, {}};
  image.bytes.assign(image.rowPitch * height, 0xEE);
  const std::vector<uint32_t> pixels = AwkwardPixels(width * height, seed);
  for (uint32_t y = 0; y < height; ++y)
    std::memcpy(&image.bytes[y * image.rowPitch], &pixels[y * width], size_t{width} * 4);
  return image;
}

// The same colours as the general path reads them: floats r, g, b, a, the key applied.
Image AsFloats(const Image& image, D3DCOLOR key) {
  Image floats{D3DFMT_A32B32G32R32F, image.width, image.height, size_t{image.width} * 16, {}};
  floats.bytes.resize(floats.rowPitch * image.height);
  const bool opaque = image.format == D3DFMT_X8R8G8B8;
  const uint32_t keyMask = opaque ? 0x00FFFFFFu : 0xFFFFFFFFu;
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, &image.bytes[y * image.rowPitch + 4 * x], 4);
      float value[4] = {static_cast<float>((pixel >> 16) & 0xFF) / 255.0f,
                        static_cast<float>((pixel >> 8) & 0xFF) / 255.0f, static_cast<float>(pixel & 0xFF) / 255.0f,
                        opaque ? 1.0f : static_cast<float>(pixel >> 24) / 255.0f};
      if (key != 0 && (pixel & keyMask) == (key & keyMask)) {
        for (float& channel : value) channel = 0.0f;
      }
      std::memcpy(&floats.bytes[y * floats.rowPitch + 16 * x], value, 16);
    }
  }
  return floats;
}

// Converts into a block of `format` placed at (x, y) of its surface, for the dither pattern.
std::vector<BYTE> Convert(const Image& from, D3DFORMAT format, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                          DWORD filter, D3DCOLOR key) {
  std::vector<BYTE> out(size_t{width} * height * 4, 0xCD);
  SourceBlock source;
  source.format = from.format;
  source.width = from.width;
  source.height = from.height;
  source.rowPitch = from.rowPitch;
  source.data = from.bytes.data();
  DestinationBlock destination;
  destination.format = format;
  destination.width = width;
  destination.height = height;
  destination.rowPitch = size_t{width} * 4;
  destination.data = out.data();
  destination.x = x;
  destination.y = y;
  EXPECT_EQ(ConvertPixelBlock(destination, source, filter, key), S_OK);
  return out;
}

struct Size {
  uint32_t width, height;
};

std::string Describe(const char* form, D3DFORMAT from, D3DFORMAT to, D3DCOLOR key, DWORD filter, Size in, Size out) {
  std::ostringstream text;
  text << form << ", format " << from << " to " << to << ", key " << std::hex << key << ", filter " << filter
       << std::dec << ", " << in.width << "x" << in.height << " to " << out.width << "x" << out.height;
  return text.str();
}

// A block copied as it stands, spare bytes and all: no conversion to compare.
bool IsStraightCopy(D3DFORMAT from, D3DFORMAT to, D3DCOLOR key, Size in, Size out) {
  return from == to && key == 0 && in.width == out.width && in.height == out.height;
}

// Runs `check` with the processor's widest row functions, then again with AVX2 not allowed
// where the processor has it: both forms must give the general path's pixels.
void WithEachRowForm(void (*check)(const char* form)) {
  check("widest rows");
  if (!ProcessorHasAvx2()) return;
  AllowAvx2(false);
  check("SSE2 rows");
  AllowAvx2(true);
}

// Odd sizes, single rows and columns, stretching and shrinking by uneven ratios, the 2:1 of
// mip levels: every kind of tap, with edges wrapping or clamped.
const Size kSourceSizes[] = {{1, 1}, {3, 1}, {1, 5}, {7, 5}, {13, 9}, {32, 16}};
const Size kDestinationSizes[] = {{1, 1}, {2, 3}, {5, 7}, {8, 4}, {16, 16}, {33, 17}};

void CheckBilinear(const char* form) {
  for (D3DFORMAT from : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    for (D3DFORMAT to : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
      for (D3DCOLOR key : {D3DCOLOR{0}, D3DCOLOR{0xFF000000}, D3DCOLOR{0xFE808080}}) {
        for (DWORD flags : {0u, FilterMirrorU, FilterMirrorV | FilterDither, FilterDither}) {
          for (const Size& in : kSourceSizes) {
            const Image image = ArgbImage(from, in.width, in.height, in.width * 31 + in.height);
            const Image floats = AsFloats(image, key);
            for (const Size& out : kDestinationSizes) {
              if (IsStraightCopy(from, to, key, in, out)) continue;
              const DWORD filter = FilterLinear | flags;
              const auto fast = Convert(image, to, out.width, out.height, 3, 6, filter, key);
              const auto general = Convert(floats, to, out.width, out.height, 3, 6, filter, 0);
              ASSERT_EQ(fast, general) << Describe(form, from, to, key, filter, in, out);
            }
          }
        }
      }
    }
  }
}

TEST(Argb32FastPaths, BilinearGivesThePixelsOfTheFloatPath) { WithEachRowForm(CheckBilinear); }

// Same size: the bits path, several pixels at a time, with widths that leave a remainder.
void CheckSameSize(const char* form) {
  for (D3DFORMAT from : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    for (D3DFORMAT to : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
      for (D3DCOLOR key : {D3DCOLOR{0}, D3DCOLOR{0xFF000000}}) {
        for (uint32_t width : {1u, 3u, 4u, 7u, 9u, 16u, 21u}) {
          const Image image = ArgbImage(from, width, 3, width);
          const Image floats = AsFloats(image, key);
          if (IsStraightCopy(from, to, key, {width, 3}, {width, 3})) continue;
          for (DWORD filter : {FilterNone, FilterLinear | FilterDither}) {
            EXPECT_EQ(Convert(image, to, width, 3, 1, 2, filter, key), Convert(floats, to, width, 3, 1, 2, filter, 0))
                << Describe(form, from, to, key, filter, {width, 3}, {width, 3});
          }
        }
      }
    }
  }
}

TEST(Argb32FastPaths, SameSizeGivesThePixelsOfTheFloatPath) { WithEachRowForm(CheckSameSize); }

}  // namespace

namespace {

// All the destination sizes but the source's own at once, each placed somewhere else on its
// surface: each block must be what converting it by itself gives.
void CheckLevelsInOnePass(const char* form) {
  for (D3DFORMAT from : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    for (D3DFORMAT to : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
      for (D3DCOLOR key : {D3DCOLOR{0}, D3DCOLOR{0xFF000000}}) {
        for (DWORD flags : {0u, FilterMirrorU | FilterDither, FilterMirrorV, kFilterMirror}) {
          for (const Size& in : kSourceSizes) {
            const Image image = ArgbImage(from, in.width, in.height, in.width + 7 * in.height);
            SourceBlock source;
            source.format = from;
            source.width = in.width;
            source.height = in.height;
            source.rowPitch = image.rowPitch;
            source.data = image.bytes.data();
            std::vector<std::vector<BYTE>> together;
            std::vector<DestinationBlock> blocks;
            for (const Size& out : kDestinationSizes) {
              if (out.width == in.width && out.height == in.height) continue;
              together.emplace_back(size_t{out.width} * out.height * 4, 0xCD);
              DestinationBlock block;
              block.format = to;
              block.width = out.width;
              block.height = out.height;
              block.rowPitch = size_t{out.width} * 4;
              block.data = together.back().data();
              block.x = out.height;
              block.y = out.width + 1;
              blocks.push_back(block);
            }
            const DWORD filter = FilterLinear | flags;
            ASSERT_EQ(ResampleArgb32Levels(source, blocks, filter, key), S_OK);
            for (size_t i = 0; i < blocks.size(); ++i) {
              const DestinationBlock& block = blocks[i];
              ASSERT_EQ(together[i], Convert(image, to, block.width, block.height, block.x, block.y, filter, key))
                  << Describe(form, from, to, key, filter, in, {block.width, block.height});
            }
          }
        }
      }
    }
  }
}

TEST(Argb32FastPaths, LevelsInOnePassGiveEachBlocksOwnPixels) { WithEachRowForm(CheckLevelsInOnePass); }

TEST(Argb32FastPaths, LevelsInOnePassRefuseWhatTheyCannotDo) {
  const Image image = ArgbImage(D3DFMT_A8R8G8B8, 4, 4, 1);
  SourceBlock source;
  source.format = D3DFMT_A8R8G8B8;
  source.width = 4;
  source.height = 4;
  source.rowPitch = image.rowPitch;
  source.data = image.bytes.data();
  std::vector<BYTE> pixels(8 * 8 * 4, 0xCD);
  DestinationBlock block;
  block.format = D3DFMT_A8R8G8B8;
  block.width = 8;
  block.height = 8;
  block.rowPitch = 8 * 4;
  block.data = pixels.data();
  DestinationBlock sameSize = block;
  sameSize.width = sameSize.height = 4;
  DestinationBlock otherFormat = block;
  otherFormat.format = D3DFMT_R5G6B5;
  struct Refusal {
    const char* what;
    DestinationBlock block;
    DWORD filter;
  };
  for (const Refusal& refusal :
       {Refusal{"same size", sameSize, FilterLinear}, Refusal{"other format", otherFormat, FilterLinear},
        Refusal{"triangle filter", block, FilterTriangle},
        Refusal{"diffusion", block, FilterLinear | FilterDitherDiffusion},
        Refusal{"sRGB", block, FilterLinear | FilterSrgbIn}}) {
    EXPECT_EQ(ResampleArgb32Levels(source, {block, refusal.block}, refusal.filter, 0), D3DERR_INVALIDCALL)
        << refusal.what;
  }
  EXPECT_EQ(pixels, std::vector<BYTE>(8 * 8 * 4, 0xCD)) << "nothing written before refusing";
}

}  // namespace
