// BMP files and headerless DIB data: bit depths, headers, masks, RLE, row order, colour tables.
#include <gtest/gtest.h>

#include "decoded_pixels.h"

namespace {

namespace F = ImagePixelFormat;

constexpr Rgba8 Red{255, 0, 0, 255}, Green{0, 255, 0, 255}, Blue{0, 0, 255, 255}, White{255, 255, 255, 255},
    Black{0, 0, 0, 255};

// A 40-byte header DIB (or a longer one when extra header bytes are given).
Bytes InfoHeader(int32_t width, int32_t height, int bits, uint32_t compression, uint32_t usedColours,
                 uint32_t headerSize = 40) {
  Bytes b;
  b.u32(headerSize).u32(static_cast<uint32_t>(width)).u32(static_cast<uint32_t>(height)).u16(1).u16(bits);
  b.u32(compression).u32(0).u32(0).u32(0).u32(usedColours).u32(0);
  return b;
}

// Table entries blue, green, red, reserved.
Bytes& Table(Bytes& b, std::initializer_list<Rgba8> colours) {
  for (const Rgba8& c : colours) b.u8({c.b, c.g, c.r, 0});
  return b;
}

Bytes WithFileHeader(const Bytes& dib, uint32_t pixelOffsetInDib) {
  Bytes file;
  file.text("BM").u32(static_cast<uint32_t>(14 + dib.size())).u32(0).u32(14 + pixelOffsetInDib);
  return file.append(dib.data());
}

struct BitmapCase {
  const char* name;
  std::vector<uint8_t> data;
  DWORD format;
  UINT width, height;
  std::vector<Rgba8> pixels;
};

std::vector<BitmapCase> Cases() {
  std::vector<BitmapCase> cases;
  {  // 1 bit, bottom-up: the stored first row is the picture's bottom row.
    Bytes b = InfoHeader(3, 2, 1, 0, 0);
    Table(b, {Black, White}).u8({0b10100000, 0, 0, 0}).u8({0b01000000, 0, 0, 0});
    cases.push_back({"1 bit bottom-up", b.data(), F::P8, 3, 2, {Black, White, Black, White, Black, White}});
  }
  {  // 4 bits with a used-colour count of 3 (a short table) and a file header.
    Bytes b = InfoHeader(3, 1, 4, 0, 3);
    Table(b, {Red, Green, Blue}).u8({0x21, 0x00, 0, 0});
    cases.push_back({"4 bits, 3 used colours", WithFileHeader(b, 40 + 12).data(), F::P8, 3, 1, {Blue, Green, Red}});
  }
  {  // 8 bits top-down (negative height), file header pointing past a gap after the table.
    Bytes b = InfoHeader(2, -2, 8, 0, 2);
    Table(b, {Red, Blue}).zeros(6).u8({1, 0, 0, 0}).u8({0, 1, 0, 0});
    cases.push_back(
        {"8 bits top-down with a gap", WithFileHeader(b, 40 + 8 + 6).data(), F::P8, 2, 2, {Blue, Red, Red, Blue}});
  }
  {  // Old 12-byte header: three-byte table entries, 8 bits.
    Bytes b;
    b.u32(12).u16(2).u16(1).u16(1).u16(8);
    for (int i = 0; i < 256; ++i) b.u8({i == 1 ? 255 : 0, 0, i == 0 ? 255 : 0});
    b.u8({0, 1, 0, 0});
    cases.push_back({"core header", b.data(), F::P8, 2, 1, {Red, Blue}});
  }
  {  // RLE8: a run, a literal of odd length (padded), end of line, a delta, end of bitmap.
    Bytes b = InfoHeader(4, 3, 8, 1, 3);
    Table(b, {Black, Red, Green});
    b.u8({3, 1, 0, 0});        // row 0 (bottom): red red red, end of line
    b.u8({0, 3, 2, 1, 2, 0});  // row 1: literal green red green, pad
    b.u8({0, 2, 1, 1});        // delta: right 1, up 1 -> row 2, x 4
    b.u8({0, 0});              // end of line: row 2 begins... (already there) -> row 3 ends the picture
    b.u8({0, 1});
    cases.push_back({"RLE8 runs, literal, delta",
                     b.data(),
                     F::P8,
                     4,
                     3,
                     {Black, Black, Black, Black, Green, Red, Green, Black, Red, Red, Red, Black}});
  }
  {  // RLE4: runs alternate their two indices; a literal of three.
    Bytes b = InfoHeader(5, 1, 4, 2, 3);
    Table(b, {Black, Red, Green});
    b.u8({2, 0x12, 0, 3, 0x21, 0x20, 0, 1});
    cases.push_back({"RLE4 run and literal", b.data(), F::P8, 5, 1, {Red, Green, Green, Red, Green}});
  }
  {  // 16 bits without masks: 5-5-5.
    Bytes b = InfoHeader(2, 1, 16, 0, 0);
    b.u16(0x7C00).u16(0x001F);
    cases.push_back({"16 bits 555", b.data(), F::X1R5G5B5, 2, 1, {Red, Blue}});
  }
  {  // 16 bits with 5-6-5 masks after the header: converted.
    Bytes b = InfoHeader(3, 1, 16, 3, 0);
    b.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0xF800).u16(0x0400).u16(0x001F).u16(0);
    cases.push_back({"16 bits 565 masks", b.data(), F::X8R8G8B8, 3, 1, {Red, {0, 130, 0, 255}, Blue}});
  }
  {  // 24 bits bottom-up, rows padded to four bytes.
    Bytes b = InfoHeader(1, 2, 24, 0, 0);
    b.u8({0, 0, 255, 0}).u8({255, 0, 0, 0});
    cases.push_back({"24 bits", b.data(), F::R8G8B8, 1, 2, {Blue, Red}});
  }
  {  // 32 bits, version 5 header with bit-field masks and an alpha mask in the header.
    Bytes b = InfoHeader(2, 1, 32, 3, 0, 124);
    b.u32(0xFF0000).u32(0xFF00).u32(0xFF).u32(0xFF000000u).zeros(124 - 56);
    b.u8({0, 0, 255, 128}).u8({255, 0, 0, 0});
    cases.push_back({"32 bits version 5 alpha", b.data(), F::A8R8G8B8, 2, 1, {{255, 0, 0, 128}, {0, 0, 255, 0}}});
  }
  {  // 32 bits with masks in an unusual order (A8B8G8R8): converted.
    Bytes b = InfoHeader(1, 1, 32, 6, 0);
    b.u32(0xFF).u32(0xFF00).u32(0xFF0000).u32(0xFF000000u);
    b.u8({10, 20, 30, 40});
    cases.push_back({"32 bits ABGR masks", b.data(), F::A8R8G8B8, 1, 1, {{10, 20, 30, 40}}});
  }
  return cases;
}

