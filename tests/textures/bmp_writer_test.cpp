#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gfxsupport/textures/bmp_writer.h"
#include "gfxsupport/textures/pixel_format_table.h"

using namespace gfx::textures;  // the texture library's internals under test

namespace {

uint32_t Read32(const std::vector<BYTE>& file, size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t{file[at + 3]} << 24;
}
uint16_t Read16(const std::vector<BYTE>& file, size_t at) {
  return static_cast<uint16_t>(file[at] | file[at + 1] << 8);
}

struct LayoutCase {
  D3DFORMAT format;
  uint32_t headerSize;
  uint16_t bits;
  uint32_t compression;
  uint32_t masks[4];
  bool palette;
};

class BmpLayoutRow : public testing::TestWithParam<LayoutCase> {};

// A 3 by 2 block of each format: headers, masks, palette size and row padding.
TEST_P(BmpLayoutRow, WritesHeadersMasksAndPaddedRows) {
  const LayoutCase& c = GetParam();
  const uint32_t bytesPerPixel = c.bits / 8;
  const uint32_t rowBytes = 3 * bytesPerPixel;
  std::vector<BYTE> pixels(2 * 32);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<BYTE>(i + 1);
  ImagePaletteEntry palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = {BYTE(i), BYTE(i / 2), BYTE(255 - i), 77};
  SourceBlock block;
  block.format = c.format;
  block.width = 3;
  block.height = 2;
  block.rowPitch = 32;
  block.palette = palette;
  block.data = pixels.data();
  std::vector<BYTE> file;
  ASSERT_EQ(BuildBmpFile(block, &file), S_OK) << PixelFormatName(c.format);

  const uint32_t stride = (rowBytes + 3) & ~3u;
  const uint32_t offset = 14 + c.headerSize + (c.palette ? 1024 : 0);
  const uint32_t size = (offset + 2 * stride + 3) & ~3u;
  ASSERT_EQ(file.size(), size);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Read32(file, 2), size);
  EXPECT_EQ(Read32(file, 6), 0u);
  EXPECT_EQ(Read32(file, 10), offset);
  EXPECT_EQ(Read32(file, 14), c.headerSize);
  EXPECT_EQ(Read32(file, 18), 3u);
  EXPECT_EQ(Read32(file, 22), 2u);
  EXPECT_EQ(Read16(file, 26), 1u);
  EXPECT_EQ(Read16(file, 28), c.bits);
  EXPECT_EQ(Read32(file, 30), c.compression);
  EXPECT_EQ(Read32(file, 34), 0u);
  EXPECT_EQ(Read32(file, 38), 2834u);
  EXPECT_EQ(Read32(file, 42), 2834u);
  EXPECT_EQ(Read32(file, 46), 0u);
  EXPECT_EQ(Read32(file, 50), 0u);
  for (uint32_t i = 0; 40 + 4 * i < c.headerSize; ++i) {
    EXPECT_EQ(Read32(file, 54 + 4 * i), c.masks[i]) << "mask " << i;
  }
  // Bottom row first, each row's bytes as they lie in memory, then zeros to the stride.
  for (uint32_t fileRow = 0; fileRow < 2; ++fileRow) {
    const BYTE* stored = file.data() + offset + fileRow * stride;
    const BYTE* source = pixels.data() + (1 - fileRow) * 32;
    EXPECT_EQ(std::memcmp(stored, source, rowBytes), 0) << "row " << fileRow;
    for (uint32_t pad = rowBytes; pad < stride; ++pad) EXPECT_EQ(stored[pad], 0);
  }
  for (uint32_t tail = offset + 2 * stride; tail < size; ++tail) EXPECT_EQ(file[tail], 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, BmpLayoutRow,
    testing::Values(LayoutCase{D3DFMT_R8G8B8, 40, 24, 0, {}, false}, LayoutCase{D3DFMT_A8R8G8B8, 40, 32, 0, {}, false},
                    LayoutCase{D3DFMT_X8R8G8B8, 40, 32, 0, {}, false},
                    LayoutCase{D3DFMT_R5G6B5, 52, 16, 3, {0xF800, 0x07E0, 0x001F}, false},
                    LayoutCase{D3DFMT_X1R5G5B5, 40, 16, 0, {}, false},
                    LayoutCase{D3DFMT_A1R5G5B5, 56, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}, false},
                    LayoutCase{D3DFMT_A4R4G4B4, 56, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, false},
                    LayoutCase{D3DFMT_R3G3B2, 40, 8, 0, {}, true},
                    LayoutCase{D3DFMT_A8R3G3B2, 56, 16, 3, {0xE0, 0x1C, 0x03, 0xFF00}, false},
                    LayoutCase{D3DFMT_X4R4G4B4, 52, 16, 3, {0x0F00, 0x00F0, 0x000F}, false},
                    LayoutCase{D3DFMT_A2B10G10R10, 56, 32, 3, {0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}, false},
                    LayoutCase{D3DFMT_A8B8G8R8, 56, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, false},
                    LayoutCase{D3DFMT_X8B8G8R8, 52, 32, 3, {0xFF, 0xFF00, 0xFF0000}, false},
                    LayoutCase{D3DFMT_G16R16, 52, 32, 3, {0xFFFF, 0xFFFF0000, 0}, false},
                    LayoutCase{D3DFMT_A2R10G10B10, 56, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, false},
                    LayoutCase{D3DFMT_P8, 40, 8, 0, {}, true}, LayoutCase{D3DFMT_L8, 40, 8, 0, {}, true},
                    LayoutCase{D3DFMT_A8L8, 56, 16, 3, {0xFF, 0xFF, 0xFF, 0xFF00}, false},
                    LayoutCase{D3DFMT_L16, 52, 16, 3, {0xFFFF, 0xFFFF, 0xFFFF}, false}));

