// The processor's features, as the system code asks Windows for them.
// Implements: IsProcessorFeaturePresent for MMX, SSE2 and AVX2 (the program's one probe answers).
// Leaves out: every other feature, which reads as absent.
#pragma once

#include "win32_types.h"

#define PF_MMX_INSTRUCTIONS_AVAILABLE 3
#define PF_XMMI64_INSTRUCTIONS_AVAILABLE 10
#define PF_AVX2_INSTRUCTIONS_AVAILABLE 40

BOOL WINAPI IsProcessorFeaturePresent(DWORD ProcessorFeature);