TEST(Bitmaps, DecodeEveryLayout) {
  for (const BitmapCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    ImageInfo info{};
    DecodedImage image = DecodeOrFail(c.data, &info);
    const bool fileHeader = c.data[0] == 'B' && c.data[1] == 'M';
    EXPECT_EQ(info.fileFormat, fileHeader ? ImageFileFormatBmp : ImageFileFormatDib);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(ToRgba8(image), c.pixels) << Describe(ToRgba8(image));
    FreeDecodedImage(&image);
  }
}

TEST(Bitmaps, TopDownRowsAreUsedInPlace) {
  Bytes b = InfoHeader(1, -2, 32, 0, 0);
  b.u8({1, 2, 3, 0}).u8({4, 5, 6, 0});
  DecodedImage image = DecodeOrFail(b.data());
  EXPECT_FALSE(image.ownsPixels);
  EXPECT_EQ(image.pixels, b.data().data() + 40);
  FreeDecodedImage(&image);
}

TEST(Bitmaps, RefusesDamagedHeadersAndData) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    const char* reason;
  };
  // Without a header of a size and plane count that a DIB has, nothing says the data is one.
  const char* unknown = kNotAnImage;
  Bytes tooShortHeader = InfoHeader(1, 1, 24, 0, 0, 39);
  tooShortHeader.zeros(8);
  Bytes twoPlanes = InfoHeader(1, 1, 24, 0, 0);
  twoPlanes.data()[12] = 2;
  twoPlanes.zeros(4);
  Bytes tableBeyondData = InfoHeader(1, 1, 8, 0, 200);
  tableBeyondData.zeros(100);
  Bytes rowsBeyondData = InfoHeader(4, 4, 24, 0, 0);
  rowsBeyondData.zeros(47);
  Bytes hugeUsedColours = InfoHeader(1, 1, 24, 0, 0xFFFFFFFFu);
  hugeUsedColours.zeros(4);
  Bytes rleLiteralPastData = InfoHeader(4, 1, 8, 1, 1);
  Table(rleLiteralPastData, {Black}).u8({0, 9, 1, 1});
  Bytes rleTopDown = InfoHeader(1, -1, 8, 1, 1);
  Table(rleTopDown, {Black}).u8({1, 0, 0, 1});
  Bytes embeddedPng = InfoHeader(1, 1, 0, 5, 0);
  embeddedPng.zeros(16);
  Bytes zeroWidth = InfoHeader(0, 1, 24, 0, 0);
  zeroWidth.zeros(4);
  const Case cases[] = {
      {"header size 39", tooShortHeader.data(), unknown},
      {"two planes", twoPlanes.data(), unknown},
      {"colour table beyond the data", tableBeyondData.data(),
       "DIB: colour table of 200 entries does not fit the file"},
      {"rows beyond the data", rowsBeyondData.data(), "DIB: pixels run past the end of the file"},
      {"used-colour count that overflows", hugeUsedColours.data(),
       "DIB: colour table of 4294967295 entries does not fit the file"},
      {"RLE literal beyond the data", rleLiteralPastData.data(),
       "DIB: run-length literal pixels run past the end of the file"},
      {"RLE stored top-down", rleTopDown.data(), "DIB: run-length compressed rows stored top-down"},
      {"embedded PNG", embeddedPng.data(), "DIB: embedded PNG pixels are not read"},
      {"width 0", zeroWidth.data(), "DIB: width 0 or height 1 out of range"},
  };
  for (const Case& c : cases) {
    ImageInfo info{};
    DecodedImage image = EmptyDecodedImage();
    EXPECT_EQ(DecodeImage(c.data.data(), static_cast<UINT>(c.data.size()), &image, &info), ErrInvalidData) << c.name;
    EXPECT_STREQ(LastReadFailure(), c.reason) << c.name;
  }
}

}  // namespace
