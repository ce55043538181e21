// Test helpers: a decoded level read back as plain 8-bit RGBA, and building byte fixtures.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"

// The reason given for data that no reader takes as its own.
inline constexpr char kNotAnImage[] =
    "not an image of a known format (no BMP, DIB, JPEG, PNG, TGA, DDS, PPM, PFM or HDR header)";

struct Rgba8 {
  uint8_t r, g, b, a;
  bool operator==(const Rgba8&) const = default;
};

// Level pixels (first slice) as RGBA rows from the top; 16-bit channels rounded to 8 bits.
// Fails the current test on a format it does not know.
std::vector<Rgba8> ToRgba8(const DecodedImage& image);

// Decodes data, expecting success; the result is freed by the caller.
DecodedImage DecodeOrFail(const std::vector<uint8_t>& data, ImageInfo* info = nullptr);

// Little byte-building helpers for fixtures.
class Bytes {
 public:
  Bytes& u8(std::initializer_list<int> values);
  Bytes& u16(uint32_t value);
  Bytes& u32(uint32_t value);
  Bytes& text(const std::string& value);
  Bytes& zeros(size_t count);
  Bytes& append(const std::vector<uint8_t>& more);
  const std::vector<uint8_t>& data() const { return bytes_; }
  std::vector<uint8_t>& data() { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

std::string Describe(const std::vector<Rgba8>& pixels);
