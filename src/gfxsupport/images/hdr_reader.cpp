// Radiance pictures (RGBE): a text header of lines up to an empty line ("FORMAT=" must name
// 32-bit_rle_rgbe or 32-bit_rle_xyze when present; "EXPOSURE=" lines must hold positive
// numbers), a resolution line in any of the eight orientations ("-Y h +X w" being the usual),
// then scanlines that are flat, in the old run-length form, or in the adaptive run-length form
// (one component after another).
//
// Decoded as A16B16G16R16 with alpha 0xFFFF: the linear values as stored, clamped to 0..1.
// Exposure only records what a program already multiplied into the stored values, so the
// values stay as they are; XYZE pictures are converted to Radiance's RGB primaries.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/images/text_scanner.h"

namespace gfx::images {

namespace {

struct Orientation {
  bool transposed;  // the first axis named is X: scanlines are columns
  bool flipRows;    // pictures rows run upward (+Y first) or columns leftward (-X)
  bool flipColumns;
};

bool StartsWith(const char* line, size_t length, const char* prefix) {
  const size_t prefixLength = std::strlen(prefix);
  return length >= prefixLength && std::memcmp(line, prefix, prefixLength) == 0;
}

// Parses the value after "EXPOSURE=": a positive finite number.
bool ValidExposure(const char* line, size_t length) {
  TextScanner scanner(reinterpret_cast<const BYTE*>(line), length, 9);
  scanner.SkipBlanks();
  double exposure = 0;
  return scanner.ReadFloat(&exposure) && std::isfinite(exposure) && exposure > 0;
}

// "-Y 480 +X 640" and its relatives.
HRESULT ParseResolution(TextScanner& scanner, uint32_t* width, uint32_t* height, Orientation* orientation) {
  char sign[2], axis[2];
  uint32_t size[2];
  for (int i = 0; i < 2; ++i) {
    scanner.SkipBlanks();
    const int s = scanner.Peek();
    if (s != '-' && s != '+') return Refuse("resolution line is not like \"-Y 480 +X 640\"");
    scanner.Advance(1);
    const int a = scanner.Peek();
    if (a != 'X' && a != 'Y') return Refuse("resolution line is not like \"-Y 480 +X 640\"");
    scanner.Advance(1);
    scanner.SkipBlanks();
    if (!scanner.ReadUnsigned(&size[i])) return Refuse("resolution line is not like \"-Y 480 +X 640\"");
    sign[i] = static_cast<char>(s);
    axis[i] = static_cast<char>(a);
  }
  scanner.SkipBlanks();
  if (scanner.Peek() == '\r') scanner.Advance(1);
  if (scanner.Peek() != '\n' || axis[0] == axis[1]) return Refuse("resolution line is not like \"-Y 480 +X 640\"");
  scanner.Advance(1);
  orientation->transposed = axis[0] == 'X';
  const char ySign = orientation->transposed ? sign[1] : sign[0];
  const char xSign = orientation->transposed ? sign[0] : sign[1];
  orientation->flipRows = ySign == '+';
  orientation->flipColumns = xSign == '-';
  *height = orientation->transposed ? size[1] : size[0];
  *width = orientation->transposed ? size[0] : size[1];
  return S_OK;
}

// Reads one scanline of `length` RGBE pixels into `line`.
HRESULT ReadScanline(const BYTE* data, size_t size, size_t* at, size_t length, BYTE* line) {
  if (size - *at < 4) return Refuse("pixels run past the end of the file");
  const BYTE* head = data + *at;
  const bool adaptive = length >= 8 && length <= 0x7FFF && head[0] == 2 && head[1] == 2 && (head[2] & 0x80) == 0;
  if (adaptive) {
    if (((static_cast<size_t>(head[2]) << 8) | head[3]) != length)
      return Refuse("a run-length scanline's length is not the picture's");
    *at += 4;
    for (size_t component = 0; component < 4; ++component) {
      size_t x = 0;
      while (x < length) {
        if (*at >= size) return Refuse("pixels run past the end of the file");
        size_t count = data[(*at)++];
        if (count > 128) {  // a run of one value
          count -= 128;
          if (count > length - x) return Refuse("a run runs past the end of its scanline");
          if (*at >= size) return Refuse("pixels run past the end of the file");
          const BYTE value = data[(*at)++];
          for (size_t i = 0; i < count; ++i) line[4 * (x + i) + component] = value;
        } else {  // literal values
          if (count == 0 || count > length - x) return Refuse("a literal group is empty or runs past its scanline");
          if (count > size - *at) return Refuse("pixels run past the end of the file");
          for (size_t i = 0; i < count; ++i) line[4 * (x + i) + component] = data[*at + i];
          *at += count;
        }
        x += count;
      }
    }
    return S_OK;
  }
  // Flat pixels, where (1, 1, 1, n) repeats the previous pixel n times (n shifted up by 8 for
  // every repeat marker in a row).
  size_t x = 0;
  unsigned shift = 0;
  while (x < length) {
    if (size - *at < 4) return Refuse("pixels run past the end of the file");
    const BYTE* pixel = data + *at;
    *at += 4;
    if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
      if (x == 0) return Refuse("a repeat marker before any pixel of its scanline");
      if (shift > 16) return Refuse("more than three repeat markers in a row");
      const size_t count = static_cast<size_t>(pixel[3]) << shift;
      if (count > length - x) return Refuse("a repeat runs past the end of its scanline");
      for (size_t i = 0; i < count; ++i) std::memcpy(line + 4 * (x + i), line + 4 * (x - 1), 4);
      x += count;
      shift += 8;
      continue;
    }
    std::memcpy(line + 4 * x, pixel, 4);
    ++x;
    shift = 0;
  }
  return S_OK;
}

void StorePixel(const BYTE* rgbe, bool xyz, BYTE* target) {
  float values[3] = {0, 0, 0};
  if (rgbe[3] != 0) {
    // Radiance takes the centre of each mantissa step.
    const float factor = std::ldexp(1.0f, static_cast<int>(rgbe[3]) - (128 + 8));
    for (int c = 0; c < 3; ++c) values[c] = (static_cast<float>(rgbe[c]) + 0.5f) * factor;
  }
  if (xyz) {
    const float x = values[0], y = values[1], z = values[2];
    values[0] = 2.5653128f * x - 1.1668496f * y - 0.3984632f * z;
    values[1] = -1.0221082f * x + 1.9782866f * y + 0.0438216f * z;
    values[2] = 0.0747244f * x - 0.2519396f * y + 1.1772152f * z;
  }
  for (int c = 0; c < 3; ++c) WriteLittle16(target + 2 * c, UnitFloatTo16(values[c]));
  WriteLittle16(target + 6, 0xFFFF);
}

}  // namespace

