#include "shell/hack_mode.h"

#include <cstdio>

#include "hack_host.h"
#include "shell/hack_options.h"
#include "shell/saver_run.h"
#include "winapi.h"

namespace {

constexpr int kExitCodeBadCommandLine = 2;
constexpr int kExitCodeNoWindow = 1;

void Complain(const std::string& problem) { std::fprintf(stderr, "orbelune: %s\n", problem.c_str()); }

HWND TargetWindow(const HackCommand& command) {
  if (command.target == HackTarget::Root) return standin::hack::RootTargetWindow();
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(command.window));
}

}  // namespace

int RunHackCommandLine(const std::vector<std::string>& words) {
  HackCommand command;
  if (const std::string problem = ReadHackCommand(words, &command); !problem.empty()) {
    Complain(problem);
    return kExitCodeBadCommandLine;
  }
  const HWND host = TargetWindow(command);
  if (host == nullptr || !IsWindow(host)) {
    Complain(command.target == HackTarget::Root ? "no window to draw into (XSCREENSAVER_WINDOW, or the root window)"
                                                : "no window " + std::to_string(command.window) + " to draw into");
    return kExitCodeNoWindow;
  }
  g_settingsOverrides = command.overrides;
  return RunHack(host);
}
