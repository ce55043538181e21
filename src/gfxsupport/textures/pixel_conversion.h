// Converting and resampling a block of pixels into another, of any known uncompressed
// formats and sizes. The first strategy that applies does the work:
//   1. straight copy: same format, no colour key, same sRGB treatment, same palette, same size;
//   2. same size: each row read and written;
//   3. FilterNone: the overlapping rows and columns, top-left aligned, the rest transparent black;
//   4. FilterPoint: nearest source pixel;
//   5. FilterBox where every dimension halves (or stays 1): 2 by 2 (by 2) averages;
//   6. FilterLinear on flat blocks: bilinear;
//   7. FilterLinear with depth: trilinear;
//   8. the general resampler (triangle, and box at other ratios).
// Edges wrap unless the axis's mirror flag is set.
#pragma once

#include "gfxsupport/textures/pixel_block.h"
#include "gfxsupport/textures/texture_filter.h"

namespace gfx::textures {

// `filter` is a filter word (kFilterDefault means FilterTriangle | FilterDither); `colourKey`
// an ARGB value read back through the source format, 0 for none. D3DERR_INVALIDCALL for a bad
// filter word, an empty block, or a format that cannot be converted; E_OUTOFMEMORY when rows
// cannot be had.
HRESULT ConvertPixelBlock(const DestinationBlock& destination, const SourceBlock& source, DWORD filter,
                          D3DCOLOR colourKey);

}  // namespace gfx::textures
