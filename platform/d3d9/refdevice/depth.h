// Depth test on 16-bit depth: values are z in [0, 1] scaled to 0..65535 and rounded.
#pragma once

#include <cstdint>

#include "refdevice.h"

namespace refdevice {

inline uint16_t DepthToUnorm16(float z) {
  if (!(z > 0.0f)) return 0;  // also catches NaN
  if (z >= 1.0f) return 0xFFFF;
  return static_cast<uint16_t>(z * 65535.0f + 0.5f);
}

inline bool DepthPasses(CompareFunction compare, uint16_t incoming, uint16_t stored) {
  switch (compare) {
    case CompareFunction::Never:
      return false;
    case CompareFunction::Less:
      return incoming < stored;
    case CompareFunction::Equal:
      return incoming == stored;
    case CompareFunction::LessEqual:
      return incoming <= stored;
    case CompareFunction::Greater:
      return incoming > stored;
    case CompareFunction::NotEqual:
      return incoming != stored;
    case CompareFunction::GreaterEqual:
      return incoming >= stored;
    case CompareFunction::Always:
      return true;
  }
  return false;
}

}  // namespace refdevice
