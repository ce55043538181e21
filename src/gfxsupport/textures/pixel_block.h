// A block of pixels in memory as pixel conversion sees it: format, size, pitches and palette.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfxsupport/images/image_decoding.h"
#include "d3d9api.h"

namespace gfx::textures {

struct PixelBlockShape {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  uint32_t width = 0, height = 0, depth = 1;
  size_t rowPitch = 0;                         // bytes from one row to the next
  size_t slicePitch = 0;                       // bytes from one slice to the next (unused when depth is 1)
  const ImagePaletteEntry* palette = nullptr;  // 256 entries for palette formats
};

// Where to read: `data` points at the first pixel of the block.
struct SourceBlock : PixelBlockShape {
  const BYTE* data = nullptr;
};

// Where to write. x and y place the block on its surface, so that the ordered-dither
// pattern stays fixed to the surface whatever rectangle is written.
struct DestinationBlock : PixelBlockShape {
  BYTE* data = nullptr;
  uint32_t x = 0, y = 0;
};

}  // namespace gfx::textures
