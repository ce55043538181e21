// Writing a colour picture as a JPEG file (JFIF, three components).
#pragma once

#include <cstdint>
#include <vector>

#include "rgb_picture.h"

struct JpegSettings {
  int quality;       // 1 to 100, libjpeg's scale
  bool progressive;  // several scans (start-of-frame marker SOF2) instead of one (SOF0)
  bool fullChroma;   // colour sampled at every pixel (4:4:4) instead of every second (4:2:0)
};

std::vector<uint8_t> EncodeJpeg(const RgbPicture& picture, const JpegSettings& settings);
