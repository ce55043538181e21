#include "gfxsupport/textures/pixel_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "gfxsupport/textures/argb32_rows.h"
#include "gfxsupport/textures/half_float.h"
#include "gfxsupport/textures/srgb.h"

namespace gfx::textures {

const float kOrderedDither[4][4] = {
    {0.96875f, 0.46875f, 0.84375f, 0.34375f},
    {0.21875f, 0.71875f, 0.09375f, 0.59375f},
    {0.78125f, 0.28125f, 0.90625f, 0.40625f},
    {0.03125f, 0.53125f, 0.15625f, 0.65625f},
};

namespace {

// Every 8-bit channel goes through this one table, so that equal bytes always give equal
// floats (the colour key compares floats exactly).
const std::array<float, 256> kByteToFloat = [] {
  std::array<float, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<float>(i) / 255.0f;
  return table;
}();

// Weights of red, green and blue in the grey level written to luminance formats (the
// luminance of the sRGB primaries).
constexpr float kLumaRed = 0.2126f, kLumaGreen = 0.7152f, kLumaBlue = 0.0722f;

uint64_t LoadWord(const BYTE* pixel, uint32_t bytes) {
  uint64_t word = 0;
  for (uint32_t i = 0; i < bytes; ++i) word |= static_cast<uint64_t>(pixel[i]) << (8 * i);
  return word;
}

void StoreWord(uint64_t word, BYTE* pixel, uint32_t bytes) {
  for (uint32_t i = 0; i < bytes; ++i) pixel[i] = static_cast<BYTE>(word >> (8 * i));
}

float ReadField(uint64_t word, BitField field) {
  const uint64_t max = (uint64_t{1} << field.bits) - 1;
  const uint64_t value = (word >> field.shift) & max;
  if (field.bits == 8) return kByteToFloat[value];
  return static_cast<float>(value) / static_cast<float>(max);
}

uint64_t WriteField(float value, BitField field, float offset) {
  if (field.bits == 0) return 0;
  const uint64_t max = (uint64_t{1} << field.bits) - 1;
  const float scaled = value * static_cast<float>(max) + offset;
  // Compare before converting: NaN and out-of-range values must not reach the integer cast.
  uint64_t quantised = 0;
  if (scaled >= static_cast<float>(max)) {
    quantised = max;
  } else if (scaled > 0.0f) {
    quantised = static_cast<uint64_t>(scaled);
  }
  return quantised << field.shift;
}

// Bits of the word that no channel uses (the X of X8R8G8B8): written as ones.
uint64_t UnusedBits(const PixelFormatDescriptor& d) {
  uint64_t used = 0;
  for (BitField field : {d.red, d.green, d.blue, d.alpha, d.luminance, d.index}) {
    if (field.bits != 0) used |= ((uint64_t{1} << field.bits) - 1) << field.shift;
  }
  const uint64_t all = d.bitsPerPixel >= 64 ? ~uint64_t{0} : (uint64_t{1} << d.bitsPerPixel) - 1;
  return all & ~used;
}

FloatColour KeyAsColour(D3DCOLOR key) {
  return {kByteToFloat[(key >> 16) & 0xFF], kByteToFloat[(key >> 8) & 0xFF], kByteToFloat[key & 0xFF],
          kByteToFloat[key >> 24]};
}

}  // namespace

HRESULT PixelCodec::Init(D3DFORMAT format, const ImagePaletteEntry* palette) {
  descriptor_ = FindPixelFormat(format);
  if (descriptor_ == nullptr) return D3DERR_INVALIDCALL;
  switch (descriptor_->layout) {
    case PixelLayout::Blocks:
    case PixelLayout::Opaque:
      return D3DERR_INVALIDCALL;
    case PixelLayout::PaletteIndex:
      if (palette == nullptr) return D3DERR_INVALIDCALL;
      palette_.resize(256);
      for (int i = 0; i < 256; ++i) {
        palette_[i] = {kByteToFloat[palette[i].red], kByteToFloat[palette[i].green], kByteToFloat[palette[i].blue],
                       kByteToFloat[palette[i].alpha]};
      }
      break;
    default:
      break;
  }
  return S_OK;
}

void PixelCodec::SetColourKey(D3DCOLOR key) {
  hasKey_ = key != 0;
  if (!hasKey_) return;
  const FloatColour wanted = KeyAsColour(key);
  if (descriptor_->layout == PixelLayout::PaletteIndex) {
    // Palette entries are 8-bit colours already: the key needs no trip through the format.
    key_ = wanted;
    return;
  }
  BYTE pixel[16] = {};
  WriteRawPixel(wanted, pixel);
  key_ = ReadRawPixel(pixel);
  keyBitsUsable_ = descriptor_->format == D3DFMT_A8R8G8B8 || descriptor_->format == D3DFMT_X8R8G8B8;
  keyBitsMask_ = descriptor_->format == D3DFMT_X8R8G8B8 ? 0x00FFFFFFu : 0xFFFFFFFFu;
  std::memcpy(&keyBits_, pixel, 4);
  keyBits_ &= keyBitsMask_;
}

void PixelCodec::BeginSlice() {
  errorThisRow_.clear();
  errorNextRow_.clear();
  diffusionRow_ = 0;
}

FloatColour PixelCodec::ReadRawPixel(const BYTE* pixel) const {
  FloatColour value;
  ReadRawRow(pixel, 1, &value);
  return value;
}

void PixelCodec::WriteRawPixel(const FloatColour& value, BYTE* pixel) const { WriteRowRounded(&value, 1, pixel, 0, 0); }

void PixelCodec::ReadRawRow(const BYTE* row, uint32_t count, FloatColour* out) const {
  const PixelFormatDescriptor& d = *descriptor_;
  const uint32_t bytes = d.BytesPerPixel();
  switch (d.layout) {
    case PixelLayout::PackedFields:
      if (d.format == D3DFMT_A8R8G8B8 || d.format == D3DFMT_X8R8G8B8) {
        ReadArgb32Row(row, count, d.format == D3DFMT_X8R8G8B8, out);
        return;
      }
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        const uint64_t word = LoadWord(row, bytes);
        FloatColour& value = out[i];
        if (d.kind == PixelKind::Luminance) {
          value.r = value.g = value.b = ReadField(word, d.luminance);
        } else {
          // A missing colour channel reads as 1, as the device samples it; alpha-only
          // formats read as black.
          const float missing = d.kind == PixelKind::AlphaOnly ? 0.0f : 1.0f;
          value.r = d.red.bits ? ReadField(word, d.red) : missing;
          value.g = d.green.bits ? ReadField(word, d.green) : missing;
          value.b = d.blue.bits ? ReadField(word, d.blue) : missing;
        }
        value.a = d.alpha.bits ? ReadField(word, d.alpha) : 1.0f;
      }
      return;
    case PixelLayout::PaletteIndex:
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        out[i] = palette_[row[0]];
        if (d.alpha.bits) out[i].a = kByteToFloat[row[1]];
      }
      return;
    case PixelLayout::Float16:
    case PixelLayout::Float32:
      if (d.format == D3DFMT_A32B32G32R32F) {
        std::memcpy(out, row, size_t{count} * sizeof(FloatColour));
        return;
      }
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        float channels[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        for (uint32_t c = 0; c < d.floatChannels; ++c) {
          if (d.layout == PixelLayout::Float16) {
            uint16_t half;
            std::memcpy(&half, row + 2 * c, 2);
            channels[c] = HalfToFloat(half);
          } else {
            std::memcpy(&channels[c], row + 4 * c, 4);
          }
        }
        out[i] = {channels[0], channels[1], channels[2], channels[3]};
      }
      return;
    default:
      return;
  }
}

