// JPEG through libjpeg (API version 62), reading straight from the buffer: grey (one output
// component, decoded as L8) and colour (three components, decoded as X8R8G8B8 with a zero top
// byte), baseline and progressive. CMYK and other component counts are refused.
//
// Where libjpeg can deliver blue, green, red and a spare byte itself (libjpeg-turbo's
// extended colour spaces), colour rows come in that layout and only the spare byte is
// cleared; the colour conversion is the same as for its RGB rows. Otherwise RGB rows are
// packed into pixels one by one.
//
// The source manager hands libjpeg the whole buffer on its first fill request. A second fill
// request means the stream ended before its end-of-image marker: the attempt ends there.
// (Handing the buffer over again from its start would let libjpeg read the same bytes
// forever on some damaged streams.) A skip request that would pass the end of the data ends
// the attempt too. libjpeg's fatal errors end the attempt through a jump back to the reader
// instead of ending the process; its warnings are ignored.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The platform headers come first: libjpeg then leaves out its own INT32, which Windows has.
#include "gfxsupport/images/image_reader.h"
#include "gfxsupport/images/processor_features.h"

#include <jerror.h>
#include <jpeglib.h>

namespace gfx::images {

namespace {

struct BufferSource {
  jpeg_source_mgr manager;
  const BYTE* data;
  size_t size;
  bool handedOver;
};

struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  auto* source = reinterpret_cast<BufferSource*>(info->src);
  if (source->handedOver) {
    Refuse("data ends before the picture is complete");
    ERREXIT(info, JERR_INPUT_EOF);
  }
  source->handedOver = true;
  source->manager.next_input_byte = source->data;
  source->manager.bytes_in_buffer = source->size;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<BufferSource*>(info->src);
  if (count <= 0) return;
  if (static_cast<unsigned long>(count) > source->manager.bytes_in_buffer) {
    // Leave the position where it is and stop the decode: the data claims more than it holds.
    Refuse("a segment claims more bytes than the data holds");
    ERREXIT(info, JERR_INPUT_EOF);
  }
  source->manager.next_input_byte += count;
  source->manager.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// libjpeg's own words are the reason, unless the source already said why it stopped.
[[noreturn]] void FailDecode(j_common_ptr info) {
  if (!HasReadFailure()) {
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    Refuse("%s", message);
  }
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  std::longjmp(trap->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

#if defined(JCS_EXTENSIONS)
constexpr J_COLOR_SPACE kColourRows = JCS_EXT_BGRX;
constexpr int kColourComponents = 4;

// libjpeg leaves the spare byte undefined; ours is 0.
void FinishColourRow(const BYTE* bgrx, UINT width, BYTE* target) {
  UINT x = 0;
#if defined(__SSE2__)
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= width; x += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgrx + 4 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 4 * x), _mm_and_si128(pixels, colour));
  }
#endif
  for (; x < width; ++x) {
    uint32_t pixel;
    std::memcpy(&pixel, bgrx + 4 * x, 4);
    pixel &= 0x00FFFFFFu;
    std::memcpy(target + 4 * x, &pixel, 4);
  }
}
#else
constexpr J_COLOR_SPACE kColourRows = JCS_RGB;
constexpr int kColourComponents = 3;

// Red, green, blue bytes to X8R8G8B8 pixels with a zero top byte.
void FinishColourRow(const BYTE* rgb, UINT width, BYTE* target) {
  for (UINT x = 0; x < width; ++x) {
    target[4 * x + 0] = rgb[3 * x + 2];
    target[4 * x + 1] = rgb[3 * x + 1];
    target[4 * x + 2] = rgb[3 * x + 0];
    target[4 * x + 3] = 0;
  }
}
#endif

// Colour rows are decoded into a row of their own, which starts this many bytes past an
// aligned address: libjpeg-turbo writes aligned rows with stores that bypass the cache, so
// that finishing a row in place would read it back from memory; a row that starts off
// alignment is written through the cache and finished from there.
constexpr size_t kRowOffset = 4;

// Everything the decode touches lives here, outside the frame that calls setjmp, so that
// nothing with a destructor is skipped by the jump and no local changes after setjmp.
struct JpegDecode {
  jpeg_decompress_struct info;
  ErrorTrap trap;
  BufferSource source;
  BYTE* row = nullptr;
};

// Runs libjpeg; any libjpeg error comes back here as E_FAIL.
HRESULT RunDecode(JpegDecode* decode, DecodedImage* image) {
  jpeg_decompress_struct* info = &decode->info;
  if (setjmp(decode->trap.jump) != 0) return E_FAIL;

  // Progressive and multi-scan files keep the whole picture's coefficients; beyond this limit
  // libjpeg refuses the file instead of asking for ever more memory.
  info->mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);
  jpeg_read_header(info, TRUE);
  if (info->image_width == 0 || info->image_height == 0) return Refuse("width or height is 0");
  if (info->image_width > kMaxImageDimension || info->image_height > kMaxImageDimension)
    return Refuse("%u x %u pixels are more than an image may have", info->image_width, info->image_height);
  // Four-component (CMYK, YCCK) pictures come out with four components and are refused below.
  if (info->jpeg_color_space == JCS_GRAYSCALE) {
    info->out_color_space = JCS_GRAYSCALE;
  } else if (info->num_components == 3) {
    info->out_color_space = kColourRows;
  }
  if (!ProcessorHasMmx()) info->dct_method = JDCT_IFAST;
  jpeg_start_decompress(info);
  DWORD format;
  UINT bytesPerPixel;
  if (info->output_components == 1) {
    format = ImagePixelFormat::L8, bytesPerPixel = 1;
  } else if (info->out_color_space == kColourRows && info->output_components == kColourComponents) {
    format = ImagePixelFormat::X8R8G8B8, bytesPerPixel = 4;
  } else {
    return Refuse("%d colour components (1 or 3 are read)", info->output_components);
  }
  image->fileFormat = ImageFileFormatJpeg;
  HRESULT hr = AllocateImageLevel(image, format, info->output_width, info->output_height, 1, bytesPerPixel);
  if (FAILED(hr) || !image->decodePixels) return hr;

