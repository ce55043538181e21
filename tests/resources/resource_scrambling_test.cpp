#include "resource_scrambling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The saver's unscrambling, written out here on its own: for every j, the source byte at
// n - 1 - j, complemented, rotated right by 1 + j mod 7.
std::vector<uint8_t> Unscramble(const std::vector<uint8_t>& source) {
  const size_t n = source.size();
  std::vector<uint8_t> out(n);
  for (size_t j = 0; j < n; ++j) {
    unsigned c = 0xFFu - source[n - 1 - j];
    unsigned bits = 1 + j % 7;
    out[j] = static_cast<uint8_t>(((c >> bits) | (c << (8 - bits))) & 0xFF);
  }
  return out;
}

// Worked by hand. "xof " and bytes whose rotations are easy to follow; the eighth byte is
// rotated by one bit again, as the count of seven starts over.
//   j=0 'x' 0x78 rotl 1 = 0xF0, 0xFF - 0xF0 = 0x0F, stored last
//   j=1 'o' 0x6F rotl 2 = 0xBD -> 0x42;  j=2 'f' 0x66 rotl 3 = 0x33 -> 0xCC
//   j=3 ' ' 0x20 rotl 4 = 0x02 -> 0xFD;  j=4 0x00 -> 0xFF;  j=5 0xFF -> 0x00
//   j=6 0x81 rotl 7 = 0xC0 -> 0x3F;      j=7 0x01 rotl 1 = 0x02 -> 0xFD, stored first
TEST(ResourceScrambling, MatchesHandWorkedBytesBothWays) {
  const struct {
    std::vector<uint8_t> readable;
    std::vector<uint8_t> scrambled;
  } kCases[] = {
      {{}, {}},
      {{0x78}, {0x0F}},
      {{0x78, 0x6F, 0x66, 0x20, 0x00, 0xFF, 0x81, 0x01}, {0xFD, 0x3F, 0x00, 0xFF, 0xFD, 0xCC, 0x42, 0x0F}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ScrambleResource(c.readable), c.scrambled) << c.readable.size() << " bytes";
    EXPECT_EQ(Unscramble(c.scrambled), c.readable) << c.readable.size() << " bytes";
  }
  std::vector<uint8_t> everyByte;
  for (int i = 0; i < 256 * 7; ++i) everyByte.push_back(static_cast<uint8_t>(i * 37 + i / 256));
  EXPECT_EQ(Unscramble(ScrambleResource(everyByte)), everyByte);
}

}  // namespace
