#include <cstdio>

#include "tool/commands.h"

int RunMeshCommand(int, char**) {
  std::fprintf(stderr, "orbelune-tool: the mesh command is not built yet\n");
  return 2;
}
