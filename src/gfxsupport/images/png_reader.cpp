// PNG through libpng, reading straight from the buffer.
//
// Colour types map to L8 (grey), R8G8B8 (RGB, delivered as X8R8G8B8 with a 0xFF filler), P8
// (palette), A8L8 (grey and alpha) and A8R8G8B8 (RGBA). Then, in this order: 16-bit samples
// are swapped to little-endian (RGB to FormatR16, RGBA to A16B16G16R16, grey to L16, grey and
// alpha to FormatAL16; a 16-bit palette is refused); samples of fewer than 8 bits are unpacked
// (grey also scaled to 8 bits); with an sRGB chunk nothing is gamma corrected, else a gAMA
// chunk is corrected to a screen gamma of 2.2; a tRNS chunk of a non-palette image becomes an
// alpha channel; RGB layouts are delivered blue first (by libpng, or for 8-bit samples of a
// non-interlaced image by the reader itself). Palette images get a 256-entry palette
// built from PLTE and tRNS through the same gamma. Interlaced images are read whole.
// libpng's errors end the attempt through a jump back to the reader; warnings are ignored.
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gfxsupport/images/image_reader.h"

namespace gfx::images {

namespace {

constexpr double kScreenGamma = 2.2;

struct MemoryReader {
  const BYTE* data;
  size_t size;
  size_t at;
  const char* part;  // what is being read, for the reason when the data ends
};

void ReadFromMemory(png_structp png, png_bytep target, size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->at) {
    Refuse("data ends inside %s", reader->part);
    png_error(png, "read error");
  }
  std::memcpy(target, reader->data + reader->at, length);
  reader->at += length;
}

// libpng's own words are the reason, unless the reader already said why it stopped.
[[noreturn]] void FailDecode(png_structp png, png_const_charp message) {
  if (!HasReadFailure()) Refuse("%s", message);
  png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// Everything the decode touches lives here, outside the frame that calls setjmp.
struct PngDecode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  MemoryReader reader{};
  png_bytep* rows = nullptr;
  // The palette as the file gives it, taken before libpng applies any transformation to it.
  png_color palette[256];
  int paletteSize = 0;
  BYTE transparency[256];
  int transparencyCount = 0;
  double fileGamma = 0;
  double screenGamma = 0;
};

HRESULT BuildPalette(const PngDecode& decode, DecodedImage* image) {
  ImagePaletteEntry* palette = nullptr;
  const HRESULT hr = AllocatePalette(image, ImagePaletteEntry{0xFF, 0xFF, 0xFF, 0xFF}, &palette);
  if (FAILED(hr)) return hr;
  BYTE table[256];
  const bool corrected = decode.fileGamma > 0.000001 && decode.screenGamma > 0.000001;
  for (int i = 0; i < 256; ++i) {
    table[i] =
        corrected
            ? static_cast<BYTE>(std::lround(255.0 * std::pow(i / 255.0, 1.0 / (decode.screenGamma * decode.fileGamma))))
            : static_cast<BYTE>(i);
  }
  for (int i = 0; i < decode.paletteSize; ++i) {
    const png_color& colour = decode.palette[i];
    const BYTE alpha = i < decode.transparencyCount ? decode.transparency[i] : 255;
    palette[i] = ImagePaletteEntry{table[colour.red], table[colour.green], table[colour.blue], alpha};
  }
  return S_OK;
}

// Four-byte pixels from red, green, blue, alpha (or filler) to blue, green, red, alpha.
void SwapRedAndBlue(BYTE* row, png_uint_32 width) {
  png_uint_32 x = 0;
#if defined(__SSE2__)
  const __m128i greenAndAlpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  for (; x + 4 <= width; x += 4) {
    auto* pixels = reinterpret_cast<__m128i*>(row + 4 * x);
    const __m128i rgba = _mm_loadu_si128(pixels);
    const __m128i blue = _mm_and_si128(_mm_srli_epi32(rgba, 16), lowByte);
    const __m128i red = _mm_slli_epi32(_mm_and_si128(rgba, lowByte), 16);
    _mm_storeu_si128(pixels, _mm_or_si128(_mm_and_si128(rgba, greenAndAlpha), _mm_or_si128(blue, red)));
  }
#endif
  for (; x < width; ++x) std::swap(row[4 * x], row[4 * x + 2]);
}

UINT ChannelsOf(DWORD format) {
  if (format == FormatR16) return 3;
  if (format == FormatAL16 || format == ImagePixelFormat::A8L8) return 2;
  if (format == ImagePixelFormat::A8R8G8B8 || format == ImagePixelFormat::X8R8G8B8 ||
      format == ImagePixelFormat::A16B16G16R16)
    return 4;
  return 1;
}

HRESULT RunDecode(PngDecode* d, DecodedImage* image) {
  if (setjmp(png_jmpbuf(d->png)) != 0) return E_FAIL;
  png_structp png = d->png;
  png_infop info = d->info;
  png_set_read_fn(png, &d->reader, ReadFromMemory);
  png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  const int colourType = png_get_color_type(png, info);

  DWORD format;
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
      format = ImagePixelFormat::L8;
      break;
    case PNG_COLOR_TYPE_RGB:
      format = ImagePixelFormat::R8G8B8;
      break;
    case PNG_COLOR_TYPE_PALETTE:
      format = ImagePixelFormat::P8;
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      format = ImagePixelFormat::A8L8;
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      format = ImagePixelFormat::A8R8G8B8;
      break;
    default:
      return Refuse("colour type %d", colourType);
  }