  if (bytesPerPixel == 4) {
    decode->row =
        static_cast<BYTE*>(std::malloc(static_cast<size_t>(info->output_width) * kColourComponents + kRowOffset));
    if (decode->row == nullptr) return E_OUTOFMEMORY;
  }
  BYTE* pixels = WritablePixels(image);
  while (info->output_scanline < info->output_height) {
    BYTE* target = pixels + static_cast<size_t>(info->output_scanline) * image->rowPitch;
    JSAMPROW rowPointer = decode->row != nullptr ? decode->row + kRowOffset : target;
    if (jpeg_read_scanlines(info, &rowPointer, 1) != 1) return Refuse("data ends before the picture is complete");
    if (bytesPerPixel == 4) FinishColourRow(rowPointer, info->output_width, target);
  }
  jpeg_finish_decompress(info);
  return S_OK;
}

}  // namespace

HRESULT RecogniseJpeg(const BYTE* data, size_t size, DecodedImage* image) {
  // libjpeg accepts nothing that does not begin with the start-of-image marker; other data is
  // passed on without setting it up.
  if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return E_FAIL;

  auto* decode = new (std::nothrow) JpegDecode();
  if (decode == nullptr) return E_OUTOFMEMORY;
  decode->info.err = jpeg_std_error(&decode->trap.manager);
  decode->trap.manager.error_exit = FailDecode;
  decode->trap.manager.emit_message = IgnoreMessage;
  decode->trap.manager.output_message = IgnoreOutput;

  HRESULT hr = E_FAIL;
  if (setjmp(decode->trap.jump) == 0) {
    jpeg_create_decompress(&decode->info);
    decode->source.manager.init_source = InitSource;
    decode->source.manager.fill_input_buffer = FillInputBuffer;
    decode->source.manager.skip_input_data = SkipInputData;
    decode->source.manager.resync_to_restart = jpeg_resync_to_restart;
    decode->source.manager.term_source = TermSource;
    decode->source.manager.bytes_in_buffer = 0;
    decode->source.manager.next_input_byte = nullptr;
    decode->source.data = data;
    decode->source.size = size;
    decode->info.src = &decode->source.manager;
    hr = RunDecode(decode, image);
  }
  jpeg_destroy_decompress(&decode->info);
  std::free(decode->row);
  delete decode;
  return hr;
}

}  // namespace gfx::images
