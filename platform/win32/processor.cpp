// Implements: IsProcessorFeaturePresent from the processor probe. Leaves out: what processor.h lists.
#include "processor.h"

#include "processor_features.h"

BOOL WINAPI IsProcessorFeaturePresent(DWORD ProcessorFeature) {
  switch (ProcessorFeature) {
    case PF_MMX_INSTRUCTIONS_AVAILABLE:
      return processor::HasMmx();
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE:
      return processor::HasSse2();
    case PF_AVX2_INSTRUCTIONS_AVAILABLE:
      return processor::HasAvx2();
    default:
      return FALSE;
  }
}
