// Fuzz target for the readers of the command line: the switch letters, the words of the text
// and the hack-mode options, and the Linux entry's joining of arguments into that text
// (command_line_input.h says what is checked).
#include <cstdio>
#include <cstdlib>

#include "command_line_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string problem = CommandLineInputProblem(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
