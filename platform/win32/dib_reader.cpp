// Implements: the packed-DIB reader of dib_reader.h. Every offset and length is checked
// against the data before it is used, in 64-bit arithmetic.
// Leaves out: RLE and JPEG/PNG compression, colour profiles, the alpha mask of later headers.
#include "dib_reader.h"

#include <cstring>

namespace standin {
namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kLargestHeaderSize = 1024;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitFields = 3;

uint16_t Word(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t DoubleWord(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
         (static_cast<uint32_t>(at[3]) << 24);
}

struct Layout {
  int64_t width = 0;
  int64_t height = 0;  // negative: rows stored top-down
  uint32_t bitCount = 0;
  uint32_t compression = kUncompressed;
  uint32_t coloursUsed = 0;
  uint32_t headerSize = 0;
  uint32_t paletteEntrySize = 4;
  uint32_t masks[3] = {0, 0, 0};
};

bool ReadHeader(const uint8_t* data, size_t size, Layout& layout) {
  if (size < 4) return false;
  layout.headerSize = DoubleWord(data);
  if (layout.headerSize > size || layout.headerSize > kLargestHeaderSize) return false;
  if (layout.headerSize == kCoreHeaderSize) {
    layout.width = Word(data + 4);
    layout.height = Word(data + 6);
    if (Word(data + 8) != 1) return false;
    layout.bitCount = Word(data + 10);
    layout.paletteEntrySize = 3;
    return true;
  }
  if (layout.headerSize < kInfoHeaderSize) return false;
  layout.width = static_cast<int32_t>(DoubleWord(data + 4));
  layout.height = static_cast<int32_t>(DoubleWord(data + 8));
  if (Word(data + 12) != 1) return false;
  layout.bitCount = Word(data + 14);
  layout.compression = DoubleWord(data + 16);
  layout.coloursUsed = DoubleWord(data + 32);
  if (layout.compression == kBitFields) {
    // The masks sit in the later headers, or right after a 40-byte one.
    const size_t at = layout.headerSize >= kInfoHeaderSize + 12 ? kInfoHeaderSize : layout.headerSize;
    if (at + 12 > size) return false;
    for (int index = 0; index < 3; ++index) layout.masks[index] = DoubleWord(data + at + 4 * index);
  }
  return true;
}

bool DefaultMasks(Layout& layout) {
  if (layout.compression == kBitFields) {
    if (layout.bitCount != 16 && layout.bitCount != 32) return false;
    return layout.masks[0] != 0 && layout.masks[1] != 0 && layout.masks[2] != 0;
  }
  if (layout.compression != kUncompressed) return false;
  if (layout.bitCount == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  } else if (layout.bitCount == 32) {
    layout.masks[0] = 0xFF0000;
    layout.masks[1] = 0x00FF00;
    layout.masks[2] = 0x0000FF;
  }
  return true;
}

uint32_t ScaleChannel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const uint64_t top = mask >> shift;
  return static_cast<uint32_t>((((value & mask) >> shift) * 255 + top / 2) / top);
}

uint32_t FromMasks(uint32_t value, const uint32_t (&masks)[3]) {
  return (ScaleChannel(value, masks[0]) << 16) | (ScaleChannel(value, masks[1]) << 8) | ScaleChannel(value, masks[2]);
}

}  // namespace

bool ReadPackedDib(const uint8_t* data, size_t size, Bitmap& bitmap) {
  if (data == nullptr) return false;
  Layout layout;
  if (!ReadHeader(data, size, layout) || !DefaultMasks(layout)) return false;
  const int64_t width = layout.width;
  const int64_t height = layout.height < 0 ? -layout.height : layout.height;
  if (width <= 0 || height <= 0 || width > kLargestDibSide || height > kLargestDibSide) return false;
  const uint32_t bits = layout.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

  // The colour table: bit masks after a 40-byte header come first, then the palette.
  uint64_t offset = layout.headerSize;
  if (layout.compression == kBitFields && layout.headerSize == kInfoHeaderSize) offset += 12;
  std::vector<uint32_t> palette;
  uint64_t paletteSize = layout.coloursUsed;
  if (bits <= 8) {
    if (paletteSize == 0) paletteSize = uint64_t{1} << bits;
    if (paletteSize > (uint64_t{1} << bits)) return false;
  }
  if (paletteSize > 256 * 256) return false;
  if (offset + paletteSize * layout.paletteEntrySize > size) return false;
  if (bits <= 8) {
    palette.resize(uint64_t{1} << bits, 0);
    for (uint64_t index = 0; index < paletteSize; ++index) {
      const uint8_t* entry = data + offset + index * layout.paletteEntrySize;
      palette[index] = (uint32_t{entry[2]} << 16) | (uint32_t{entry[1]} << 8) | entry[0];
    }
  }
  offset += paletteSize * layout.paletteEntrySize;

  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  if (offset + stride * static_cast<uint64_t>(height) > size) return false;

  Bitmap decoded;
  decoded.width = static_cast<int>(width);
  decoded.height = static_cast<int>(height);
  decoded.pixels.resize(static_cast<size_t>(width * height));
  for (int64_t row = 0; row < height; ++row) {
    const int64_t storedRow = layout.height < 0 ? row : height - 1 - row;
    const uint8_t* source = data + offset + static_cast<uint64_t>(storedRow) * stride;
    uint32_t* target = decoded.pixels.data() + row * width;
    for (int64_t x = 0; x < width; ++x) {
      switch (bits) {
        case 1:
          target[x] = palette[(source[x / 8] >> (7 - x % 8)) & 1];
          break;
        case 4:
          target[x] = palette[(source[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
          break;
        case 8:
          target[x] = palette[source[x]];
          break;
        case 16:
          target[x] = FromMasks(Word(source + 2 * x), layout.masks);
          break;
        case 24:
          target[x] = (uint32_t{source[3 * x + 2]} << 16) | (uint32_t{source[3 * x + 1]} << 8) | source[3 * x];
          break;
        default:
          target[x] = FromMasks(DoubleWord(source + 4 * x), layout.masks);
          break;
      }
    }
  }
  bitmap = std::move(decoded);
  return true;
}

}  // namespace standin
