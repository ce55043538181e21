// Alpha blending: source * source factor + destination * destination factor, per channel on
// the 0..255 scale, rounded to nearest and saturated; the operation is always an add.
// Leaves out: the subtract, min and max operations, a separate alpha blend and a blend factor.
#pragma once

#include <cstdint>

#include "refdevice.h"

namespace refdevice {

// Both colours 0xAARRGGBB; the destination's alpha is as it reads from the target.
uint32_t Blend(const BlendState& state, uint32_t source, uint32_t destination);

}  // namespace refdevice
