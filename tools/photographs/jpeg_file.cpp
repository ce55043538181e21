#include "jpeg_file.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// libjpeg's fatal errors: a generator has nothing to recover, so it stops.
[[noreturn]] void StopOnError(j_common_ptr info) {
  (*info->err->output_message)(info);
  std::abort();
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const RgbPicture& picture, const JpegSettings& settings) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  errors.error_exit = StopOnError;
  jpeg_create_compress(&info);

  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);

  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, settings.quality, TRUE);
  info.dct_method = JDCT_ISLOW;
  // Huffman tables made for this picture: smaller files, the same pixels.
  info.optimize_coding = TRUE;
  if (settings.fullChroma) {
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
  }
  if (settings.progressive) jpeg_simple_progression(&info);

  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&picture.rgb[static_cast<size_t>(info.next_scanline) * picture.width * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);

  std::vector<uint8_t> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}
