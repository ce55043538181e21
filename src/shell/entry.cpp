// The program's entry, in the Windows GUI convention: the module handle and the text of the
// command line after the program's name.
#include "shell/command_line.h"
#include "shell/saver_state.h"
#include "winapi.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  appInstance = instance;
  return RunCommandLine(commandLine);
}
