// The sRGB transfer curve, for conversions that ask for sRGB input or output.
#pragma once

float SrgbToLinear(float value);
float LinearToSrgb(float value);
