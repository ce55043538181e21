// IEEE 754 half-precision floats (the 16-bit float pixel formats) to and from 32-bit floats.
#pragma once

#include <cstdint>

namespace gfx::textures {

float HalfToFloat(uint16_t half);
// Rounds to nearest even; values beyond the half range become infinity, NaN stays NaN.
uint16_t FloatToHalf(float value);

}  // namespace gfx::textures