HRESULT RecogniseHdr(const BYTE* data, size_t size, DecodedImage* image) {
  // Most writers name Radiance; some name the format itself.
  if (size <= 10) return E_FAIL;
  if (std::memcmp(data, "#?RADIANCE", 10) != 0 && std::memcmp(data, "#?RGBE", 6) != 0) return E_FAIL;
  TextScanner scanner(data, size);
  const char* line = nullptr;
  size_t length = 0;
  if (!scanner.ReadLine(&line, &length)) return Refuse("the file ends inside the header");  // the magic line
  bool xyz = false;
  for (;;) {
    if (!scanner.ReadLine(&line, &length)) return Refuse("the file ends inside the header");
    if (length > 0 && line[length - 1] == '\r') --length;
    if (length == 0) break;
    if (StartsWith(line, length, "FORMAT=")) {
      const char* value = line + 7;
      const size_t valueLength = length - 7;
      if (valueLength == 15 && std::memcmp(value, "32-bit_rle_rgbe", 15) == 0) {
        xyz = false;
      } else if (valueLength == 15 && std::memcmp(value, "32-bit_rle_xyze", 15) == 0) {
        xyz = true;
      } else {
        return Refuse("pixel format %.*s is not read", static_cast<int>(valueLength), value);
      }
    } else if (StartsWith(line, length, "EXPOSURE=")) {
      if (!ValidExposure(line, length)) return Refuse("exposure is not a positive number");
    }
  }
  uint32_t width = 0, height = 0;
  Orientation orientation{};
  if (FAILED(ParseResolution(scanner, &width, &height, &orientation))) return E_FAIL;

  image->fileFormat = ImageFileFormatHdr;
  HRESULT hr = AllocateImageLevel(image, ImagePixelFormat::A16B16G16R16, width, height, 1, 8);
  if (FAILED(hr) || !image->decodePixels) return hr;

  const size_t scanLength = orientation.transposed ? height : width;
  const size_t scanCount = orientation.transposed ? width : height;
  std::unique_ptr<BYTE[]> line4(new (std::nothrow) BYTE[scanLength * 4]);
  if (!line4) return E_OUTOFMEMORY;
  BYTE* pixels = WritablePixels(image);
  size_t at = scanner.Position();
  for (size_t scan = 0; scan < scanCount; ++scan) {
    if (FAILED(ReadScanline(data, size, &at, scanLength, line4.get()))) return E_FAIL;
    for (size_t i = 0; i < scanLength; ++i) {
      size_t x = orientation.transposed ? scan : i;
      size_t y = orientation.transposed ? i : scan;
      if (orientation.flipRows) y = height - 1 - y;
      if (orientation.flipColumns) x = width - 1 - x;
      StorePixel(line4.get() + 4 * i, xyz, pixels + y * image->rowPitch + 8 * x);
    }
  }
  return S_OK;
}

}  // namespace gfx::images
