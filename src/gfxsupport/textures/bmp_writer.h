// The bytes of a BMP file: 14-byte file header, info header of 40 bytes (52 with three colour
// masks, 56 with an alpha mask as well), palette for 8-bit formats, rows bottom-up padded to
// 4 bytes, the whole file padded to a multiple of 4.
// bench/scene has a BMP writer of its own: the benchmark is built on the device alone, and
// the frames it writes are compared byte for byte between builds, so their layout must not
// follow changes made here.
#pragma once

#include <span>
#include <vector>

#include "gfxsupport/textures/pixel_block.h"

namespace gfx::textures {

// The formats a BMP file holds as they lie in memory, in order of preference.
std::span<const D3DFORMAT> BmpWritableFormats();

// The file for `pixels` (a format of BmpWritableFormats; a palette for P8). D3DERR_INVALIDCALL
// for any other format, a missing palette or a file beyond the 32-bit size field.
HRESULT BuildBmpFile(const SourceBlock& pixels, std::vector<BYTE>* file);

}  // namespace gfx::textures
