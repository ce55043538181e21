// orbelune-tool: tells whether an image or mesh file will load, the way the saver loads it, and
// draws the saver's frame at a given moment.
#include <cstdio>
#include <cstring>

#include "tool/commands.h"

namespace {

struct Command {
  const char* name;
  const char* usage;
  int (*run)(int argc, char** argv);
};

constexpr Command kCommands[] = {
    {"image", kImageUsage, RunImageCommand},
    {"mesh", kMeshUsage, RunMeshCommand},
    {"frame", kFrameUsage, RunFrameCommand},
};

void PrintUsage(std::FILE* stream) {
  const char* lead = "usage:";
  for (const Command& command : kCommands) {
    std::fprintf(stream, "%-6s %s\n", lead, command.usage);
    lead = "";
  }
}

bool AsksForHelp(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && AsksForHelp(argv[1])) {
    PrintUsage(stdout);
    return 0;
  }
  if (argc >= 2) {
    for (const Command& command : kCommands) {
      if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "orbelune-tool: unknown command '%s'\n", argv[1]);
  }
  PrintUsage(stderr);
  return 2;
}
