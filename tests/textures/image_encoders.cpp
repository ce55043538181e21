#include "image_encoders.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

std::vector<uint8_t> WritePng(uint32_t width, uint32_t height, int colourType, const std::vector<uint8_t>& samples,
                              int bytesPerPixel, const std::vector<uint8_t>* paletteRgb,
                              const std::vector<uint8_t>* paletteAlpha) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png encoding failed");
  }
  png_set_write_fn(png, &out, AppendBytes, nullptr);
  png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (paletteRgb != nullptr) {
    std::vector<png_color> entries(paletteRgb->size() / 3);
    for (size_t i = 0; i < entries.size(); ++i) {
      entries[i] = {(*paletteRgb)[3 * i], (*paletteRgb)[3 * i + 1], (*paletteRgb)[3 * i + 2]};
    }
    png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    if (paletteAlpha != nullptr && !paletteAlpha->empty()) {
      png_set_tRNS(png, info, paletteAlpha->data(), static_cast<int>(paletteAlpha->size()), nullptr);
    }
  }
  png_write_info(png, info);
  for (uint32_t y = 0; y < height; ++y) {
    png_write_row(png, samples.data() + size_t{y} * width * bytesPerPixel);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace

std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& samples) {
  static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                               PNG_COLOR_TYPE_RGB_ALPHA};
  return WritePng(width, height, kTypes[channels], samples, channels, nullptr, nullptr);
}

std::vector<uint8_t> EncodePalettePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
                                      const std::vector<uint8_t>& paletteRgb,
                                      const std::vector<uint8_t>& paletteAlpha) {
  return WritePng(width, height, PNG_COLOR_TYPE_PALETTE, indices, 1, &paletteRgb, &paletteAlpha);
}

std::vector<uint8_t> EncodeJpeg(uint32_t width, uint32_t height, int channels, const std::vector<uint8_t>& samples) {
  jpeg_compress_struct compressor;
  jpeg_error_mgr errors;
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compressor, &buffer, &size);
  compressor.image_width = width;
  compressor.image_height = height;
  compressor.input_components = channels;
  compressor.in_color_space = channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, 100, TRUE);
  for (int i = 0; i < compressor.num_components; ++i) {
    compressor.comp_info[i].h_samp_factor = 1;
    compressor.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&compressor, TRUE);
  while (compressor.next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t{compressor.next_scanline} * width * channels);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}
