// Writing the two Windows picture files the resource compiler takes: a 24-bit BMP for a
// BITMAP resource and a 32-bit-per-pixel ICO for an ICON group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels are rows from the top, left to right.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel, straight alpha
};

std::vector<uint8_t> EncodeBmp24(const RgbImage& image);
// Every image at most 256 pixels wide and high; each is stored as a DIB with an AND mask.
std::vector<uint8_t> EncodeIco32(const std::vector<RgbaImage>& images);
