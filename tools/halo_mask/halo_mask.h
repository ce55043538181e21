// The halo mask: a white square picture whose alpha leaves a round hole at the centre, opaque
// around it with a soft edge between. The saver stretches it over the screen in the background
// colour with its alpha doubled, so the disc shows through the hole and the halo colour glows
// where the edge fades.
#pragma once

#include <cstdint>
#include <vector>

struct RgbaPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // rows from the top, 4 bytes a pixel, straight alpha
};

constexpr int kHaloMaskSize = 512;
// The soft edge, in pixels from the centre: clear up to kHaloClearRadius, half covering at
// kHaloHalfRadius, fully covering from kHaloOpaqueRadius.
constexpr double kHaloClearRadius = 22;
constexpr double kHaloHalfRadius = 37;
constexpr double kHaloOpaqueRadius = 54;
// Alpha of the border ring's corner pixels, its most translucent.
constexpr double kHaloCornerAlpha = 222;

RgbaPicture DrawHaloMask();
