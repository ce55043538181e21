// What the graphics support knows about each pixel format: how its bits are laid out (for the
// pixel codecs), how wide its channels are and what kind of data it holds (for choosing a
// stand-in format when the one asked for cannot be had).
#pragma once

#include <cstdint>
#include <span>

#include "d3d9api.h"
#include "gfxsupport/images/image_decoding.h"

// The decoder's two 16-bit layouts, as format codes of the table.
inline constexpr D3DFORMAT kFormatCodeAL16 = static_cast<D3DFORMAT>(FormatAL16);
inline constexpr D3DFORMAT kFormatCodeR16 = static_cast<D3DFORMAT>(FormatR16);

// What a format's values mean. Only some kinds may stand in for others (see CanStandIn).
enum class PixelKind : uint8_t {
  Colour,       // red, green, blue, perhaps alpha, as unsigned fixed point
  Luminance,    // one grey level, perhaps alpha
  AlphaOnly,    // alpha alone
  Palette,      // indices into a palette of 8-bit colours
  FloatColour,  // red, green, blue, alpha as 16- or 32-bit floats
  Compressed,   // 4 by 4 blocks (DXT1 to DXT5)
  Depth,        // depth and stencil
};

// How the codecs reach the bits.
enum class PixelLayout : uint8_t {
  PackedFields,  // one little-endian word of 1 to 8 bytes holding bit fields
  PaletteIndex,  // an 8-bit index, optionally followed by 8 bits of alpha
  Float16,       // channels red, green, blue, alpha as half floats, as many as present
  Float32,       // the same as 32-bit floats
  Blocks,        // compressed blocks: measured, never converted pixel by pixel
  Opaque,        // depth formats: measured, never converted
};

struct BitField {
  uint8_t shift = 0;
  uint8_t bits = 0;
};

// Channel widths in the order the best-match rule compares them.
enum MatchChannel { MatchRed, MatchGreen, MatchBlue, MatchAlpha, MatchOther, MatchChannelCount };

struct PixelFormatDescriptor {
  D3DFORMAT format;
  const char* name;
  PixelKind kind;
  PixelLayout layout;
  uint32_t bitsPerPixel;  // for block formats: bits per pixel averaged over a block
  BitField red, green, blue, alpha, luminance, index;
  uint8_t floatChannels;  // Float16/Float32: how many of red, green, blue, alpha are stored

  uint32_t BytesPerPixel() const { return bitsPerPixel / 8; }
  // Widths compared by the best-match rule: luminance counts for red, green and blue alike,
  // a palette for 8-bit colour, depth and stencil for the fifth channel.
  void MatchWidths(uint32_t widths[MatchChannelCount]) const;
  bool HasAlpha() const;
};

// The descriptor of a format, or null for a format the graphics support does not know.
const PixelFormatDescriptor* FindPixelFormat(D3DFORMAT format);
// Every known format, in table order.
std::span<const PixelFormatDescriptor> AllPixelFormats();
// The format's name without the "D3DFMT_" prefix ("A8R8G8B8"), or "UNKNOWN".
const char* PixelFormatName(D3DFORMAT format);

// Whether data of kind `candidate` may hold what was asked for as kind `requested`.
bool CanStandIn(PixelKind requested, PixelKind candidate);

// What the best-match rule looks for: a format (or D3DFMT_UNKNOWN when only widths are asked
// for), the channel widths and the kind of data.
struct FormatRequest {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  uint32_t widths[MatchChannelCount] = {};
  PixelKind kind = PixelKind::Colour;
};
// A request for exactly the given known format.
FormatRequest RequestFor(const PixelFormatDescriptor& descriptor);

// Cost of holding `requested` channel widths in a candidate's widths: per channel, requested
// width a against candidate width b, a < b adds b - a (256 when a is 0: a channel nobody asked
// for), b < a adds (a - b) * 65536 (16777216 when b is 0: a channel lost). UINT64_MAX when
// every requested channel would be lost.
uint64_t FormatMatchCost(const uint32_t requested[MatchChannelCount], const uint32_t candidate[MatchChannelCount]);

// The best-match rule: the requested format itself wins at once when it is a candidate;
// otherwise the lowest cost among the candidates whose kind may stand in, on equal cost fewer
// bits per pixel, then the earlier candidate. `isCandidate(format)` filters `candidates`
// further (for example by what a device supports). D3DFMT_UNKNOWN when nothing fits.
template <typename IsCandidate>
D3DFORMAT ChooseBestFormat(const FormatRequest& request, std::span<const D3DFORMAT> candidates,
                           IsCandidate isCandidate) {
  for (D3DFORMAT candidate : candidates) {
    if (request.format != D3DFMT_UNKNOWN && candidate == request.format && isCandidate(candidate)) return candidate;
  }
  D3DFORMAT best = D3DFMT_UNKNOWN;
  uint64_t bestCost = UINT64_MAX;
  uint32_t bestBits = UINT32_MAX;
  for (D3DFORMAT candidate : candidates) {
    const PixelFormatDescriptor* descriptor = FindPixelFormat(candidate);
    if (descriptor == nullptr || !CanStandIn(request.kind, descriptor->kind)) continue;
    uint32_t widths[MatchChannelCount];
    descriptor->MatchWidths(widths);
    const uint64_t cost = FormatMatchCost(request.widths, widths);
    if (cost == UINT64_MAX) continue;
    if (cost > bestCost || (cost == bestCost && descriptor->bitsPerPixel >= bestBits)) continue;
    if (!isCandidate(candidate)) continue;
    best = candidate;
    bestCost = cost;
    bestBits = descriptor->bitsPerPixel;
  }
  return best;
}

// Every known format, as a candidate list.
std::span<const D3DFORMAT> AllPixelFormatCodes();
