// Shared pieces of the image recognisers: the recogniser entry points, byte readers, the size
// limits and the checked allocation of pixel blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfxsupport/images/image_decoding.h"
#include "gfxsupport/read_failure.h"

namespace gfx::images {

// Each recogniser looks at the whole buffer. It returns E_FAIL when the data is not its format
// (recording nothing) or is damaged (recording why with Refuse, without the format's name,
// which the recognition run puts in front), E_OUTOFMEMORY when memory cannot be had, and 0
// after filling *image. It reads image->decodePixels: when false only the header is read and
// no pixels are produced. On failure it may leave allocations in *image; the recognition run
// frees them.
HRESULT RecogniseBmp(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecognisePpm(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecogniseDds(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecogniseJpeg(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecognisePng(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecognisePfm(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecogniseHdr(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecogniseTga(const BYTE* data, size_t size, DecodedImage* image);
HRESULT RecogniseDib(const BYTE* data, size_t size, DecodedImage* image);

// The DIB reader behind both BMP and DIB. pixelOffset is where the pixel rows start, counted
// from the start of the DIB header; 0 means right after the colour table.
HRESULT ReadDeviceIndependentBitmap(const BYTE* data, size_t size, size_t pixelOffset, DecodedImage* image);

// Limits on what any file may ask for. Larger images are refused before anything is
// allocated, so that a few hostile header bytes cannot claim gigabytes. The pixel count matters
// beside the bytes: a one-megabyte PNG of 32768 x 32768 grey pixels decodes to 1 GiB, and every
// conversion after it (the texture's, the tool's 32-bit copy) takes 4 bytes a pixel. 2^27
// pixels (134 megapixels) is more than any camera's photograph.
constexpr UINT kMaxImageDimension = 32768;
constexpr uint64_t kMaxImagePixels = uint64_t{1} << 27;
constexpr size_t kMaxImageBytes = size_t{512} << 20;

inline uint16_t ReadLittle16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadLittle32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint32_t ReadBig32(const BYTE* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline void WriteLittle16(BYTE* p, uint16_t value) {
  p[0] = static_cast<BYTE>(value);
  p[1] = static_cast<BYTE>(value >> 8);
}

// a * b, false when it does not fit.
inline bool MultiplySize(size_t a, size_t b, size_t* product) { return !__builtin_mul_overflow(a, b, product); }

// True when width x height x depth pixels of bytesPerPixel stay inside the limits.
bool ImageSizeAllowed(UINT width, UINT height, UINT depth, UINT bytesPerPixel);

// Fills in the level's size, format and tightly packed pitches (rows of width x bytesPerPixel
// bytes) and, on the pixel path, allocates its pixel block. E_FAIL when the size is outside the
// limits, E_OUTOFMEMORY when the allocation fails. The block is not cleared.
HRESULT AllocateImageLevel(DecodedImage* image, DWORD format, UINT width, UINT height, UINT depth, UINT bytesPerPixel);

// Same, but the pixels are the caller's bytes in place (rows rowPitch apart).
HRESULT ReferenceImageLevel(DecodedImage* image, DWORD format, UINT width, UINT height, UINT depth, UINT bytesPerPixel,
                            const BYTE* pixels, UINT rowPitch);

// Writable view of a pixel block that this decoder allocated.
inline BYTE* WritablePixels(DecodedImage* image) { return const_cast<BYTE*>(image->pixels); }

// Allocates a 256-entry palette owned by the image, every entry set to fill.
HRESULT AllocatePalette(DecodedImage* image, ImagePaletteEntry fill, ImagePaletteEntry** palette);

// Scales a value of the given bit width to 8 or 16 bits, rounding to nearest.
inline uint32_t ScaleBits(uint32_t value, unsigned bits, unsigned targetBits) {
  if (bits == 0) return 0;
  const uint64_t maxIn = (uint64_t{1} << bits) - 1;
  const uint64_t maxOut = (uint64_t{1} << targetBits) - 1;
  return static_cast<uint32_t>((value * maxOut + maxIn / 2) / maxIn);
}

// One channel of a bit-field pixel layout: the contiguous run of set bits that starts at the
// mask's lowest set bit (bits above a gap do not count).
struct MaskChannel {
  unsigned shift = 0;
  unsigned bits = 0;
};
MaskChannel DescribeMask(uint32_t mask);

// The channel's value in a pixel, scaled to targetBits (8 or 16); 0 for an empty mask.
uint32_t ExtractChannel(uint32_t pixel, MaskChannel channel, unsigned targetBits);

// A 0..1 float (values outside clamp, NaN gives 0) as a 16-bit sample.
uint16_t UnitFloatTo16(float value);

}  // namespace gfx::images
