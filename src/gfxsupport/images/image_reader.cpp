// Size limits and checked allocation shared by the recognisers.
#include "gfxsupport/images/image_reader.h"

#include <cmath>
#include <cstdlib>

namespace gfx::images {

bool ImageSizeAllowed(UINT width, UINT height, UINT depth, UINT bytesPerPixel) {
  if (width == 0 || height == 0 || depth == 0) return false;
  if (width > kMaxImageDimension || height > kMaxImageDimension || depth > kMaxImageDimension) return false;
  size_t pixels = 0;
  size_t bytes = 0;
  return MultiplySize(width, height, &pixels) && MultiplySize(pixels, depth, &pixels) && pixels <= kMaxImagePixels &&
         MultiplySize(pixels, bytesPerPixel, &bytes) && bytes <= kMaxImageBytes;
}

static HRESULT RefuseSize(UINT width, UINT height, UINT depth) {
  if (width == 0 || height == 0 || depth == 0) return Refuse("width, height or depth is 0");
  return Refuse("%u x %u x %u pixels are more than an image may have", width, height, depth);
}

static void DescribeLevel(DecodedImage* image, DWORD format, UINT width, UINT height, UINT depth, UINT rowPitch) {
  image->format = format;
  image->width = width;
  image->height = height;
  image->depth = depth;
  image->rowPitch = rowPitch;
  image->slicePitch = rowPitch * height;  // fits: checked by ImageSizeAllowed
  image->sourceBox = ImageBox{0, 0, width, height, 0, depth};
}

HRESULT AllocateImageLevel(DecodedImage* image, DWORD format, UINT width, UINT height, UINT depth, UINT bytesPerPixel) {
  if (!ImageSizeAllowed(width, height, depth, bytesPerPixel)) return RefuseSize(width, height, depth);
  DescribeLevel(image, format, width, height, depth, width * bytesPerPixel);
  if (!image->decodePixels) return S_OK;
  void* block = std::malloc(static_cast<size_t>(image->slicePitch) * depth);
  if (block == nullptr) return E_OUTOFMEMORY;
  image->pixels = static_cast<const BYTE*>(block);
  image->ownsPixels = true;
  return S_OK;
}

HRESULT ReferenceImageLevel(DecodedImage* image, DWORD format, UINT width, UINT height, UINT depth, UINT bytesPerPixel,
                            const BYTE* pixels, UINT rowPitch) {
  if (!ImageSizeAllowed(width, height, depth, bytesPerPixel)) return RefuseSize(width, height, depth);
  size_t sliceBytes = 0;
  if (rowPitch < width * bytesPerPixel || !MultiplySize(rowPitch, height, &sliceBytes) || sliceBytes > kMaxImageBytes)
    return Refuse("rows of %u bytes do not hold %u pixels", rowPitch, width);
  DescribeLevel(image, format, width, height, depth, rowPitch);
  if (image->decodePixels) {
    image->pixels = pixels;
    image->ownsPixels = false;
  }
  return S_OK;
}

HRESULT AllocatePalette(DecodedImage* image, ImagePaletteEntry fill, ImagePaletteEntry** palette) {
  auto* entries = static_cast<ImagePaletteEntry*>(std::malloc(256 * sizeof(ImagePaletteEntry)));
  if (entries == nullptr) return E_OUTOFMEMORY;
  for (int i = 0; i < 256; ++i) entries[i] = fill;
  image->palette = entries;
  image->ownsPalette = true;
  *palette = entries;
  return S_OK;
}

MaskChannel DescribeMask(uint32_t mask) {
  MaskChannel channel;
  if (mask == 0) return channel;
  while (((mask >> channel.shift) & 1u) == 0) ++channel.shift;
  while (channel.shift + channel.bits < 32 && ((mask >> (channel.shift + channel.bits)) & 1u) != 0) ++channel.bits;
  return channel;
}

uint32_t ExtractChannel(uint32_t pixel, MaskChannel channel, unsigned targetBits) {
  if (channel.bits == 0) return 0;
  const uint32_t limit = channel.bits >= 32 ? 0xFFFFFFFFu : ((1u << channel.bits) - 1);
  return ScaleBits((pixel >> channel.shift) & limit, channel.bits, targetBits);
}

uint16_t UnitFloatTo16(float value) {
  if (!(value > 0.0f)) return 0;  // also NaN
  if (value >= 1.0f) return 65535;
  return static_cast<uint16_t>(std::lround(static_cast<double>(value) * 65535.0));  // float would round twice
}

}  // namespace gfx::images
