// An 8-bit colour picture as the generators hand it to the JPEG encoder.
#pragma once

#include <cstdint>
#include <vector>

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows from the top, red, green, blue a pixel
};
