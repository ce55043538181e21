#include "halo_mask.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCentre = kHaloMaskSize / 2.0;

double Smoothstep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The edge is a smoothstep whose two halves are stretched separately, so that half cover
// falls at kHaloHalfRadius rather than midway between the clear and opaque radii.
double EdgeAlpha(double distance) {
  double t = distance < kHaloHalfRadius
                 ? 0.5 * (distance - kHaloClearRadius) / (kHaloHalfRadius - kHaloClearRadius)
                 : 0.5 + 0.5 * (distance - kHaloHalfRadius) / (kHaloOpaqueRadius - kHaloHalfRadius);
  return 255 * Smoothstep(t);
}

// The outermost ring of pixels is a little translucent, most at the corners: the fourth power
// of the distance keeps the middle of each edge nearly opaque.
double BorderAlpha(double distance) {
  const double cornerDistance = (kCentre - 0.5) * std::sqrt(2.0);
  double reach = distance * distance / (cornerDistance * cornerDistance);
  return 255 - (255 - kHaloCornerAlpha) * reach * reach;
}

bool OnBorder(int x, int y) { return x == 0 || y == 0 || x == kHaloMaskSize - 1 || y == kHaloMaskSize - 1; }

}  // namespace

RgbaPicture DrawHaloMask() {
  RgbaPicture mask{kHaloMaskSize, kHaloMaskSize, std::vector<uint8_t>(4u * kHaloMaskSize * kHaloMaskSize, 255)};
  for (int y = 0; y < kHaloMaskSize; ++y) {
    for (int x = 0; x < kHaloMaskSize; ++x) {
      // Only arithmetic and a square root, which every IEEE machine rounds alike: the alpha
      // comes out the same wherever the mask is drawn.
      double dx = x + 0.5 - kCentre;
      double dy = y + 0.5 - kCentre;
      double distance = std::sqrt(dx * dx + dy * dy);
      double alpha = OnBorder(x, y) ? BorderAlpha(distance) : EdgeAlpha(distance);
      mask.rgba[(static_cast<size_t>(y) * kHaloMaskSize + x) * 4 + 3] = static_cast<uint8_t>(std::lround(alpha));
    }
  }
  return mask;
}
