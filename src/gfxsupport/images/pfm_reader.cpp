// Portable float maps: "PF" (colour, three floats per pixel) or "Pf" (grey), a line feed, the
// width and height, and a scale whose sign gives the byte order of the samples (negative:
// little-endian, positive: big-endian; its size is not applied, as common readers do). Rows
// are stored bottom-up. Decoded as A16B16G16R16 (colour, alpha 0xFFFF) or L16 (grey): the
// linear samples clamped to 0..1, so the picture keeps 16-bit precision in a format the
// texture code converts. A zero or non-finite scale and data that ends early are damage.
#include <cmath>
#include <cstring>

#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/images/text_scanner.h"

namespace gfx::images {

namespace {

float ReadSample(const BYTE* p, bool littleEndian) {
  const uint32_t bits = littleEndian ? ReadLittle32(p) : ReadBig32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

HRESULT RecognisePfm(const BYTE* data, size_t size, DecodedImage* image) {
  if (size <= 3 || data[0] != 'P' || (data[1] != 'F' && data[1] != 'f') || data[2] != '\n') return E_FAIL;
  const bool colour = data[1] == 'F';
  TextScanner scanner(data, size, 3);
  uint32_t width = 0, height = 0;
  double scale = 0;
  scanner.SkipBlanks();
  if (!scanner.ReadUnsigned(&width)) return Refuse("no width, or one beyond 32 bits");
  scanner.SkipBlanks();
  if (!scanner.ReadUnsigned(&height)) return Refuse("no height, or one beyond 32 bits");
  scanner.SkipSpace(false);
  if (!scanner.ReadFloat(&scale) || !std::isfinite(scale)) return Refuse("no scale number");
  if (scale == 0.0) return Refuse("scale 0 gives no byte order");
  // A single white-space byte (the line feed) ends the header.
  const int separator = scanner.Peek();
  if (separator != '\n' && separator != '\r' && separator != ' ' && separator != '\t')
    return Refuse("no line end after the scale");
  scanner.Advance(1);
  if (separator == '\r' && scanner.Peek() == '\n') scanner.Advance(1);

  image->fileFormat = ImageFileFormatPfm;
  const DWORD format = colour ? ImagePixelFormat::A16B16G16R16 : ImagePixelFormat::L16;
  HRESULT hr = AllocateImageLevel(image, format, width, height, 1, colour ? 8 : 2);
  if (FAILED(hr) || !image->decodePixels) return hr;

  const size_t channels = colour ? 3 : 1;
  const size_t storedRow = static_cast<size_t>(width) * channels * 4;
  const size_t start = scanner.Position();
  if (storedRow * height > size - start)  // both below kMaxImageBytes * 2
    return Refuse("samples run past the end of the file");
  const bool littleEndian = scale < 0;
  BYTE* pixels = WritablePixels(image);
  for (size_t stored = 0; stored < height; ++stored) {
    const BYTE* source = data + start + stored * storedRow;
    BYTE* target = pixels + (height - 1 - stored) * image->rowPitch;
    for (size_t x = 0; x < width; ++x) {
      if (!colour) {
        WriteLittle16(target + 2 * x, UnitFloatTo16(ReadSample(source + 4 * x, littleEndian)));
        continue;
      }
      for (size_t c = 0; c < 3; ++c)
        WriteLittle16(target + 8 * x + 2 * c, UnitFloatTo16(ReadSample(source + 12 * x + 4 * c, littleEndian)));
      WriteLittle16(target + 8 * x + 6, 0xFFFF);
    }
  }
  return S_OK;
}

}  // namespace gfx::images
