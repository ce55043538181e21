#include <string>

#include "entry.h"
#include "resource.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) commandLine += ' ';
    commandLine += argv[index];
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), 1 /* SW_SHOWNORMAL */);
}
