// The sRGB transfer curve, for conversions that ask for sRGB input or output.
#pragma once

namespace gfx::textures {

float SrgbToLinear(float value);
float LinearToSrgb(float value);

}  // namespace gfx::textures
