#include "resource_scrambling.h"

#include <cstddef>

namespace {

uint8_t RotateLeft(uint8_t value, unsigned bits) {
  return static_cast<uint8_t>((value << bits) | (value >> (8 - bits)));
}

}  // namespace

std::vector<uint8_t> ScrambleResource(const std::vector<uint8_t>& readable) {
  const size_t n = readable.size();
  std::vector<uint8_t> scrambled(n);
  for (size_t j = 0; j < n; ++j) {
    scrambled[n - 1 - j] = static_cast<uint8_t>(0xFF - RotateLeft(readable[j], 1 + j % 7));
  }
  return scrambled;
}