std::vector<BYTE> BuildEightBit(D3DFORMAT format, const ImagePaletteEntry* palette) {
  const BYTE pixel = 0;
  SourceBlock block;
  block.format = format;
  block.width = block.height = 1;
  block.rowPitch = 1;
  block.palette = palette;
  block.data = &pixel;
  std::vector<BYTE> file;
  EXPECT_EQ(BuildBmpFile(block, &file), S_OK);
  return file;
}

// Palette entry i of the file, as blue, green, red, reserved.
std::vector<BYTE> Entry(const std::vector<BYTE>& file, int i) {
  return {file.begin() + 54 + 4 * i, file.begin() + 58 + 4 * i};
}

TEST(BmpPalette, HoldsTheImagePaletteInFileOrderOrTheFormatsLevels) {
  ImagePaletteEntry palette[256] = {};
  palette[5] = {10, 20, 30, 40};
  const auto p8 = BuildEightBit(D3DFMT_P8, palette);
  EXPECT_EQ(Entry(p8, 5), (std::vector<BYTE>{30, 20, 10, 0}));

  const auto grey = BuildEightBit(D3DFMT_L8, nullptr);
  EXPECT_EQ(Entry(grey, 200), (std::vector<BYTE>{200, 200, 200, 0}));

  // Entry 0b101'011'10: red level 5 (182), green level 3 (109), blue level 2 (170).
  const auto r3g3b2 = BuildEightBit(D3DFMT_R3G3B2, nullptr);
  EXPECT_EQ(Entry(r3g3b2, 0xAE), (std::vector<BYTE>{170, 109, 182, 0}));
}

TEST(BmpFile, IsByteExactForASmallImage) {
  // 2 by 2 A8R8G8B8: 14 + 40 + 16 = 70 bytes, padded to 72; the alpha byte is kept.
  const uint32_t pixels[4] = {0x80112233, 0xFF445566, 0x01778899, 0x00AABBCC};
  SourceBlock block;
  block.format = D3DFMT_A8R8G8B8;
  block.width = block.height = 2;
  block.rowPitch = 8;
  block.data = reinterpret_cast<const BYTE*>(pixels);
  std::vector<BYTE> file;
  ASSERT_EQ(BuildBmpFile(block, &file), S_OK);
  const std::vector<BYTE> expected = {
      'B',  'M',  72,   0,    0,    0,    0,    0,    0,    0,    54, 0, 0,    0,  // file header
      40,   0,    0,    0,    2,    0,    0,    0,    2,    0,    0,  0, 1,    0,
      32,   0,  // size, width, height, planes, bits
      0,    0,    0,    0,    0,    0,    0,    0,    0x12, 0x0B, 0,  0, 0x12, 0x0B,
      0,    0,                                         // compression, image size, dpm
      0,    0,    0,    0,    0,    0,    0,    0,     // colours
      0x99, 0x88, 0x77, 0x01, 0xCC, 0xBB, 0xAA, 0x00,  // bottom row
      0x33, 0x22, 0x11, 0x80, 0x66, 0x55, 0x44, 0xFF,  // top row
      0,    0};
  EXPECT_EQ(file, expected);
}

TEST(BmpFile, RefusesWhatItCannotHold) {
  const BYTE pixel[16] = {};
  SourceBlock block;
  block.width = block.height = 1;
  block.rowPitch = 16;
  block.data = pixel;
  std::vector<BYTE> file;
  block.format = D3DFMT_A32B32G32R32F;
  EXPECT_EQ(BuildBmpFile(block, &file), D3DERR_INVALIDCALL);
  block.format = D3DFMT_P8;  // without its palette
  EXPECT_EQ(BuildBmpFile(block, &file), D3DERR_INVALIDCALL);
  block.format = D3DFMT_A8R8G8B8;
  block.width = 0x7FFFFFFF;  // beyond the 32-bit size field
  EXPECT_EQ(BuildBmpFile(block, &file), D3DERR_INVALIDCALL);
}

}  // namespace
