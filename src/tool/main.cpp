// orbelune-tool: tells whether an image or mesh file will load, the way the saver loads it.
#include <cstdio>
#include <cstring>

#include "tool/commands.h"

namespace {
void PrintUsage() {
  std::fprintf(stderr,
               "usage: orbelune-tool image FILE [--out OUT.bmp]\n"
               "       orbelune-tool mesh FILE [--dump]\n");
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    PrintUsage();
    return 2;
  }
  if (std::strcmp(argv[1], "image") == 0) return RunImageCommand(argc - 2, argv + 2);
  if (std::strcmp(argv[1], "mesh") == 0) return RunMeshCommand(argc - 2, argv + 2);
  PrintUsage();
  return 2;
}
