#include "gfxsupport/textures/pixel_format_table.h"

#include <array>

namespace {

constexpr BitField None{};
constexpr BitField Field(uint8_t shift, uint8_t bits) { return BitField{shift, bits}; }

constexpr PixelFormatDescriptor Colour(D3DFORMAT format, const char* name, uint32_t bits, BitField red, BitField green,
                                       BitField blue, BitField alpha = None) {
  return {format, name, PixelKind::Colour, PixelLayout::PackedFields, bits, red, green, blue, alpha, None, None, 0};
}

constexpr PixelFormatDescriptor Grey(D3DFORMAT format, const char* name, uint32_t bits, BitField luminance,
                                     BitField alpha = None) {
  return {format, name, PixelKind::Luminance, PixelLayout::PackedFields, bits, None, None, None, alpha, luminance,
          None,   0};
}

constexpr PixelFormatDescriptor Floats(D3DFORMAT format, const char* name, uint32_t bits, PixelLayout layout,
                                       uint8_t channels) {
  const uint8_t width = layout == PixelLayout::Float16 ? 16 : 32;
  auto field = [&](uint8_t channel) {
    return channel < channels ? Field(static_cast<uint8_t>(channel * width), width) : None;
  };
  return {format, name,    PixelKind::FloatColour, layout, bits, field(0), field(1), field(2), field(3), None,
          None,   channels};
}

constexpr PixelFormatDescriptor Blocks(D3DFORMAT format, const char* name, uint32_t bits, uint8_t alphaBits) {
  return {format,
          name,
          PixelKind::Compressed,
          PixelLayout::Blocks,
          bits,
          Field(0, 5),
          Field(0, 6),
          Field(0, 5),
          Field(0, alphaBits),
          None,
          None,
          0};
}

constexpr PixelFormatDescriptor Depth(D3DFORMAT format, const char* name, uint32_t bits, uint8_t depthBits) {
  return {format, name, PixelKind::Depth, PixelLayout::Opaque, bits, None, None, None, None, None, Field(0, depthBits),
          0};
}

// Channel fields are bit positions in the little-endian pixel word.
constexpr PixelFormatDescriptor kFormatList[] = {
    Colour(D3DFMT_R8G8B8, "R8G8B8", 24, Field(16, 8), Field(8, 8), Field(0, 8)),
    Colour(D3DFMT_A8R8G8B8, "A8R8G8B8", 32, Field(16, 8), Field(8, 8), Field(0, 8), Field(24, 8)),
    Colour(D3DFMT_X8R8G8B8, "X8R8G8B8", 32, Field(16, 8), Field(8, 8), Field(0, 8)),
    Colour(D3DFMT_R5G6B5, "R5G6B5", 16, Field(11, 5), Field(5, 6), Field(0, 5)),
    Colour(D3DFMT_X1R5G5B5, "X1R5G5B5", 16, Field(10, 5), Field(5, 5), Field(0, 5)),
    Colour(D3DFMT_A1R5G5B5, "A1R5G5B5", 16, Field(10, 5), Field(5, 5), Field(0, 5), Field(15, 1)),
    Colour(D3DFMT_A4R4G4B4, "A4R4G4B4", 16, Field(8, 4), Field(4, 4), Field(0, 4), Field(12, 4)),
    Colour(D3DFMT_R3G3B2, "R3G3B2", 8, Field(5, 3), Field(2, 3), Field(0, 2)),
    {D3DFMT_A8, "A8", PixelKind::AlphaOnly, PixelLayout::PackedFields, 8, None, None, None, Field(0, 8), None, None, 0},
    Colour(D3DFMT_A8R3G3B2, "A8R3G3B2", 16, Field(5, 3), Field(2, 3), Field(0, 2), Field(8, 8)),
    Colour(D3DFMT_X4R4G4B4, "X4R4G4B4", 16, Field(8, 4), Field(4, 4), Field(0, 4)),
    Colour(D3DFMT_A2B10G10R10, "A2B10G10R10", 32, Field(0, 10), Field(10, 10), Field(20, 10), Field(30, 2)),
    Colour(D3DFMT_A8B8G8R8, "A8B8G8R8", 32, Field(0, 8), Field(8, 8), Field(16, 8), Field(24, 8)),
    Colour(D3DFMT_X8B8G8R8, "X8B8G8R8", 32, Field(0, 8), Field(8, 8), Field(16, 8)),
    Colour(D3DFMT_G16R16, "G16R16", 32, Field(0, 16), Field(16, 16), None),
    Colour(D3DFMT_A2R10G10B10, "A2R10G10B10", 32, Field(20, 10), Field(10, 10), Field(0, 10), Field(30, 2)),
    Colour(D3DFMT_A16B16G16R16, "A16B16G16R16", 64, Field(0, 16), Field(16, 16), Field(32, 16), Field(48, 16)),
    Colour(kFormatCodeR16, "R16 (16-bit RGB)", 48, Field(32, 16), Field(16, 16), Field(0, 16)),
    {D3DFMT_A8P8, "A8P8", PixelKind::Palette, PixelLayout::PaletteIndex, 16, None, None, None, Field(8, 8), None,
     Field(0, 8), 0},
    {D3DFMT_P8, "P8", PixelKind::Palette, PixelLayout::PaletteIndex, 8, None, None, None, None, None, Field(0, 8), 0},
    Grey(D3DFMT_L8, "L8", 8, Field(0, 8)),
    Grey(D3DFMT_A8L8, "A8L8", 16, Field(0, 8), Field(8, 8)),
    Grey(D3DFMT_A4L4, "A4L4", 8, Field(0, 4), Field(4, 4)),
    Grey(D3DFMT_L16, "L16", 16, Field(0, 16)),
    Grey(kFormatCodeAL16, "AL16 (16-bit luminance and alpha)", 32, Field(0, 16), Field(16, 16)),
    Floats(D3DFMT_R16F, "R16F", 16, PixelLayout::Float16, 1),
    Floats(D3DFMT_G16R16F, "G16R16F", 32, PixelLayout::Float16, 2),
    Floats(D3DFMT_A16B16G16R16F, "A16B16G16R16F", 64, PixelLayout::Float16, 4),
    Floats(D3DFMT_R32F, "R32F", 32, PixelLayout::Float32, 1),
    Floats(D3DFMT_G32R32F, "G32R32F", 64, PixelLayout::Float32, 2),
    Floats(D3DFMT_A32B32G32R32F, "A32B32G32R32F", 128, PixelLayout::Float32, 4),
    Blocks(D3DFMT_DXT1, "DXT1", 4, 1),
    Blocks(D3DFMT_DXT2, "DXT2", 8, 4),
    Blocks(D3DFMT_DXT3, "DXT3", 8, 4),
    Blocks(D3DFMT_DXT4, "DXT4", 8, 8),
    Blocks(D3DFMT_DXT5, "DXT5", 8, 8),
    Depth(D3DFMT_D16, "D16", 16, 16),
    Depth(D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", 16, 16),
    Depth(D3DFMT_D24S8, "D24S8", 32, 32),
    Depth(D3DFMT_D24X8, "D24X8", 32, 24),
    Depth(D3DFMT_D32, "D32", 32, 32),
};

constexpr std::span<const PixelFormatDescriptor> kFormats = kFormatList;

constexpr std::array<D3DFORMAT, std::size(kFormatList)> MakeCodes() {
  std::array<D3DFORMAT, std::size(kFormatList)> codes{};
  for (size_t i = 0; i < codes.size(); ++i) codes[i] = kFormatList[i].format;
  return codes;
}
constexpr std::array kFormatCodes = MakeCodes();

}  // namespace

void PixelFormatDescriptor::MatchWidths(uint32_t widths[MatchChannelCount]) const {
  switch (kind) {
    case PixelKind::Luminance:
      widths[MatchRed] = widths[MatchGreen] = widths[MatchBlue] = luminance.bits;
      break;
    case PixelKind::Palette:
      widths[MatchRed] = widths[MatchGreen] = widths[MatchBlue] = 8;
      break;
    default:
      widths[MatchRed] = red.bits;
      widths[MatchGreen] = green.bits;
      widths[MatchBlue] = blue.bits;
      break;
  }
  // A palette's entries carry 8 bits of alpha even when the pixel does not.
  widths[MatchAlpha] = kind == PixelKind::Palette ? 8 : alpha.bits;
  widths[MatchOther] = kind == PixelKind::Depth ? index.bits : 0;
}

bool PixelFormatDescriptor::HasAlpha() const { return alpha.bits != 0; }

const PixelFormatDescriptor* FindPixelFormat(D3DFORMAT format) {
  for (const PixelFormatDescriptor& descriptor : kFormats) {
    if (descriptor.format == format) return &descriptor;
  }
  return nullptr;
}

std::span<const PixelFormatDescriptor> AllPixelFormats() { return kFormats; }
std::span<const D3DFORMAT> AllPixelFormatCodes() { return kFormatCodes; }

const char* PixelFormatName(D3DFORMAT format) {
  const PixelFormatDescriptor* descriptor = FindPixelFormat(format);
  return descriptor != nullptr ? descriptor->name : "UNKNOWN";
}

bool CanStandIn(PixelKind requested, PixelKind candidate) {
  // Writing into a palette means choosing among its colours: never done in place of the
  // format that was asked for.
  if (candidate == PixelKind::Palette) return false;
  if (requested == candidate) return true;
  switch (requested) {
    // Grey, alpha-only, palette and compressed data all fit into plain colour; colour never
    // goes into grey (its hue would be lost), and floats keep their range only as floats.
    case PixelKind::Luminance:
    case PixelKind::AlphaOnly:
    case PixelKind::Palette:
    case PixelKind::Compressed:
      return candidate == PixelKind::Colour;
    default:
      return false;
  }
}

FormatRequest RequestFor(const PixelFormatDescriptor& descriptor) {
  FormatRequest request;
  request.format = descriptor.format;
  request.kind = descriptor.kind;
  descriptor.MatchWidths(request.widths);
  return request;
}

uint64_t FormatMatchCost(const uint32_t requested[MatchChannelCount], const uint32_t candidate[MatchChannelCount]) {
  uint64_t cost = 0;
  bool anyRequested = false;
  bool anyKept = false;
  for (int channel = 0; channel < MatchChannelCount; ++channel) {
    const uint64_t a = requested[channel];
    const uint64_t b = candidate[channel];
    if (a != 0) {
      anyRequested = true;
      if (b != 0) anyKept = true;
    }
    if (a < b) cost += a == 0 ? 256 : b - a;
    if (b < a) cost += b == 0 ? 16777216 : (a - b) * 65536;
  }
  if (anyRequested && !anyKept) return UINT64_MAX;
  return cost;
}