void PixelCodec::ReadRow(const BYTE* row, uint32_t count, FloatColour* out) const {
  if (hasKey_ && keyBitsUsable_) {
    // 8-bit channels map one to one onto their floats: comparing the stored bits is the same
    // as comparing the values read, and much cheaper.
    ReadKeyedArgb32Row(row, count, descriptor_->format == D3DFMT_X8R8G8B8, keyBits_, keyBitsMask_, out);
  } else {
    ReadRawRow(row, count, out);
  }
  if (hasKey_ && !keyBitsUsable_) {
    for (uint32_t i = 0; i < count; ++i) {
      if (out[i] == key_) out[i] = {0.0f, 0.0f, 0.0f, 0.0f};
    }
  }
  if (srgb_) {
    for (uint32_t i = 0; i < count; ++i) {
      out[i].r = SrgbToLinear(out[i].r);
      out[i].g = SrgbToLinear(out[i].g);
      out[i].b = SrgbToLinear(out[i].b);
    }
  }
}

uint64_t PixelCodec::PackFields(const FloatColour& value, float offset) const {
  const PixelFormatDescriptor& d = *descriptor_;
  uint64_t word = UnusedBits(d);
  if (d.kind == PixelKind::Luminance) {
    const float grey = kLumaRed * value.r + kLumaGreen * value.g + kLumaBlue * value.b;
    word |= WriteField(grey, d.luminance, offset);
  } else {
    word |=
        WriteField(value.r, d.red, offset) | WriteField(value.g, d.green, offset) | WriteField(value.b, d.blue, offset);
  }
  return word | WriteField(value.a, d.alpha, offset);
}

