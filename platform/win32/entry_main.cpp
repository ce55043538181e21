#include <string>

#include "command_line_text.h"
#include "entry.h"
#include "resource.h"

int main(int argc, char** argv) {
  std::string commandLine = standin::JoinCommandLine(argc, argv);
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), 1 /* SW_SHOWNORMAL */);
}
