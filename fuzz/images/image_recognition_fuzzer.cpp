// Fuzz target for the image recognition run: measures and decodes arbitrary bytes, then reads
// every byte of every decoded level, face and palette, so that a block shorter than its
// record claims shows up under the address sanitizer. A decode that succeeds must agree with
// the measurement of the same bytes.
#include <cstdint>
#include <cstdlib>

#include "gfxsupport/images/image_decoding.h"

namespace {

// Bytes of one pixel of a decoded format.
size_t PixelBytes(DWORD format) {
  namespace F = ImagePixelFormat;
  switch (format) {
    case F::P8:
    case F::L8:
    case F::R3G3B2:
      return 1;
    case F::A8L8:
    case F::L16:
    case F::X1R5G5B5:
    case F::A1R5G5B5:
    case F::A8P8:
      return 2;
    case F::R8G8B8:
      return 3;
    case F::A8R8G8B8:
    case F::X8R8G8B8:
      return 4;
    case F::A16B16G16R16:
      return 8;
    default:
      if (format == FormatAL16) return 4;
      if (format == FormatR16) return 6;
      std::abort();  // a format no consumer knows
  }
}

unsigned TouchLevel(const DecodedImage& level) {
  if (level.width == 0 || level.height == 0 || level.depth == 0 || level.pixels == nullptr) std::abort();
  const size_t rowBytes = level.width * PixelBytes(level.format);
  if (level.rowPitch < rowBytes || level.slicePitch < static_cast<size_t>(level.rowPitch) * level.height) std::abort();
  unsigned sum = 0;
  for (UINT slice = 0; slice < level.depth; ++slice)
    for (UINT y = 0; y < level.height; ++y) {
      const BYTE* row =
          level.pixels + static_cast<size_t>(slice) * level.slicePitch + static_cast<size_t>(y) * level.rowPitch;
      for (size_t x = 0; x < rowBytes; ++x) sum += row[x];
    }
  if (level.format == ImagePixelFormat::P8 || level.format == ImagePixelFormat::A8P8) {
    if (level.palette == nullptr) std::abort();
    for (int i = 0; i < 256; ++i) sum += level.palette[i].red + level.palette[i].alpha;
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  ImageInfo measured{};
  const HRESULT measuredResult = GetImageInfoFromMemory(data, static_cast<UINT>(size), &measured);

  DecodedImage image = EmptyDecodedImage();
  ImageInfo decodedInfo{};
  if (FAILED(DecodeImage(data, static_cast<UINT>(size), &image, &decodedInfo))) return 0;
  if (FAILED(measuredResult) || measured.width != decodedInfo.width || measured.height != decodedInfo.height ||
      measured.format != decodedInfo.format || measured.mipLevels != decodedInfo.mipLevels ||
      measured.fileFormat != decodedInfo.fileFormat)
    std::abort();
  volatile unsigned sink = 0;
  for (const DecodedImage* face = &image; face != nullptr; face = face->nextFace)
    for (const DecodedImage* level = face; level != nullptr; level = level->nextLevel) sink = sink + TouchLevel(*level);
  FreeDecodedImage(&image);
  return 0;
}
