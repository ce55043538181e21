// The filter word of texture loading and pixel conversion: a filter code in the low 16 bits
// and flags above it.
#pragma once

#include <cstdint>

#include "gfxsupport/textures/pixel_codec.h"
#include "winapi.h"

inline constexpr DWORD FilterNone = 1;
inline constexpr DWORD FilterPoint = 2;
inline constexpr DWORD FilterLinear = 3;
inline constexpr DWORD FilterTriangle = 4;
inline constexpr DWORD FilterBox = 5;
inline constexpr DWORD FilterMirrorU = 0x10000;
inline constexpr DWORD FilterMirrorV = 0x20000;
inline constexpr DWORD FilterMirrorW = 0x40000;
inline constexpr DWORD kFilterMirror = FilterMirrorU | FilterMirrorV | FilterMirrorW;
inline constexpr DWORD FilterDither = 0x80000;
inline constexpr DWORD FilterDitherDiffusion = 0x100000;
inline constexpr DWORD FilterSrgbIn = 0x200000;
inline constexpr DWORD FilterSrgbOut = 0x400000;
inline constexpr DWORD kFilterSrgb = FilterSrgbIn | FilterSrgbOut;
// "Whatever is usual": the image filter becomes FilterTriangle | FilterDither, the mip
// filter FilterBox.
inline constexpr DWORD kFilterDefault = 0xFFFFFFFF;
inline constexpr DWORD kDefaultImageFilter = FilterTriangle | FilterDither;
inline constexpr DWORD kDefaultMipFilter = FilterBox;

namespace gfx::textures {

struct FilterOptions {
  DWORD code = FilterNone;
  bool mirrorU = false, mirrorV = false, mirrorW = false;
  DitherMode dither = DitherMode::None;
  bool srgbIn = false, srgbOut = false;
};

// Splits a filter word (kFilterDefault already replaced by the caller's default).
// D3DERR_INVALIDCALL for a code of 0 or above 5, or a word of 0x800000 or more.
HRESULT ParseFilter(DWORD filter, FilterOptions* options);

}  // namespace gfx::textures
