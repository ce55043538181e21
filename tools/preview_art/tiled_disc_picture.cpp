#include "tiled_disc_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "hyperbolic_tiling.h"

namespace {

constexpr int kSamplesPerAxis = 4;  // 16 samples a pixel smooth the edges of the small tiles

struct Coverage {
  double disc = 0;   // share of the pixel inside the disc
  double white = 0;  // share of the pixel on white tiles
};

// Samples one pixel of a disc of the given radius centred at (centreX, centreY).
// `reach` is how far towards the rim of the tiled disc the picture's edge goes (1: all of it).
Coverage SamplePixel(const hyperbolic::Tiling& tiling, int x, int y, double centreX, double centreY, double radius,
                     double reach = 1) {
  Coverage coverage;
  const double step = 1.0 / kSamplesPerAxis;
  for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
    for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
      double px = x + (sx + 0.5) * step;
      double py = y + (sy + 0.5) * step;
      // Screen y grows downwards; the disc's imaginary axis points up.
      hyperbolic::Point z((px - centreX) / radius, (centreY - py) / radius);
      if (std::abs(z) >= 1) continue;
      coverage.disc += 1;
      hyperbolic::FoldResult folded = tiling.Fold(z * reach);
      // Near the rim the tiles are far smaller than a sample; an unfinished fold counts as the
      // grey the rim averages to.
      if (!folded.reached) {
        coverage.white += 0.5;
      } else if (folded.reflections % 2 == 0) {
        coverage.white += 1;
      }
    }
  }
  double samples = kSamplesPerAxis * kSamplesPerAxis;
  coverage.disc /= samples;
  coverage.white /= samples;
  return coverage;
}

uint8_t ToByte(double share) { return static_cast<uint8_t>(std::lround(std::clamp(share, 0.0, 1.0) * 255)); }

hyperbolic::Tiling MotifTiling() {
  // A vertex of the central (white) triangle points straight up.
  return *hyperbolic::Tiling::Create(3, 8, std::numbers::pi / 2);
}

}  // namespace

RgbImage DrawPreviewPicture(int width, int height) {
  hyperbolic::Tiling tiling = MotifTiling();
  RgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3, 0)};
  double radius = std::min(width, height) / 2.0 - 3;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t shade = ToByte(SamplePixel(tiling, x, y, width / 2.0, height / 2.0, radius).white);
      std::fill_n(&image.rgb[(static_cast<size_t>(y) * width + x) * 3], 3, shade);
    }
  }
  return image;
}

RgbaImage DrawIconPicture(int size) {
  hyperbolic::Tiling tiling = MotifTiling();
  RgbaImage image{size, size, std::vector<uint8_t>(static_cast<size_t>(size) * size * 4, 0)};
  double radius = size / 2.0;
  // Tiles near the rim are smaller than a pixel of a small icon and blur into grey; small
  // icons show the disc only out to where its tiles still read.
  double reach = std::min(0.97, 0.5 + size / 64.0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Coverage coverage = SamplePixel(tiling, x, y, radius, radius, radius, reach);
      uint8_t* pixel = &image.rgba[(static_cast<size_t>(y) * size + x) * 4];
      // Colour is the disc's own (black and white tiles), alpha its coverage of the pixel.
      uint8_t shade = coverage.disc > 0 ? ToByte(coverage.white / coverage.disc) : 0;
      pixel[0] = pixel[1] = pixel[2] = shade;
      pixel[3] = ToByte(coverage.disc);
    }
  }
  return image;
}
