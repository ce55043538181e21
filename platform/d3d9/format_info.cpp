// Pixel format layouts and the reference device's format support.
// Implements: the layouts and format support of format_info.h.
// Leaves out: channel layouts.
#include "format_info.h"

#include <limits>

namespace d3d9 {

std::optional<FormatLayout> LayoutOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A32B32G32R32F:
      return FormatLayout{16, false};
    case D3DFMT_A16B16G16R16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_Q16W16V16U16:
    case D3DFMT_G32R32F:
      return FormatLayout{8, false};
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_G16R16:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
    case D3DFMT_G16R16F:
    case D3DFMT_R32F:
      return FormatLayout{4, false};
    case D3DFMT_R8G8B8:
      return FormatLayout{3, false};
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
    case D3DFMT_L16:
    case D3DFMT_R16F:
    case D3DFMT_CxV8U8:
    case D3DFMT_UYVY:
    case D3DFMT_YUY2:
    case D3DFMT_R8G8_B8G8:
    case D3DFMT_G8R8_G8B8:
      return FormatLayout{2, false};
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
      return FormatLayout{1, false};
    case D3DFMT_DXT1:
      return FormatLayout{8, true};
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return FormatLayout{16, true};
    default:
      return std::nullopt;
  }
}

std::optional<ImageSize> SizeOfImage(D3DFORMAT format, UINT width, UINT height) {
  const std::optional<FormatLayout> layout = LayoutOf(format);
  if (!layout || width == 0 || height == 0) return std::nullopt;
  uint64_t units = width;
  uint64_t rows = height;
  if (layout->blockCompressed) {
    units = (uint64_t{width} + 3) / 4;
    rows = (uint64_t{height} + 3) / 4;
  }
  // Both factors are below 2^32 and bytesPerUnit at most 16, so the products fit in 64 bits.
  const uint64_t pitch = units * layout->bytesPerUnit;
  const uint64_t total = pitch * rows;
  // Pitches are handed out as INT and images addressed with size_t.
  if (pitch > uint64_t{std::numeric_limits<INT>::max()} || total > std::numeric_limits<size_t>::max() / 2) {
    return std::nullopt;
  }
  return ImageSize{static_cast<size_t>(pitch), static_cast<size_t>(rows), static_cast<size_t>(total)};
}

UINT LevelExtent(UINT extent, UINT level) {
  if (level >= 32) return 1;
  const UINT shifted = extent >> level;
  return shifted == 0 ? 1 : shifted;
}

UINT FullChainLength(UINT width, UINT height) {
  UINT largest = width > height ? width : height;
  UINT levels = 1;
  while (largest > 1) {
    largest >>= 1;
    ++levels;
  }
  return levels;
}

bool IsColorTargetFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

bool HasOpaqueAlpha(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8; }

bool IsDepthFormat(D3DFORMAT format) { return format == D3DFMT_D16; }

bool IsDisplayFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8; }

}  // namespace d3d9
