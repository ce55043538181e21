// What the stand-in knows about pixel formats: their memory layout, and which of them the
// reference device can render to, sample and use for depth.
// Implements: bytes per pixel (or per 4 x 4 block for DXT formats), row pitch and level size
// with overflow checks, the size of each mip level, and the device's format support.
// Leaves out: channel layouts (the image code converts pixels; the device only copies them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "d3d9types.h"

namespace d3d9 {

struct FormatLayout {
  uint32_t bytesPerUnit = 0;  // per pixel, or per 4 x 4 block when blockCompressed
  bool blockCompressed = false;
};

// Layout of a format whose memory the stand-in can hold; nullopt for unknown formats.
std::optional<FormatLayout> LayoutOf(D3DFORMAT format);

// Row pitch and whole-image size of a width x height image; nullopt when they overflow.
struct ImageSize {
  size_t pitchBytes = 0;
  size_t rows = 0;  // pixel rows, or block rows for DXT formats
  size_t totalBytes = 0;
};
std::optional<ImageSize> SizeOfImage(D3DFORMAT format, UINT width, UINT height);

// Size of mip level `level` of a width x height image (each level halves, down to 1).
UINT LevelExtent(UINT extent, UINT level);
// Number of levels of a full chain down to 1 x 1.
UINT FullChainLength(UINT width, UINT height);

// The formats the reference device reads and writes as 32-bit 0xAARRGGBB words.
bool IsColorTargetFormat(D3DFORMAT format);
bool HasOpaqueAlpha(D3DFORMAT format);  // X8R8G8B8: alpha reads as 1
bool IsDepthFormat(D3DFORMAT format);
// A display mode format that the device accepts as the adapter format of a check.
bool IsDisplayFormat(D3DFORMAT format);

}  // namespace d3d9