uint8_t PixelCodec::NearestPaletteIndex(const FloatColour& value) const {
  const bool matchAlpha = descriptor_->alpha.bits == 0;  // A8P8 stores alpha by itself
  int best = 0;
  float bestDistance = INFINITY;
  for (int i = 0; i < 256; ++i) {
    const FloatColour& entry = palette_[i];
    const float dr = entry.r - value.r, dg = entry.g - value.g, db = entry.b - value.b;
    const float da = matchAlpha ? entry.a - value.a : 0.0f;
    const float distance = dr * dr + dg * dg + db * db + da * da;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

void PixelCodec::WriteRowRounded(const FloatColour* values, uint32_t count, BYTE* row, uint32_t x, uint32_t y) const {
  const PixelFormatDescriptor& d = *descriptor_;
  const uint32_t bytes = d.BytesPerPixel();
  const bool ordered = dither_ == DitherMode::Ordered;
  const float* ditherRow = kOrderedDither[y & 3];
  switch (d.layout) {
    case PixelLayout::PackedFields:
      if (d.format == D3DFMT_A8R8G8B8 || d.format == D3DFMT_X8R8G8B8) {
        WriteArgb32Row(values, count, row, d.format == D3DFMT_X8R8G8B8, ordered ? ditherRow : nullptr, x);
        return;
      }
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        const float offset = ordered ? ditherRow[(x + i) & 3] : 0.5f;
        StoreWord(PackFields(values[i], offset), row, bytes);
      }
      return;
    case PixelLayout::PaletteIndex:
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        row[0] = NearestPaletteIndex(values[i]);
        if (d.alpha.bits) row[1] = static_cast<BYTE>(WriteField(values[i].a, d.alpha, 0.5f));
      }
      return;
    case PixelLayout::Float16:
    case PixelLayout::Float32:
      if (d.format == D3DFMT_A32B32G32R32F) {
        std::memcpy(row, values, size_t{count} * sizeof(FloatColour));
        return;
      }
      for (uint32_t i = 0; i < count; ++i, row += bytes) {
        const float channels[4] = {values[i].r, values[i].g, values[i].b, values[i].a};
        for (uint32_t c = 0; c < d.floatChannels; ++c) {
          if (d.layout == PixelLayout::Float16) {
            const uint16_t half = FloatToHalf(channels[c]);
            std::memcpy(row + 2 * c, &half, 2);
          } else {
            std::memcpy(row + 4 * c, &channels[c], 4);
          }
        }
      }
      return;
    default:
      return;
  }
}

void PixelCodec::WriteRowDiffused(FloatColour* values, uint32_t count, BYTE* row) {
  if (errorNextRow_.size() != count) {
    errorThisRow_.assign(count, FloatColour{});
    errorNextRow_.assign(count, FloatColour{});
  }
  std::swap(errorThisRow_, errorNextRow_);
  std::fill(errorNextRow_.begin(), errorNextRow_.end(), FloatColour{});
  const uint32_t bytes = BytesPerPixel();
  // Serpentine scan: even rows of the slice left to right, odd rows right to left, so that
  // the error does not drift to one side.
  const bool leftToRight = (diffusionRow_++ & 1) == 0;
  FloatColour carry{};
  auto spread = [](FloatColour& target, const FloatColour& error, float weight) {
    target.r += error.r * weight;
    target.g += error.g * weight;
    target.b += error.b * weight;
    target.a += error.a * weight;
  };
  for (uint32_t step = 0; step < count; ++step) {
    const uint32_t i = leftToRight ? step : count - 1 - step;
    FloatColour wanted = values[i];
    spread(wanted, errorThisRow_[i], 1.0f);
    spread(wanted, carry, 1.0f);
    BYTE* pixel = row + static_cast<size_t>(i) * bytes;
    WriteRowRounded(&wanted, 1, pixel, 0, 0);
    const FloatColour written = ReadRawPixel(pixel);
    const FloatColour error{wanted.r - written.r, wanted.g - written.g, wanted.b - written.b, wanted.a - written.a};
    carry = {};
    spread(carry, error, 7.0f / 16.0f);
    // Below: behind the scan direction 3/16, straight below 5/16, ahead 1/16.
    const int64_t behind = leftToRight ? int64_t{i} - 1 : int64_t{i} + 1;
    const int64_t ahead = leftToRight ? int64_t{i} + 1 : int64_t{i} - 1;
    if (behind >= 0 && behind < count) spread(errorNextRow_[behind], error, 3.0f / 16.0f);
    spread(errorNextRow_[i], error, 5.0f / 16.0f);
    if (ahead >= 0 && ahead < count) spread(errorNextRow_[ahead], error, 1.0f / 16.0f);
  }
}

void PixelCodec::WriteRow(FloatColour* values, uint32_t count, BYTE* row, uint32_t x, uint32_t y) {
  if (srgb_) {
    for (uint32_t i = 0; i < count; ++i) {
      values[i].r = LinearToSrgb(values[i].r);
      values[i].g = LinearToSrgb(values[i].g);
      values[i].b = LinearToSrgb(values[i].b);
    }
  }
  const bool quantises =
      descriptor_->layout == PixelLayout::PackedFields || descriptor_->layout == PixelLayout::PaletteIndex;
  if (dither_ == DitherMode::Diffusion && quantises) {
    WriteRowDiffused(values, count, row);
  } else {
    WriteRowRounded(values, count, row, x, y);
  }
}

}  // namespace gfx::textures
