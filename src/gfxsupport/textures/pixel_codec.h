// Reading and writing rows of pixels of any known uncompressed format as FloatColour values.
// Every conversion between two formats reads source rows through one codec and writes
// destination rows through another; the codec carries its side's palette, colour key, sRGB
// treatment and dithering.
#pragma once

#include <cstdint>
#include <vector>

#include "gfxsupport/textures/float_colour.h"
#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/textures/pixel_format_table.h"

namespace gfx::textures {

enum class DitherMode : uint8_t { None, Ordered, Diffusion };

// The 4 by 4 ordered-dither offsets, indexed [y & 3][x & 3], added before truncation.
extern const float kOrderedDither[4][4];

class PixelCodec {
 public:
  // Prepares a codec for `format`. Palette formats need a palette (256 entries); other
  // formats ignore it. D3DERR_INVALIDCALL for a format that cannot be read or written pixel by
  // pixel (unknown, compressed, depth) or a palette format without palette.
  HRESULT Init(D3DFORMAT format, const ImagePaletteEntry* palette);

  // Reading side: values exactly equal to the key (after it has been written into this format
  // and read back, so that it carries the format's precision) become transparent black.
  // 0 means no key.
  void SetColourKey(D3DCOLOR key);
  // Reading side converts from sRGB to linear; writing side from linear to sRGB.
  void SetSrgb(bool convert) { srgb_ = convert; }
  // Writing side only. Diffusion carries errors from row to row: rows of one slice must be
  // written in order, starting after BeginSlice.
  void SetDither(DitherMode mode) { dither_ = mode; }
  void BeginSlice();

  const PixelFormatDescriptor& Descriptor() const { return *descriptor_; }
  bool HasColourKey() const { return hasKey_; }
  bool SrgbConversion() const { return srgb_; }
  DitherMode Dither() const { return dither_; }
  // For a 32-bit ARGB reader with a key: a pixel is keyed out when (bits & mask) == key bits.
  bool KeyComparesBits() const { return hasKey_ && keyBitsUsable_; }
  uint32_t KeyBits() const { return keyBits_; }
  uint32_t KeyBitsMask() const { return keyBitsMask_; }
  uint32_t BytesPerPixel() const { return descriptor_->BytesPerPixel(); }

  void ReadRow(const BYTE* row, uint32_t count, FloatColour* out) const;
  // x and y place the row on the destination for the dither pattern; y's parity also sets
  // the scan direction of error diffusion. `values` may be changed (sRGB, diffusion).
  void WriteRow(FloatColour* values, uint32_t count, BYTE* row, uint32_t x, uint32_t y);

  // Single pixels, without key, sRGB or dithering (rounding to nearest).
  FloatColour ReadRawPixel(const BYTE* pixel) const;
  void WriteRawPixel(const FloatColour& value, BYTE* pixel) const;

 private:
  void ReadRawRow(const BYTE* row, uint32_t count, FloatColour* out) const;
  void WriteRowRounded(const FloatColour* values, uint32_t count, BYTE* row, uint32_t x, uint32_t y) const;
  void WriteRowDiffused(FloatColour* values, uint32_t count, BYTE* row);
  uint64_t PackFields(const FloatColour& value, float offset) const;
  uint8_t NearestPaletteIndex(const FloatColour& value) const;

  const PixelFormatDescriptor* descriptor_ = nullptr;
  std::vector<FloatColour> palette_;
  bool hasKey_ = false;
  FloatColour key_{};
  // For 32-bit ARGB sources the key is compared on the stored bits.
  bool keyBitsUsable_ = false;
  uint32_t keyBits_ = 0, keyBitsMask_ = 0;
  bool srgb_ = false;
  DitherMode dither_ = DitherMode::None;
  // Diffusion: errors carried into the current and the next row, one entry per pixel.
  std::vector<FloatColour> errorThisRow_, errorNextRow_;
  uint32_t diffusionRow_ = 0;
};

}  // namespace gfx::textures
