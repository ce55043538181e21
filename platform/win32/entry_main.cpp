#include <string>

#include "entry.h"

namespace {
// The module handle of the program itself; only its identity matters to the stand-ins.
struct HINSTANCE__ programModule;
}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) commandLine += ' ';
    commandLine += argv[index];
  }
  return WinMain(&programModule, nullptr, commandLine.data(), 1 /* SW_SHOWNORMAL */);
}
