#include "decoded_pixels.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

uint8_t Round16(const uint8_t* p) {
  const unsigned value = p[0] | (p[1] << 8);
  return static_cast<uint8_t>((value * 255 + 32767) / 65535);
}

uint8_t Five(unsigned v) { return static_cast<uint8_t>((v * 255 + 15) / 31); }

}  // namespace

std::vector<Rgba8> ToRgba8(const DecodedImage& image) {
  namespace F = ImagePixelFormat;
  std::vector<Rgba8> out;
  for (UINT y = 0; y < image.height; ++y) {
    const BYTE* row = image.pixels + static_cast<size_t>(y) * image.rowPitch;
    for (UINT x = 0; x < image.width; ++x) {
      Rgba8 p{};
      switch (image.format) {
        case F::A8R8G8B8:
          p = {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
          break;
        case F::X8R8G8B8:
          p = {row[4 * x + 2], row[4 * x + 1], row[4 * x], 255};
          break;
        case F::R8G8B8:
          p = {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
          break;
        case F::X1R5G5B5:
        case F::A1R5G5B5: {
          const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
          p = {Five((v >> 10) & 31), Five((v >> 5) & 31), Five(v & 31),
               static_cast<uint8_t>(image.format == F::X1R5G5B5 || (v & 0x8000) ? 255 : 0)};
          break;
        }
        case F::R3G3B2: {
          const unsigned v = row[x];
          p = {static_cast<uint8_t>(((v >> 5) * 255 + 3) / 7), static_cast<uint8_t>((((v >> 2) & 7) * 255 + 3) / 7),
               static_cast<uint8_t>(((v & 3) * 255 + 1) / 3), 255};
          break;
        }
        case F::P8: {
          const ImagePaletteEntry& e = image.palette[row[x]];
          p = {e.red, e.green, e.blue, e.alpha};
          break;
        }
        case F::L8:
          p = {row[x], row[x], row[x], 255};
          break;
        case F::A8L8:
          p = {row[2 * x], row[2 * x], row[2 * x], row[2 * x + 1]};
          break;
        case F::L16: {
          const uint8_t l = Round16(row + 2 * x);
          p = {l, l, l, 255};
          break;
        }
        case F::A16B16G16R16:
          p = {Round16(row + 8 * x), Round16(row + 8 * x + 2), Round16(row + 8 * x + 4), Round16(row + 8 * x + 6)};
          break;
        default:
          if (image.format == FormatR16) {
            p = {Round16(row + 6 * x + 4), Round16(row + 6 * x + 2), Round16(row + 6 * x), 255};
          } else if (image.format == FormatAL16) {
            const uint8_t l = Round16(row + 4 * x);
            p = {l, l, l, Round16(row + 4 * x + 2)};
          } else {
            ADD_FAILURE() << "format " << image.format << " has no reader in the test";
            return out;
          }
      }
      out.push_back(p);
    }
  }
  return out;
}

DecodedImage DecodeOrFail(const std::vector<uint8_t>& data, ImageInfo* info) {
  DecodedImage image = EmptyDecodedImage();
  const HRESULT hr = DecodeImage(data.data(), static_cast<UINT>(data.size()), &image, info);
  EXPECT_EQ(hr, S_OK);
  return image;
}

Bytes& Bytes::u8(std::initializer_list<int> values) {
  for (int v : values) bytes_.push_back(static_cast<uint8_t>(v));
  return *this;
}
Bytes& Bytes::u16(uint32_t value) {
  return u8({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF)});
}
Bytes& Bytes::u32(uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
Bytes& Bytes::text(const std::string& value) {
  bytes_.insert(bytes_.end(), value.begin(), value.end());
  return *this;
}
Bytes& Bytes::zeros(size_t count) {
  bytes_.insert(bytes_.end(), count, 0);
  return *this;
}
Bytes& Bytes::append(const std::vector<uint8_t>& more) {
  bytes_.insert(bytes_.end(), more.begin(), more.end());
  return *this;
}

std::string Describe(const std::vector<Rgba8>& pixels) {
  std::string text;
  char buffer[32];
  for (const Rgba8& p : pixels) {
    std::snprintf(buffer, sizeof buffer, "(%d,%d,%d,%d) ", p.r, p.g, p.b, p.a);
    text += buffer;
  }
  return text;
}
