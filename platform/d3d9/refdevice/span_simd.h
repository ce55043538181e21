// The SSE2 span shader: the pixel pipeline four pixels at a time. It repeats the scalar
// pipeline's arithmetic operation for operation (same float operations in the same order,
// the same 8-bit rounding), so both produce identical pixels; it serves every state except
// mip-mapped or min/mag-differing sampling and textures whose sides are not powers of two.
#pragma once

#include "pixel_pipeline.h"

namespace refdevice {

// Whether this build and the draw's state can use the SIMD span shader.
bool SimdSpanSupports(const PixelPipeline& pipeline);

// Pixels a step: SSE2 (every x86-64 processor) or AVX2 (chosen at run time where present).
enum class SimdWidth { Four, Eight };

// The widest shader this processor runs.
SimdWidth WidestSimd();

// Fills in the pipeline's SIMD fields: the shader specialised for its state and the values
// it takes from the state once per draw.
void PrepareSimdSpans(PixelPipeline& pipeline, SimdWidth width = WidestSimd());

}  // namespace refdevice
