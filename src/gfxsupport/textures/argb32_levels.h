// Bilinear resampling of one 32-bit ARGB source into several 32-bit ARGB blocks at once, as
// the levels of a texture are made from one image: the pixels ConvertPixelBlock gives block by
// block, in one pass over the source rows. Each source row is read once and resampled across
// for every block that uses it, instead of once per block.
#pragma once

#include <vector>

#include "gfxsupport/textures/pixel_block.h"

namespace gfx::textures {

// Whether ConvertPixelBlock would take the 32-bit ARGB bilinear path for `source` into a
// block of `destinationFormat` of another size: both formats A8R8G8B8 or X8R8G8B8, flat
// blocks, FilterLinear without sRGB or error diffusion (`filter` as ConvertPixelBlock takes
// it, kFilterDefault already replaced).
bool ResamplesAsArgb32Levels(const SourceBlock& source, D3DFORMAT destinationFormat, DWORD filter);

// Every destination must pass ResamplesAsArgb32Levels and differ in size from the source.
// D3DERR_INVALIDCALL, before anything is written, when one does not; E_OUTOFMEMORY when rows
// cannot be had.
HRESULT ResampleArgb32Levels(const SourceBlock& source, const std::vector<DestinationBlock>& destinations, DWORD filter,
                             D3DCOLOR colourKey);

}  // namespace gfx::textures
