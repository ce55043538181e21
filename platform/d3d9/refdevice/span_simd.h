// The SSE2 span shader: the pixel pipeline four pixels at a time. It repeats the scalar
// pipeline's arithmetic operation for operation (same float operations in the same order,
// the same 8-bit rounding), so both produce identical pixels; it serves every state except
// mip-mapped or min/mag-differing sampling and textures whose sides are not powers of two.
#pragma once

#include "pixel_pipeline.h"

namespace refdevice {

// Whether this build and the draw's state can use the SIMD span shader.
bool SimdSpanSupports(const PixelPipeline& pipeline);

// Fills in the pipeline's SIMD fields: the shader specialised for its state and the values
// it takes from the state once per draw. `level`: Sse2 for four pixels a step, Avx2 for eight
// (one the processor runs).
void PrepareSimdSpans(PixelPipeline& pipeline, SimdLevel level);

}  // namespace refdevice