  if (format == ImagePixelFormat::P8) {
    png_colorp colours = nullptr;
    if (png_get_PLTE(png, info, &colours, &d->paletteSize) == 0 || d->paletteSize > 256)
      return Refuse("palette image without a palette of at most 256 entries");
    std::memcpy(d->palette, colours, sizeof(png_color) * static_cast<size_t>(d->paletteSize));
  }

  if (bitDepth == 16) {
    png_set_swap(png);
    if (format == ImagePixelFormat::R8G8B8)
      format = FormatR16;
    else if (format == ImagePixelFormat::A8R8G8B8)
      format = ImagePixelFormat::A16B16G16R16;
    else if (format == ImagePixelFormat::L8)
      format = ImagePixelFormat::L16;
    else if (format == ImagePixelFormat::A8L8)
      format = FormatAL16;
    else
      return Refuse("palette of 16 bits per index");
  }
  if (bitDepth < 8) {
    png_set_packing(png);
    if (format == ImagePixelFormat::L8) png_set_expand_gray_1_2_4_to_8(png);
  }

  int intent = 0;
  double fileGamma = 0;
  if (png_get_sRGB(png, info, &intent) != 0) {
    png_set_sRGB(png, info, intent);
  } else if (png_get_gAMA(png, info, &fileGamma) != 0 && fileGamma > 0) {
    png_set_gamma(png, kScreenGamma, fileGamma);
    d->fileGamma = fileGamma;
    d->screenGamma = kScreenGamma;
  }

  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    if (format == ImagePixelFormat::P8) {
      png_bytep alphas = nullptr;
      int count = 0;
      if (png_get_tRNS(png, info, &alphas, &count, nullptr) != 0 && alphas != nullptr) {
        d->transparencyCount = count < 256 ? count : 256;
        std::memcpy(d->transparency, alphas, static_cast<size_t>(d->transparencyCount));
      }
    } else {
      png_set_tRNS_to_alpha(png);
      if (format == ImagePixelFormat::R8G8B8)
        format = ImagePixelFormat::A8R8G8B8;
      else if (format == ImagePixelFormat::L8)
        format = ImagePixelFormat::A8L8;
      else if (format == ImagePixelFormat::L16)
        format = FormatAL16;
      else if (format == FormatR16)
        format = ImagePixelFormat::A16B16G16R16;
    }
  }

  // Rows of four 8-bit samples of a non-interlaced image are put in blue-first order here, a
  // row at a time while it is in the cache, faster than libpng does it; the bytes are the same.
  const bool swapsRedAndBlue = bitDepth == 8 && png_get_interlace_type(png, info) == PNG_INTERLACE_NONE &&
                               (format == ImagePixelFormat::R8G8B8 || format == ImagePixelFormat::A8R8G8B8);
  if ((format == ImagePixelFormat::R8G8B8 || format == ImagePixelFormat::A8R8G8B8 || format == FormatR16) &&
      !swapsRedAndBlue)
    png_set_bgr(png);
  if (format == ImagePixelFormat::R8G8B8) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    format = ImagePixelFormat::X8R8G8B8;
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_channels(png, info) != ChannelsOf(format))
    return Refuse("%d channels where %u are expected", png_get_channels(png, info), ChannelsOf(format));

  const size_t rowBytes = png_get_rowbytes(png, info);
  image->fileFormat = ImageFileFormatPng;
  const UINT bytesPerPixel = static_cast<UINT>(rowBytes / (width ? width : 1));
  HRESULT hr = AllocateImageLevel(image, format, width, height, 1, bytesPerPixel);
  if (FAILED(hr)) return hr;
  if (image->rowPitch != rowBytes)
    return Refuse("rows of %lu bytes do not hold %u pixels", static_cast<unsigned long>(rowBytes), width);
  if (!image->decodePixels) return S_OK;

  d->reader.part = "IDAT";
  d->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
  if (d->rows == nullptr) return E_OUTOFMEMORY;
  BYTE* pixels = WritablePixels(image);
  for (png_uint_32 y = 0; y < height; ++y) d->rows[y] = pixels + static_cast<size_t>(y) * rowBytes;
  if (swapsRedAndBlue) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, d->rows[y], nullptr);
      SwapRedAndBlue(d->rows[y], width);
    }
  } else {
    png_read_image(png, d->rows);
  }

  if (format == ImagePixelFormat::P8) return BuildPalette(*d, image);
  return S_OK;
}

}  // namespace

HRESULT RecognisePng(const BYTE* data, size_t size, DecodedImage* image) {
  if (size < 8 || png_sig_cmp(const_cast<png_bytep>(data), 0, 8) != 0) return E_FAIL;
  auto* decode = new (std::nothrow) PngDecode();
  if (decode == nullptr) return E_OUTOFMEMORY;
  decode->reader = MemoryReader{data, size, 0, "the chunks before the image data"};
  HRESULT hr = E_FAIL;
  decode->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailDecode, IgnoreWarning);
  if (decode->png != nullptr) decode->info = png_create_info_struct(decode->png);
  if (decode->png != nullptr && decode->info != nullptr) hr = RunDecode(decode, image);
  png_destroy_read_struct(decode->png ? &decode->png : nullptr, decode->info ? &decode->info : nullptr, nullptr);
  std::free(decode->rows);
  delete decode;
  return hr;
}

}  // namespace gfx::images
