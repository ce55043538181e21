#include <cstdio>

#include "tool/commands.h"

int RunImageCommand(int, char**) {
  std::fprintf(stderr, "orbelune-tool: the image command is not built yet\n");
  return 2;
}
