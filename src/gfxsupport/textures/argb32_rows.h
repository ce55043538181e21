// Rows of 32-bit ARGB pixels (bytes blue, green, red, alpha) to and from FloatColour (and
// FloatBgra): the conversions every texture load goes through, written for SSE2 where the
// compiler has it and, for the FloatBgra rows, for AVX2 where the processor has it.
// All forms give the same results: channel / 255 on reading; on writing
// truncate(value * 255 + offset) clamped to 0..255, not-a-number giving 0.
#pragma once

#include <cstdint>

#include "gfxsupport/textures/float_colour.h"

namespace gfx::textures {

// `opaque`: the fourth byte is unused (X8R8G8B8), read as alpha 1 and written as 0xFF.
void ReadArgb32Row(const uint8_t* row, uint32_t count, bool opaque, FloatColour* out);
// The same, and pixels whose bits under `keyMask` equal `keyBits` read as transparent black.
void ReadKeyedArgb32Row(const uint8_t* row, uint32_t count, bool opaque, uint32_t keyBits, uint32_t keyMask,
                        FloatColour* out);
// `ditherRow`: four offsets for x & 3, or none for rounding to nearest (offset 0.5).
void WriteArgb32Row(const FloatColour* values, uint32_t count, uint8_t* row, bool opaque, const float* ditherRow,
                    uint32_t x);

// BlendRows then WriteArgb32Row in one pass, with the same results.
void BlendToArgb32Row(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, uint8_t* row,
                      bool opaque, const float* ditherRow, uint32_t x);

// out[i] = w0 * a[i] + w1 * b[i], channel by channel.
void BlendRows(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count, FloatColour* out);

// Four channels as floats in the order of the bytes of a 32-bit ARGB pixel: the working form
// of the 32-bit ARGB fast paths, which then never move a channel. Values as in FloatColour.
struct FloatBgra {
  float b, g, r, a;
};

// A colour key compared on the stored bits: a pixel is keyed out when (pixel & mask) == bits.
struct Argb32Key {
  bool active = false;
  uint32_t bits = 0, mask = 0;
};

// The values ReadKeyedArgb32Row (or ReadArgb32Row without key) gives, in byte order.
void ReadBgraRow(const uint8_t* row, uint32_t count, bool opaque, Argb32Key key, FloatBgra* out);

// BlendToArgb32Row for FloatBgra rows, with the same results.
void BlendBgraToArgb32Row(const FloatBgra* a, float w0, const FloatBgra* b, float w1, uint32_t count, uint8_t* row,
                          bool opaque, const float* ditherRow, uint32_t x);

// A same-size conversion between the 32-bit ARGB formats, on the bits: each pixel ORed with
// `setBits`, or replaced by `keyedPixel` where the key matches.
void ConvertArgb32RowAsBits(const uint8_t* from, uint32_t count, uint32_t setBits, Argb32Key key, uint32_t keyedPixel,
                            uint8_t* to);

}  // namespace gfx::textures
