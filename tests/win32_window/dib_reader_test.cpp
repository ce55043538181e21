#include "dib_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Builds a packed DIB: a 40-byte header (or a 12-byte core header), then `tail` (masks,
// palette, rows) as given.
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t coloursUsed,
                         const std::vector<uint8_t>& tail, uint16_t planes = 1) {
  std::vector<uint8_t> data(40, 0);
  const auto put32 = [&data](size_t at, uint32_t value) { std::memcpy(&data[at], &value, 4); };
  const auto put16 = [&data](size_t at, uint16_t value) { std::memcpy(&data[at], &value, 2); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  put16(12, planes);
  put16(14, bits);
  put32(16, compression);
  put32(32, coloursUsed);
  data.insert(data.end(), tail.begin(), tail.end());
  return data;
}

std::vector<uint8_t> CoreDib(uint16_t width, uint16_t height, uint16_t bits, const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> data = {12,
                               0,
                               0,
                               0,
                               static_cast<uint8_t>(width),
                               static_cast<uint8_t>(width >> 8),
                               static_cast<uint8_t>(height),
                               static_cast<uint8_t>(height >> 8),
                               1,
                               0,
                               static_cast<uint8_t>(bits),
                               0};
  data.insert(data.end(), tail.begin(), tail.end());
  return data;
}

std::vector<uint32_t> Read(const std::vector<uint8_t>& data, int& width, int& height) {
  standin::Bitmap bitmap;
  EXPECT_TRUE(standin::ReadPackedDib(data.data(), data.size(), bitmap));
  width = bitmap.width;
  height = bitmap.height;
  return bitmap.pixels;
}

}  // namespace

TEST(DibReaderTest, ReadsEachPixelLayoutTopDown) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
    int width;
    int height;
    std::vector<uint32_t> pixels;
  };
  const Case cases[] = {
      // Rows bottom-up, blue-green-red, each row padded to 4 bytes.
      {"24 bits",
       Dib(2, 2, 24, 0, 0, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       2,
       2,
       {0x090807, 0x0C0B0A, 0x030201, 0x060504}},
      {"24 bits top-down", Dib(1, -2, 24, 0, 0, {1, 2, 3, 0, 4, 5, 6, 0}), 1, 2, {0x030201, 0x060504}},
      {"32 bits", Dib(1, 1, 32, 0, 0, {0x10, 0x20, 0x30, 0xFF}), 1, 1, {0x302010}},
      // 16 bits, 5-5-5: red 31, green 0, blue 16 -> 0x7C10.
      {"16 bits", Dib(1, 1, 16, 0, 0, {0x10, 0x7C, 0, 0}), 1, 1, {0xFF0084}},
      // 16 bits with 5-6-5 masks after the header: pure green.
      {"16 bits masks",
       Dib(1, 1, 16, 3, 0, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0, 0xE0, 0x07, 0, 0}),
       1,
       1,
       {0x00FF00}},
      // 1 bit, 9 wide: crosses a byte; palette black, white.
      {"1 bit",
       Dib(9, 1, 1, 0, 0, {0, 0, 0, 0, 255, 255, 255, 0, 0b10100000, 0b10000000, 0, 0}),
       9,
       1,
       {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF}},
      // 4 bits: two entries used, high nibble first.
      {"4 bits",
       Dib(3, 1, 4, 0, 2, {0, 0, 255, 0, 0, 255, 0, 0, 0x01, 0x10, 0, 0}),
       3,
       1,
       {0xFF0000, 0x00FF00, 0x00FF00}},
      // 8 bits with a short palette: an index past it reads black.
      {"8 bits", Dib(2, 1, 8, 0, 1, {9, 8, 7, 0, 0, 5, 0, 0}), 2, 1, {0x070809, 0}},
      // The old core header: palette entries are three bytes.
      {"core header",
       CoreDib(2, 1, 8,
               [] {
                 std::vector<uint8_t> tail(256 * 3, 0);
                 tail[3] = 0x33;  // entry 1: blue 0x33
                 tail.insert(tail.end(), {1, 0, 0, 0});
                 return tail;
               }()),
       2,
       1,
       {0x000033, 0}},
  };
  for (const Case& each : cases) {
    int width = 0;
    int height = 0;
    const std::vector<uint32_t> pixels = Read(each.data, width, height);
    EXPECT_EQ(width, each.width) << each.name;
    EXPECT_EQ(height, each.height) << each.name;
    EXPECT_EQ(pixels, each.pixels) << each.name;
  }
}

TEST(DibReaderTest, RefusesWhatItCannotReadWithoutTouchingTheOutput) {
  std::vector<uint8_t> truncated = Dib(4, 4, 24, 0, 0, std::vector<uint8_t>(47, 0));  // needs 48
  std::vector<uint8_t> shortHeader = Dib(1, 1, 24, 0, 0, {0, 0, 0, 0});
  shortHeader[0] = 20;
  std::vector<uint8_t> headerPastEnd = Dib(1, 1, 24, 0, 0, {0, 0, 0, 0});
  headerPastEnd[0] = 200;
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
  };
  const Case cases[] = {
      {"rows cut short", truncated},
      {"header cut short", std::vector<uint8_t>(truncated.begin(), truncated.begin() + 30)},
      {"no data", {}},
      {"unknown header size", shortHeader},
      {"header past the end", headerPastEnd},
      {"zero width", Dib(0, 1, 24, 0, 0, std::vector<uint8_t>(8, 0))},
      {"too wide", Dib(16385, 1, 1, 0, 0, std::vector<uint8_t>(4096, 0))},
      {"widest negative height", Dib(1, INT32_MIN, 24, 0, 0, std::vector<uint8_t>(8, 0))},
      {"two planes", Dib(1, 1, 24, 0, 0, {0, 0, 0, 0}, 2)},
      {"3 bits", Dib(1, 1, 3, 0, 0, std::vector<uint8_t>(64, 0))},
      {"run-length rows", Dib(1, 1, 8, 1, 0, std::vector<uint8_t>(1100, 0))},
      {"masks on 24 bits", Dib(1, 1, 24, 3, 0, std::vector<uint8_t>(16, 0xFF))},
      {"zero masks", Dib(1, 1, 32, 3, 0, std::vector<uint8_t>(16, 0))},
      {"palette larger than the bits allow", Dib(1, 1, 1, 0, 3, std::vector<uint8_t>(16, 0))},
      {"palette past the end", Dib(1, 1, 8, 0, 0, std::vector<uint8_t>(100, 0))},
  };
  for (const Case& each : cases) {
    standin::Bitmap bitmap{7, 7, {1}};
    EXPECT_FALSE(standin::ReadPackedDib(each.data.data(), each.data.size(), bitmap)) << each.name;
    EXPECT_EQ(bitmap.width, 7) << each.name;
  }
  standin::Bitmap untouched;
  EXPECT_FALSE(standin::ReadPackedDib(nullptr, 100, untouched));
}
