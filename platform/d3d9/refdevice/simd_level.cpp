// Implements: the processor's level, from the processor probe and what this build compiles in:
// the SSE2 forms wherever the compiler targets SSE2, the AVX2 forms on x86-64 (refdevice.cmake).
#include "simd_level.h"

#include <algorithm>

#include "processor_features.h"

namespace refdevice {

SimdLevel ProcessorSimdLevel() {
#if defined(__x86_64__)
  static const SimdLevel level = processor::HasAvx2() ? SimdLevel::Avx2 : SimdLevel::Sse2;
  return level;
#elif defined(__SSE2__)
  return SimdLevel::Sse2;
#else
  return SimdLevel::Scalar;
#endif
}

SimdLevel RunnableSimdLevel(SimdLevel asked) { return std::min(asked, ProcessorSimdLevel()); }

}  // namespace refdevice
