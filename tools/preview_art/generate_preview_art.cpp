// Writes the preview bitmap (preview.bmp, 152 x 112, 24 bits) and the program icon
// (orbelune.ico, 16, 32 and 48 pixels) into the folder given as the only argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "tiled_disc_picture.h"
#include "windows_image_files.h"

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "generate_preview_art: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_preview_art <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  bool written = WriteBytes(folder + "/preview.bmp", EncodeBmp24(DrawPreviewPicture(152, 112)));
  written = WriteBytes(folder + "/orbelune.ico",
                       EncodeIco32({DrawIconPicture(16), DrawIconPicture(32), DrawIconPicture(48)})) &&
            written;
  return written ? 0 : 1;
}
