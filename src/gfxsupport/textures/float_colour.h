// The common currency of pixel conversion: one colour as four 32-bit floats, nominally 0 to 1.
#pragma once

namespace gfx::textures {

struct FloatColour {
  float r, g, b, a;
};

inline bool operator==(const FloatColour& x, const FloatColour& y) {
  return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

}  // namespace gfx::textures
