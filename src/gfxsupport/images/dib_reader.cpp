// Device-independent bitmaps: the pixel data of BMP files and of bitmap resources.
//
// Reads the old 12-byte core header and the 40-byte header with its longer successors
// (whose bit-field masks live inside the header), colour tables of any used-colour count,
// 1, 4 and 8 bits through a palette, RLE8 and RLE4, 16 and 32 bits with or without bit-field
// masks, 24 bits, and rows stored bottom-up (positive height) or top-down (negative height).
// Decoded formats: P8 (palette of up to 256 entries, alpha 255), R8G8B8, X8R8G8B8, A8R8G8B8,
// X1R5G5B5, A1R5G5B5; masks of any other layout are converted to X8R8G8B8 or A8R8G8B8.
// Refused: embedded JPEG or PNG, 2 and 64 bits, RLE with a bit count it does not fit.
//
// platform/win32/dib_reader.cpp reads bitmaps too, for the Linux stand-in of LoadBitmapA. The
// two stay apart: the stand-ins sit below the system code and may not depend on it (on
// Windows the system's own LoadBitmapA does that job), and GDI wants plain pixels, not the
// decoder's formats and palettes.
#include <cstring>

#include "gfxsupport/images/image_reader.h"

namespace gfx::images {

namespace {

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionJpeg = 4;
constexpr uint32_t kCompressionPng = 5;
constexpr uint32_t kCompressionAlphaBitFields = 6;

struct DibHeader {
  uint32_t headerSize = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool topDown = false;
  unsigned bitCount = 0;
  uint32_t compression = kCompressionRgb;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool hasMasks = false;
  size_t tableEntries = 0;
  size_t tableEntrySize = 4;
  size_t tableOffset = 0;  // where the colour table starts
  size_t tableEnd = 0;     // end of colour table (and of masks that precede it)
};

// A header size of the old 12-byte header or of the 40-byte one and its successors, and one
// plane: all that makes bytes without a file header a DIB at all.
bool HasDibHeaderShape(const BYTE* data, size_t size) {
  if (size < 4) return false;
  const uint32_t headerSize = ReadLittle32(data);
  if (headerSize == 12) return size >= 12 && ReadLittle16(data + 8) == 1;
  return headerSize >= 40 && headerSize <= size && ReadLittle16(data + 12) == 1;
}

HRESULT ParseHeader(const BYTE* data, size_t size, DibHeader* header) {
  if (size < 4) return Refuse("the file ends inside the bitmap header");
  header->headerSize = ReadLittle32(data);
  if (header->headerSize == 12) {
    if (size < 12) return Refuse("the file ends inside the bitmap header");
    header->width = ReadLittle16(data + 4);
    header->height = ReadLittle16(data + 6);
    if (ReadLittle16(data + 8) != 1) return Refuse("%u planes (bitmaps have 1)", ReadLittle16(data + 8));
    header->bitCount = ReadLittle16(data + 10);
    header->tableEntrySize = 3;
  } else {
    if (header->headerSize < 40) return Refuse("header size %u is none of a bitmap's", header->headerSize);
    if (header->headerSize > size) return Refuse("the file ends inside the bitmap header");
    const int32_t width = static_cast<int32_t>(ReadLittle32(data + 4));
    const int32_t height = static_cast<int32_t>(ReadLittle32(data + 8));
    if (ReadLittle16(data + 12) != 1) return Refuse("%u planes (bitmaps have 1)", ReadLittle16(data + 12));
    header->bitCount = ReadLittle16(data + 14);
    header->compression = ReadLittle32(data + 16);
    if (width <= 0 || height == 0 || height == INT32_MIN)
      return Refuse("width %d or height %d out of range", width, height);
    header->width = static_cast<uint32_t>(width);
    header->topDown = height < 0;
    header->height = static_cast<uint32_t>(height < 0 ? -height : height);
  }
  if (header->width == 0 || header->height == 0) return Refuse("width or height is 0");

  size_t usedColours = 0;
  if (header->headerSize >= 40) usedColours = ReadLittle32(data + 32);
  if (usedColours == 0 && header->bitCount <= 8) usedColours = size_t{1} << header->bitCount;
  header->tableEntries = usedColours;
  header->tableOffset = header->headerSize;

  const bool bitFields =
      header->compression == kCompressionBitFields || header->compression == kCompressionAlphaBitFields;
  if (bitFields) {
    const size_t maskCount = header->compression == kCompressionAlphaBitFields ? 4 : 3;
    if (header->headerSize >= 40 + 4 * maskCount) {
      // Version 4 and 5 headers carry the masks themselves.
      for (size_t i = 0; i < maskCount; ++i) header->masks[i] = ReadLittle32(data + 40 + 4 * i);
    } else {
      if (size - header->headerSize < 4 * maskCount) return Refuse("colour masks do not fit the file");
      for (size_t i = 0; i < maskCount; ++i) header->masks[i] = ReadLittle32(data + header->headerSize + 4 * i);
      header->tableOffset += 4 * maskCount;
    }
    header->hasMasks = true;
  }
  // Version 4 and 5 headers name an alpha mask whatever the compression says.
  if (header->headerSize >= 56 && header->bitCount >= 16) header->masks[3] = ReadLittle32(data + 52);

  size_t tableBytes = 0;
  if (!MultiplySize(header->tableEntries, header->tableEntrySize, &tableBytes) || header->tableOffset > size ||
      tableBytes > size - header->tableOffset)
    return Refuse("colour table of %lu entries does not fit the file",
                  static_cast<unsigned long>(header->tableEntries));
  header->tableEnd = header->tableOffset + tableBytes;
  return S_OK;
}

HRESULT BuildPalette(const BYTE* data, const DibHeader& header, DecodedImage* image) {
  ImagePaletteEntry* palette = nullptr;
  const HRESULT hr = AllocatePalette(image, ImagePaletteEntry{0, 0, 0, 255}, &palette);
  if (FAILED(hr)) return hr;
  const size_t count = header.tableEntries < 256 ? header.tableEntries : 256;
  for (size_t i = 0; i < count; ++i) {
    const BYTE* entry = data + header.tableOffset + i * header.tableEntrySize;
    palette[i] = ImagePaletteEntry{entry[2], entry[1], entry[0], 255};
  }
  return S_OK;
}

// Row r of the image as stored in the file, counted from the top of the picture.
size_t DestinationRow(const DibHeader& header, size_t storedRow) {
  return header.topDown ? storedRow : header.height - 1 - storedRow;
}

HRESULT DecodePaletteRows(const BYTE* rows, size_t stride, const DibHeader& header, DecodedImage* image) {
  BYTE* pixels = WritablePixels(image);
  const unsigned bits = header.bitCount;
  const unsigned perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (size_t stored = 0; stored < header.height; ++stored) {
    const BYTE* source = rows + stored * stride;
    BYTE* target = pixels + DestinationRow(header, stored) * image->rowPitch;
    for (size_t x = 0; x < header.width; ++x) {
      const unsigned byte = source[x / perByte];
      const unsigned shift = 8 - bits * (static_cast<unsigned>(x % perByte) + 1);
      target[x] = static_cast<BYTE>((byte >> shift) & mask);
    }
  }
  return S_OK;
}

// RLE8 and RLE4: runs and literal groups, with end-of-line, end-of-bitmap and delta escapes.
// Pixels the stream never reaches keep index 0. Running out of data before end-of-bitmap is
// tolerated the same way, as many writers omit the final escape. Some writers pad every row
// with a run past the right edge; pixels beyond the edge are dropped. A literal group that
// would leave the data, or a delta that leaves the image, is damage.
HRESULT DecodeRunLengthRows(const BYTE* stream, size_t length, const DibHeader& header, DecodedImage* image) {
  BYTE* pixels = WritablePixels(image);
  std::memset(pixels, 0, static_cast<size_t>(image->rowPitch) * image->height);
  const bool four = header.compression == kCompressionRle4;
  size_t x = 0;
  size_t row = 0;  // stored row
  size_t at = 0;
  auto put = [&](BYTE index) {
    if (x < header.width && row < header.height) pixels[DestinationRow(header, row) * image->rowPitch + x] = index;
    ++x;
  };
  while (at + 2 <= length && row < header.height) {
    const BYTE count = stream[at];
    const BYTE value = stream[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) {
        const BYTE index = four ? static_cast<BYTE>((i % 2 == 0) ? (value >> 4) : (value & 0x0F)) : value;
        put(index);
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (at + 2 > length) return Refuse("a run-length delta runs past the end of the file");
      x += stream[at];
      row += stream[at + 1];
      at += 2;
      if (x > header.width || row > header.height) return Refuse("a run-length delta leaves the image");
      if (row == header.height) break;
    } else {  // literal group of `value` pixels, padded to a 16-bit boundary
      const size_t literalBytes = four ? (value + 1u) / 2 : value;
      if (literalBytes > length - at) return Refuse("run-length literal pixels run past the end of the file");
      for (unsigned i = 0; i < value; ++i) {
        const BYTE byte = stream[at + (four ? i / 2 : i)];
        const BYTE index = four ? static_cast<BYTE>((i % 2 == 0) ? (byte >> 4) : (byte & 0x0F)) : byte;
        put(index);
      }
      at += literalBytes + (literalBytes & 1);
    }
  }
  return S_OK;
}

// The decoded format for a masked layout, when the masks are exactly one of ours.
DWORD DirectMaskedFormat(unsigned bitCount, const uint32_t masks[4]) {
  if (bitCount == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) {
    if (masks[3] == 0) return ImagePixelFormat::X1R5G5B5;
    if (masks[3] == 0x8000) return ImagePixelFormat::A1R5G5B5;
  }
  if (bitCount == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF) {
    if (masks[3] == 0) return ImagePixelFormat::X8R8G8B8;
    if (masks[3] == 0xFF000000u) return ImagePixelFormat::A8R8G8B8;
  }
  return 0;
}

HRESULT DecodeMaskedRows(const BYTE* rows, size_t stride, const DibHeader& header, DecodedImage* image) {
  MaskChannel channels[4];
  for (int i = 0; i < 4; ++i) channels[i] = DescribeMask(header.masks[i]);
  const bool alpha = channels[3].bits > 0;
  const size_t bytesPerPixel = header.bitCount / 8;
  BYTE* pixels = WritablePixels(image);
  for (size_t stored = 0; stored < header.height; ++stored) {
    const BYTE* source = rows + stored * stride;
    BYTE* target = pixels + DestinationRow(header, stored) * image->rowPitch;
    for (size_t x = 0; x < header.width; ++x) {
      const BYTE* p = source + x * bytesPerPixel;
      const uint32_t pixel = bytesPerPixel == 2 ? ReadLittle16(p) : ReadLittle32(p);
      target[4 * x + 0] = static_cast<BYTE>(ExtractChannel(pixel, channels[2], 8));
      target[4 * x + 1] = static_cast<BYTE>(ExtractChannel(pixel, channels[1], 8));
      target[4 * x + 2] = static_cast<BYTE>(ExtractChannel(pixel, channels[0], 8));
      target[4 * x + 3] = alpha ? static_cast<BYTE>(ExtractChannel(pixel, channels[3], 8)) : 0xFF;
    }
  }
  return S_OK;
}

HRESULT CopyRows(const BYTE* rows, size_t stride, const DibHeader& header, DecodedImage* image) {
  BYTE* pixels = WritablePixels(image);
  for (size_t stored = 0; stored < header.height; ++stored)
    std::memcpy(pixels + DestinationRow(header, stored) * image->rowPitch, rows + stored * stride, image->rowPitch);
  return S_OK;
}

}  // namespace

HRESULT ReadDeviceIndependentBitmap(const BYTE* data, size_t size, size_t pixelOffset, DecodedImage* image) {
  DibHeader header;
  HRESULT parsed = ParseHeader(data, size, &header);
  if (FAILED(parsed)) return parsed;

  const unsigned bits = header.bitCount;
  const uint32_t compression = header.compression;
  const bool paletted = bits == 1 || bits == 4 || bits == 8;
  const bool runLength = compression == kCompressionRle8 || compression == kCompressionRle4;
  if (runLength) {
    if ((compression == kCompressionRle8 && bits != 8) || (compression == kCompressionRle4 && bits != 4))
      return Refuse("run-length compression of %u-bit pixels", bits);
    // the format allows compressed bitmaps only bottom-up
    if (header.topDown) return Refuse("run-length compressed rows stored top-down");
  } else if (compression == kCompressionRgb) {
    if (!paletted && bits != 16 && bits != 24 && bits != 32) return Refuse("%u bits per pixel", bits);
  } else if (compression == kCompressionBitFields || compression == kCompressionAlphaBitFields) {
    if (bits != 16 && bits != 32) return Refuse("colour masks with %u bits per pixel", bits);
  } else if (compression == kCompressionJpeg || compression == kCompressionPng) {
    return Refuse("embedded %s pixels are not read", compression == kCompressionJpeg ? "JPEG" : "PNG");
  } else {
    return Refuse("unknown compression %u", compression);
  }

  // Where the pixels start: the file header's offset when it points past the colour table,
  // else right after it.
  const size_t start = (pixelOffset >= header.tableEnd && pixelOffset < size) ? pixelOffset : header.tableEnd;
  const BYTE* rows = data + start;
  const size_t available = size - start;

  // Stored rows are padded to four bytes.
  const size_t stride = ((static_cast<size_t>(header.width) * bits + 31) / 32) * 4;
  size_t needed = 0;
  if (!runLength && (!MultiplySize(stride, header.height, &needed) || needed > available))
    return Refuse("pixels run past the end of the file");

  uint32_t masks[4] = {header.masks[0], header.masks[1], header.masks[2], header.masks[3]};
  if (!header.hasMasks && bits == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (!header.hasMasks && bits == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }

  if (paletted) {
    HRESULT hr = AllocateImageLevel(image, ImagePixelFormat::P8, header.width, header.height, 1, 1);
    if (FAILED(hr) || !image->decodePixels) return hr;
    if (FAILED(hr = BuildPalette(data, header, image))) return hr;
    return runLength ? DecodeRunLengthRows(rows, available, header, image)
                     : DecodePaletteRows(rows, stride, header, image);
  }
  if (bits == 24) {
    if (header.topDown)
      return ReferenceImageLevel(image, ImagePixelFormat::R8G8B8, header.width, header.height, 1, 3, rows,
                                 static_cast<UINT>(stride));
    const HRESULT hr = AllocateImageLevel(image, ImagePixelFormat::R8G8B8, header.width, header.height, 1, 3);
    if (FAILED(hr) || !image->decodePixels) return hr;
    return CopyRows(rows, stride, header, image);
  }
  const DWORD direct = DirectMaskedFormat(bits, masks);
  const UINT bytesPerPixel = bits / 8;
  if (direct != 0) {
    if (header.topDown)
      return ReferenceImageLevel(image, direct, header.width, header.height, 1, bytesPerPixel, rows,
                                 static_cast<UINT>(stride));
    const HRESULT hr = AllocateImageLevel(image, direct, header.width, header.height, 1, bytesPerPixel);
    if (FAILED(hr) || !image->decodePixels) return hr;
    return CopyRows(rows, stride, header, image);
  }
  if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) return Refuse("colour masks are all 0");
  const DWORD converted = masks[3] != 0 ? ImagePixelFormat::A8R8G8B8 : ImagePixelFormat::X8R8G8B8;
  const HRESULT hr = AllocateImageLevel(image, converted, header.width, header.height, 1, 4);
  if (FAILED(hr) || !image->decodePixels) return hr;
  return DecodeMaskedRows(rows, stride, header, image);
}

HRESULT RecogniseDib(const BYTE* data, size_t size, DecodedImage* image) {
  if (!HasDibHeaderShape(data, size)) return E_FAIL;
  image->fileFormat = ImageFileFormatDib;
  return ReadDeviceIndependentBitmap(data, size, 0, image);
}

HRESULT RecogniseBmp(const BYTE* data, size_t size, DecodedImage* image) {
  if (size < 2 || data[0] != 'B' || data[1] != 'M') return E_FAIL;
  if (size < 14) return Refuse("the file ends inside its header");
  if (ReadLittle32(data + 2) > size)
    return Refuse("the file is shorter (%lu bytes) than its header says (%u)", static_cast<unsigned long>(size),
                  ReadLittle32(data + 2));
  image->fileFormat = ImageFileFormatBmp;
  const uint32_t pixelOffset = ReadLittle32(data + 10);
  return ReadDeviceIndependentBitmap(data + 14, size - 14, pixelOffset >= 14 ? pixelOffset - 14 : 0, image);
}

}  // namespace gfx::images
