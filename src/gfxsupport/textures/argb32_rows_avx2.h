// AVX2 forms of the row functions of the 32-bit ARGB fast paths, for processors that have it
// (ProcessorHasAvx2). They do the same float operations in the same order, on two pixels
// at a time, so their results are the same. Each does the whole groups of pixels at the
// start of the row and returns how many pixels it did; the caller does the rest.
// Where AVX2 cannot be compiled in, each does nothing and returns 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfxsupport/textures/argb32_rows.h"
#include "gfxsupport/textures/conversion_pass.h"

namespace gfx::textures {

uint32_t ConvertArgb32RowAsBitsAvx2(const uint8_t* from, uint32_t count, uint32_t setBits, Argb32Key key,
                                    uint32_t keyedPixel, uint8_t* to);

uint32_t ReadBgraRowAvx2(const uint8_t* row, uint32_t count, bool opaque, Argb32Key key, FloatBgra* out);

size_t ResampleQuadsAcrossAvx2(const float* row, const BilinearTaps* taps, size_t count, float* out);
// The same where every tap's second source pixel is the one after its first, as everywhere
// but at wrapped or clamped edges: both are fetched with one load, from row + firstFloats[x].
size_t ResampleNeighbourQuadsAcrossAvx2(const float* row, const uint32_t* firstFloats, const BilinearTaps* taps,
                                        size_t count, float* out);

uint32_t BlendBgraToArgb32RowAvx2(const FloatBgra* a, float w0, const FloatBgra* b, float w1, uint32_t count,
                                  uint8_t* row, bool opaque, const float* ditherRow, uint32_t x);

}  // namespace gfx::textures
