#include "gfxsupport/textures/srgb.h"

#include <cmath>

namespace gfx::textures {

float SrgbToLinear(float value) {
  if (value <= 0.04045f) return value / 12.92f;
  return std::pow((value + 0.055f) / 1.055f, 2.4f);
}

float LinearToSrgb(float value) {
  if (value <= 0.0031308f) return value * 12.92f;
  return 1.055f * std::pow(value, 1.0f / 2.4f) - 0.055f;
}

}  // namespace gfx::textures
