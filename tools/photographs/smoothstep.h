// The smooth ramp every soft edge of the generated pictures uses: 0 up to `low`, 1 from
// `high`, with no kink at either end.
#pragma once

#include <algorithm>

inline double Smoothstep(double low, double high, double value) {
  double t = std::clamp((value - low) / (high - low), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}
