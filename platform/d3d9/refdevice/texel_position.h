// Where a texture coordinate falls among the texels of one axis. Written once in scalar form;
// the SIMD span shader repeats exactly these float operations, so both give the same texels
// and weights.
#pragma once

#include <cmath>
#include <cstdint>

#include "refdevice.h"
#include "tuning.h"

namespace refdevice {

// Coordinates are held within this many texels of the origin: beyond it a float has no
// fraction left, and the integer conversions below stay in range.
constexpr float kTexelCoordinateLimit = 4194304.0f;  // 2^22

struct TexelPosition {
  int32_t index;   // first texel, before addressing; the linear filter also reads index + 1
  int32_t weight;  // of texel index + 1, 0 .. 1 << kFilterWeightBits (linear filter only)
};

inline TexelPosition ToTexelPosition(float coordinate, int size, Address mode, Filter filter) {
  float sizeF = static_cast<float>(size);
  // Texel k's centre is at (k + 0.5) / size: the linear filter starts half a texel earlier.
  float s = coordinate * sizeF;
  if (filter == Filter::Linear) s = s - 0.5f;
  if (!(s >= -kTexelCoordinateLimit)) s = -kTexelCoordinateLimit;  // NaN too
  if (s > kTexelCoordinateLimit) s = kTexelCoordinateLimit;
  // Wrap and mirror fold the integer index afterwards, which leaves the fraction exact.
  if (mode == Address::Clamp) {
    if (s < -1.0f) s = -1.0f;
    if (s > sizeF) s = sizeF;
  }
  float whole = std::floor(s);
  TexelPosition position;
  position.index = static_cast<int32_t>(whole);
  position.weight = static_cast<int32_t>((s - whole) * static_cast<float>(1 << tuning::kFilterWeightBits) + 0.5f);
  return position;
}

}  // namespace refdevice
