// Writes the halo mask (mask.png, 512 x 512 RGBA) into the folder given as the only argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "halo_mask.h"
#include "png_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_halo_mask <output folder>\n");
    return 2;
  }
  std::string path = std::string(argv[1]) + "/mask.png";
  std::vector<uint8_t> bytes = EncodePngRgba(DrawHaloMask());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "generate_halo_mask: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
