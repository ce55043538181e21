#include "png_file.h"

#include <png.h>

#include <cstdlib>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

}  // namespace

std::vector<uint8_t> EncodePngRgba(const RgbaPicture& picture) {
  std::vector<uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // libpng reports its errors by jumping back here; a tool has nothing to recover.
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) std::abort();
  png_set_write_fn(png, &file, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) {
    png_write_row(png, &picture.rgba[static_cast<size_t>(y) * picture.width * 4]);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}
