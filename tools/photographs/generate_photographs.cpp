// Writes the built-in photographs (sparks.jpg and rays.jpg) into the folder given as the only
// argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "built_in_photographs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_photographs <output folder>\n");
    return 2;
  }
  bool written = true;
  for (const BuiltInPhotograph& photograph : BuiltInPhotographs()) {
    std::string path = std::string(argv[1]) + "/" + photograph.fileName;
    std::vector<uint8_t> bytes = EncodeJpeg(photograph.draw(), photograph.jpeg);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "generate_photographs: cannot write %s\n", path.c_str());
      written = false;
    }
  }
  return written ? 0 : 1;
}
