// 8-bit colour arithmetic shared by the texture stage and the blender: packed 0xAARRGGBB words
// and products rounded to nearest on the 0..255 scale.
#pragma once

#include <array>
#include <cstdint>

namespace refdevice {

// Blue, green, red, alpha: the byte order of a 0xAARRGGBB word in memory. Each 0..255.
using Channels = std::array<uint32_t, 4>;
constexpr int kAlphaChannel = 3;

inline Channels Unpack(uint32_t argb) { return {argb & 0xFFu, (argb >> 8) & 0xFFu, (argb >> 16) & 0xFFu, argb >> 24}; }

// round(x / 255) for the products of two or three 8-bit values.
inline uint32_t DivideBy255(uint32_t x) { return (x + 127u) / 255u; }

inline uint32_t Saturate255(uint32_t x) { return x > 255u ? 255u : x; }

}  // namespace refdevice
