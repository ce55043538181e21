// Truevision TGA: colour-mapped (8-bit indices into a map of 15, 16, 24 or 32-bit entries),
// true colour of 15, 16, 24 or 32 bits and grey of 8 bits (16 bits: grey and alpha), each raw
// or run-length encoded, rows stored from the bottom or the top, left or right.
// Decoded formats: P8 with a palette, X1R5G5B5, A1R5G5B5 (16 bits with an alpha bit),
// R8G8B8, A8R8G8B8 (32 bits; X8R8G8B8 when the header declares no alpha bits), L8, A8L8.
// Run-length packets may cross row ends. Data that ends early is damage.
#include <cstring>
#include <new>

#include "gfxsupport/images/image_reader.h"

namespace gfx::images {

namespace {

constexpr size_t kHeaderSize = 18;

struct TgaHeader {
  unsigned idLength;
  unsigned mapType;
  unsigned imageType;
  unsigned mapFirst;
  unsigned mapLength;
  unsigned mapEntryBits;
  unsigned width;
  unsigned height;
  unsigned pixelBits;
  unsigned alphaBits;
  bool topToBottom;
  bool rightToLeft;
};

bool IsColourMapped(unsigned type) { return type == 1 || type == 9; }
bool IsTrueColour(unsigned type) { return type == 2 || type == 10; }
bool IsGrey(unsigned type) { return type == 3 || type == 11; }
bool IsRunLength(unsigned type) { return type >= 9; }

// A 15 or 16-bit TGA value (ARRRRRGG GGGBBBBB) as red, green, blue bytes.
ImagePaletteEntry Expand555(uint16_t value, bool alphaBit) {
  return ImagePaletteEntry{static_cast<BYTE>(ScaleBits((value >> 10) & 0x1F, 5, 8)),
                           static_cast<BYTE>(ScaleBits((value >> 5) & 0x1F, 5, 8)),
                           static_cast<BYTE>(ScaleBits(value & 0x1F, 5, 8)),
                           static_cast<BYTE>(alphaBit ? ((value & 0x8000) ? 255 : 0) : 255)};
}

HRESULT BuildPalette(const BYTE* map, const TgaHeader& header, DecodedImage* image) {
  ImagePaletteEntry* palette = nullptr;
  const HRESULT hr = AllocatePalette(image, ImagePaletteEntry{0, 0, 0, 255}, &palette);
  if (FAILED(hr)) return hr;
  const unsigned entryBytes = (header.mapEntryBits + 7) / 8;
  for (unsigned i = 0; i < header.mapLength; ++i) {
    const unsigned index = header.mapFirst + i;
    if (index > 255) break;
    const BYTE* entry = map + static_cast<size_t>(i) * entryBytes;
    switch (header.mapEntryBits) {
      case 15:
      case 16:
        palette[index] = Expand555(ReadLittle16(entry), header.mapEntryBits == 16 && header.alphaBits > 0);
        break;
      case 24:
        palette[index] = ImagePaletteEntry{entry[2], entry[1], entry[0], 255};
        break;
      default:
        palette[index] = ImagePaletteEntry{entry[2], entry[1], entry[0], entry[3]};
        break;
    }
  }
  return S_OK;
}

// Unpacks the pixel stream (raw or run-length) into width x height pixels in stored order.
HRESULT ReadPixelStream(const BYTE* stream, size_t length, const TgaHeader& header, size_t pixelBytes, BYTE* target) {
  const size_t total = static_cast<size_t>(header.width) * header.height * pixelBytes;
  if (!IsRunLength(header.imageType)) {
    if (total > length) return Refuse("pixels run past the end of the file");
    std::memcpy(target, stream, total);
    return S_OK;
  }
  size_t written = 0;
  size_t at = 0;
  while (written < total) {
    if (at >= length) return Refuse("run-length packets end before the image is complete");
    const BYTE packet = stream[at++];
    const size_t count = (packet & 0x7F) + 1u;
    const size_t bytes = count * pixelBytes;
    if (bytes > total - written) return Refuse("a run-length packet runs past the end of the image");
    if (packet & 0x80) {
      if (pixelBytes > length - at) return Refuse("a run-length packet runs past the end of the file");
      for (size_t i = 0; i < count; ++i) std::memcpy(target + written + i * pixelBytes, stream + at, pixelBytes);
      at += pixelBytes;
    } else {
      if (bytes > length - at) return Refuse("a run-length packet runs past the end of the file");
      std::memcpy(target + written, stream + at, bytes);
      at += bytes;
    }
    written += bytes;
  }
  return S_OK;
}

// Stored order to picture order: the first stored row is the bottom one unless the header says
// top-to-bottom; columns run right to left when the header says so.
void OrientRows(const BYTE* stored, const TgaHeader& header, size_t pixelBytes, DecodedImage* image) {
  BYTE* pixels = WritablePixels(image);
  const size_t rowBytes = static_cast<size_t>(header.width) * pixelBytes;
  for (size_t row = 0; row < header.height; ++row) {
    const BYTE* source = stored + row * rowBytes;
    const size_t pictureRow = header.topToBottom ? row : header.height - 1 - row;
    BYTE* target = pixels + pictureRow * image->rowPitch;
    if (!header.rightToLeft) {
      std::memcpy(target, source, rowBytes);
      continue;
    }
    for (size_t x = 0; x < header.width; ++x)
      std::memcpy(target + x * pixelBytes, source + (header.width - 1 - x) * pixelBytes, pixelBytes);
  }
}

}  // namespace

HRESULT RecogniseTga(const BYTE* data, size_t size, DecodedImage* image) {
  if (size <= 17) return E_FAIL;
  TgaHeader header{};
  header.idLength = data[0];
  header.mapType = data[1];
  header.imageType = data[2];
  header.mapFirst = ReadLittle16(data + 3);
  header.mapLength = ReadLittle16(data + 5);
  header.mapEntryBits = data[7];
  header.width = ReadLittle16(data + 12);
  header.height = ReadLittle16(data + 14);
  header.pixelBits = data[16];
  header.alphaBits = data[17] & 0x0F;
  header.rightToLeft = (data[17] & 0x10) != 0;
  header.topToBottom = (data[17] & 0x20) != 0;

  // Only a header of known map and image types makes the data a TGA; anything else is some other
  // format's, refused without a reason.
  if (header.mapType > 1) return E_FAIL;
  const unsigned type = header.imageType;
  if (!IsColourMapped(type) && !IsTrueColour(type) && !IsGrey(type)) return E_FAIL;
  if (header.width == 0 || header.height == 0) return Refuse("width or height is 0");

  DWORD format = 0;
  size_t pixelBytes = 0;
  if (IsColourMapped(type)) {
    if (header.mapType != 1) return Refuse("colour-mapped image without a colour map");
    if (header.pixelBits != 8) return Refuse("colour-mapped image of %u bits per index (8 are read)", header.pixelBits);
    const unsigned e = header.mapEntryBits;
    if (e != 15 && e != 16 && e != 24 && e != 32) return Refuse("colour-map entries of %u bits", e);
    format = ImagePixelFormat::P8;
    pixelBytes = 1;
  } else if (IsTrueColour(type)) {
    switch (header.pixelBits) {
      case 15:
        format = ImagePixelFormat::X1R5G5B5, pixelBytes = 2;
        break;
      case 16:
        format = header.alphaBits > 0 ? ImagePixelFormat::A1R5G5B5 : ImagePixelFormat::X1R5G5B5, pixelBytes = 2;
        break;
      case 24:
        format = ImagePixelFormat::R8G8B8, pixelBytes = 3;
        break;
      case 32:
        format = header.alphaBits > 0 ? ImagePixelFormat::A8R8G8B8 : ImagePixelFormat::X8R8G8B8, pixelBytes = 4;
        break;
      default:
        return Refuse("true colour of %u bits per pixel", header.pixelBits);
    }
  } else {
    if (header.pixelBits == 8) {
      format = ImagePixelFormat::L8, pixelBytes = 1;
    } else if (header.pixelBits == 16) {
      format = ImagePixelFormat::A8L8, pixelBytes = 2;
    } else {
      return Refuse("grey of %u bits per pixel", header.pixelBits);
    }
  }

  // The id field and the colour map (present whenever the map type says so) must fit.
  const size_t mapBytes =
      header.mapType == 1 ? static_cast<size_t>(header.mapLength) * ((header.mapEntryBits + 7) / 8) : 0;
  const size_t mapStart = kHeaderSize + header.idLength;
  if (mapStart > size) return Refuse("image id field does not fit the file");
  if (mapBytes > size - mapStart) return Refuse("colour map does not fit the file");
  const size_t pixelStart = mapStart + mapBytes;

  image->fileFormat = ImageFileFormatTga;
  HRESULT hr = AllocateImageLevel(image, format, header.width, header.height, 1, static_cast<UINT>(pixelBytes));
  if (FAILED(hr) || !image->decodePixels) return hr;
  if (IsColourMapped(type) && FAILED(hr = BuildPalette(data + mapStart, header, image))) return hr;

  const bool needsReorder = !header.topToBottom || header.rightToLeft;
  if (!needsReorder)
    return ReadPixelStream(data + pixelStart, size - pixelStart, header, pixelBytes, WritablePixels(image));
  // Unpack first, then put the rows in picture order.
  const size_t total = static_cast<size_t>(image->slicePitch);
  BYTE* stored = new (std::nothrow) BYTE[total];
  if (stored == nullptr) return E_OUTOFMEMORY;
  hr = ReadPixelStream(data + pixelStart, size - pixelStart, header, pixelBytes, stored);
  if (SUCCEEDED(hr)) OrientRows(stored, header, pixelBytes, image);
  delete[] stored;
  return hr;
}

}  // namespace gfx::images
