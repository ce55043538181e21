// The AVX2 span shader: the SSE2 shader's arithmetic eight pixels at a time, for processors
// that have AVX2. Same float operations in the same order and the same 8-bit rounding, so the
// same pixels as the scalar pipeline; it serves exactly the states the SSE2 shader serves.
#pragma once

#include "span_plans.h"

namespace refdevice {

// Stores the shader's per-draw values and its narrow-triangle shader in the pipeline, and
// returns its copy specialised for the pipeline's state.
SpanShader PrepareAvx2Shader(PixelPipeline& pipeline);

}  // namespace refdevice
