// Writes the program icon as a PNG of the given size, for the Linux desktop's icon theme:
// the same picture as the icon group of the Windows resources, drawn at that size.
// Usage: write_icon_png SIZE OUT.png
#include <png.h>

#include <cstdio>
#include <cstdlib>

#include "tiled_disc_picture.h"

namespace {

constexpr int kLargestSize = 1024;

bool WritePng(const RgbaImage& image, const char* path) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
  bool written = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < image.height; ++row) {
      png_write_row(png, image.rgba.data() + static_cast<size_t>(row) * image.width * 4);
    }
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const int size = argc == 3 ? std::atoi(argv[1]) : 0;
  if (size <= 0 || size > kLargestSize) {
    std::fprintf(stderr, "usage: write_icon_png SIZE OUT.png (SIZE from 1 to %d)\n", kLargestSize);
    return 2;
  }
  if (!WritePng(DrawIconPicture(size), argv[2])) {
    std::fprintf(stderr, "write_icon_png: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
