// Rows of 32-bit ARGB pixels (bytes blue, green, red, alpha) to and from FloatColour: the
// conversions every texture load goes through, written for SSE2 where the compiler has it.
// Both paths give the same results: channel / 255 on reading; on writing
// truncate(value * 255 + offset) clamped to 0..255, not-a-number giving 0.
#pragma once

#include <cstdint>

#include "gfxsupport/float_colour.h"

// `opaque`: the fourth byte is unused (X8R8G8B8), read as alpha 1 and written as 0xFF.
void ReadArgb32Row(const uint8_t* row, uint32_t count, bool opaque, FloatColour* out);
// The same, and pixels whose bits under `keyMask` equal `keyBits` read as transparent black.
void ReadKeyedArgb32Row(const uint8_t* row, uint32_t count, bool opaque, uint32_t keyBits,
                        uint32_t keyMask, FloatColour* out);
// `ditherRow`: four offsets for x & 3, or none for rounding to nearest (offset 0.5).
void WriteArgb32Row(const FloatColour* values, uint32_t count, uint8_t* row, bool opaque,
                    const float* ditherRow, uint32_t x);

// BlendRows then WriteArgb32Row in one pass, with the same results.
void BlendToArgb32Row(const FloatColour* a, float w0, const FloatColour* b, float w1,
                      uint32_t count, uint8_t* row, bool opaque, const float* ditherRow,
                      uint32_t x);

// out[i] = w0 * a[i] + w1 * b[i], channel by channel.
void BlendRows(const FloatColour* a, float w0, const FloatColour* b, float w1, uint32_t count,
               FloatColour* out);
