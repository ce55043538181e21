// Portable pixmaps: "P3" (samples as decimal text, maximum up to 65535) and "P6" (binary
// samples of one byte each, maximum up to 255; the two-byte form is not taken: such a file is
// refused rather than misread). Header numbers are separated by white space, and
// "#" starts a comment up to the end of its line. Decoded as X8R8G8B8, every sample scaled to
// 0..255 with rounding. Width, height or maximum of 0, samples above the maximum and data that
// ends early are damage. Only the first image of a multi-image file is read.
#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/images/text_scanner.h"

namespace gfx::images {

namespace {

BYTE ScaleSample(uint32_t sample, uint32_t maximum) {
  return static_cast<BYTE>((static_cast<uint64_t>(sample) * 255 + maximum / 2) / maximum);
}

HRESULT ReadTextSamples(TextScanner& scanner, uint32_t maximum, DecodedImage* image) {
  BYTE* pixels = WritablePixels(image);
  for (UINT y = 0; y < image->height; ++y) {
    BYTE* row = pixels + static_cast<size_t>(y) * image->rowPitch;
    for (UINT x = 0; x < image->width; ++x) {
      uint32_t rgb[3];
      for (uint32_t& sample : rgb) {
        scanner.SkipSpace(true);
        if (!scanner.ReadUnsigned(&sample)) return Refuse("text samples end before the image is complete");
        if (sample > maximum) return Refuse("sample %u above the maximum %u", sample, maximum);
      }
      row[4 * x + 0] = ScaleSample(rgb[2], maximum);
      row[4 * x + 1] = ScaleSample(rgb[1], maximum);
      row[4 * x + 2] = ScaleSample(rgb[0], maximum);
      row[4 * x + 3] = 0xFF;
    }
  }
  return S_OK;
}

HRESULT ReadBinarySamples(const BYTE* samples, size_t available, uint32_t maximum, DecodedImage* image) {
  const size_t rowBytes = static_cast<size_t>(image->width) * 3;
  if (rowBytes * image->height > available)  // both factors are capped
    return Refuse("pixels run past the end of the file");
  BYTE* pixels = WritablePixels(image);
  for (UINT y = 0; y < image->height; ++y) {
    const BYTE* source = samples + y * rowBytes;
    BYTE* row = pixels + static_cast<size_t>(y) * image->rowPitch;
    for (UINT x = 0; x < image->width; ++x) {
      uint32_t rgb[3];
      for (size_t c = 0; c < 3; ++c) {
        rgb[c] = source[3 * x + c];
        if (rgb[c] > maximum) return Refuse("sample %u above the maximum %u", rgb[c], maximum);
      }
      row[4 * x + 0] = ScaleSample(rgb[2], maximum);
      row[4 * x + 1] = ScaleSample(rgb[1], maximum);
      row[4 * x + 2] = ScaleSample(rgb[0], maximum);
      row[4 * x + 3] = 0xFF;
    }
  }
  return S_OK;
}

}  // namespace

HRESULT RecognisePpm(const BYTE* data, size_t size, DecodedImage* image) {
  if (size < 2 || data[0] != 'P' || (data[1] != '3' && data[1] != '6')) return E_FAIL;
  const bool binary = data[1] == '6';
  // The magic number is a word of its own: "P61" is not a pixmap.
  if (size > 2 && data[2] != '#' && data[2] != ' ' && data[2] != '\t' && data[2] != '\r' && data[2] != '\n')
    return E_FAIL;
  TextScanner scanner(data, size, 2);
  uint32_t width = 0, height = 0, maximum = 0;
  scanner.SkipSpace(true);
  if (!scanner.ReadUnsigned(&width)) return Refuse("no width, or one beyond 32 bits");
  scanner.SkipSpace(true);
  if (!scanner.ReadUnsigned(&height)) return Refuse("no height, or one beyond 32 bits");
  scanner.SkipSpace(true);
  if (!scanner.ReadUnsigned(&maximum)) return Refuse("no maximum sample value");
  if (width == 0 || height == 0) return Refuse("width or height is 0");
  if (maximum == 0 || maximum > 65535) return Refuse("maximum sample value %u out of range", maximum);
  if (binary && maximum > 255) return Refuse("binary samples of two bytes (maximum %u) are not read", maximum);

  image->fileFormat = ImageFileFormatPpm;
  const HRESULT hr = AllocateImageLevel(image, ImagePixelFormat::X8R8G8B8, width, height, 1, 4);
  if (FAILED(hr) || !image->decodePixels) return hr;
  if (!binary) return ReadTextSamples(scanner, maximum, image);
  // Exactly one white-space byte separates the maximum from the binary samples.
  const int separator = scanner.Peek();
  if (separator != ' ' && separator != '\t' && separator != '\r' && separator != '\n')
    return Refuse("no white space between the header and the samples");
  scanner.Advance(1);
  return ReadBinarySamples(data + scanner.Position(), size - scanner.Position(), maximum, image);
}

}  // namespace gfx::images
