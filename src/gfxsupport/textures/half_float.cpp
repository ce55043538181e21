#include "gfxsupport/textures/half_float.h"

#include <bit>
#include <cmath>

namespace gfx::textures {

float HalfToFloat(uint16_t half) {
  const uint32_t sign = (half >> 15) & 1;
  const uint32_t exponent = (half >> 10) & 0x1F;
  const uint32_t mantissa = half & 0x3FF;
  float magnitude;
  if (exponent == 0) {
    magnitude = std::ldexp(static_cast<float>(mantissa), -24);
  } else if (exponent == 31) {
    magnitude = mantissa == 0 ? INFINITY : NAN;
  } else {
    magnitude = std::ldexp(static_cast<float>(mantissa | 0x400), static_cast<int>(exponent) - 25);
  }
  return sign ? -magnitude : magnitude;
}

uint16_t FloatToHalf(float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  const uint16_t sign = static_cast<uint16_t>((bits >> 16) & 0x8000);
  const float magnitude = std::fabs(value);
  if (std::isnan(value)) return static_cast<uint16_t>(sign | 0x7E00);
  if (magnitude >= 65520.0f) return static_cast<uint16_t>(sign | 0x7C00);
  if (magnitude < std::ldexp(1.0f, -14)) {
    // Subnormal halves are multiples of 2^-24.
    const float units = std::nearbyint(magnitude * std::ldexp(1.0f, 24));
    return static_cast<uint16_t>(sign | static_cast<uint16_t>(units));
  }
  int exponent;
  const float fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction * 2^exponent
  // 11 significant bits: fraction in [0.5, 1) scaled to [1024, 2048).
  uint32_t significand = static_cast<uint32_t>(std::nearbyint(fraction * 2048.0f));
  if (significand == 2048) {
    significand = 1024;
    ++exponent;
  }
  const uint32_t biased = static_cast<uint32_t>(exponent - 1 + 15);
  return static_cast<uint16_t>(sign | (biased << 10) | (significand & 0x3FF));
}

}  // namespace gfx::textures
