// Decoding of DXT1 to DXT5 compressed blocks (4 x 4 pixels each) into A8R8G8B8.
#pragma once

#include <cstddef>

#include "winapi.h"

namespace gfx::images {

enum class DxtKind { Dxt1, Dxt2, Dxt3, Dxt4, Dxt5 };

// 8 bytes per block for DXT1, 16 for the others.
size_t DxtBlockBytes(DxtKind kind);

// Decodes width x height pixels from the blocks (rows of ceil(width / 4) blocks, ceil(height /
// 4) rows of blocks) into A8R8G8B8 rows `pitch` bytes apart; blocks that reach past the image
// edge give only their inner pixels. DXT2 and DXT4 colours are stored premultiplied by alpha
// and come out straight.
void DecodeDxtImage(DxtKind kind, const BYTE* blocks, UINT width, UINT height, BYTE* pixels, size_t pitch);

}  // namespace gfx::images
