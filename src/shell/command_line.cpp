#include "shell/command_line.h"

#include "shell/command_words.h"
#include "shell/configuration_mode.h"
#include "shell/hack_mode.h"
#include "shell/hack_options.h"
#include "shell/saver_run.h"
#include "shell/saver_state.h"

namespace {

// Characters are compared as signed bytes: every byte of 0x80 or more is below '0' and
// matches no switch letter.
signed char At(const char* text) { return static_cast<signed char>(*text); }

// The decimal window value after P: blanks (0x20 only) are skipped; a first character below
// '0' gives no window; digits accumulate in 32-bit arithmetic until the first non-digit, so a
// first character above '9' (such as ':') ends the number at once with value 0.
uint32_t ReadParentWindow(const char* cursor) {
  while (At(cursor) == ' ') ++cursor;
  if (At(cursor) < '0') return 0;
  uint32_t value = 0;
  while (At(cursor) >= '0' && At(cursor) <= '9') {
    value = value * 10u + static_cast<uint32_t>(At(cursor) - '0');
    ++cursor;
  }
  return value;
}

}  // namespace

SwitchChoice ReadCommandLine(const char* commandLine) {
  const char* cursor = commandLine != nullptr ? commandLine : "";
  for (;; ++cursor) {
    switch (At(cursor)) {
      case '\0':
        return {SwitchAction::Configure, 0};
      case ' ':
      case '-':
      case '/':
        continue;
      case 'A':
      case 'a':
        return {SwitchAction::EndSilently, 0};
      case 'C':
      case 'c':
        return {SwitchAction::Configure, 0};
      case 'P':
      case 'p':
        return {SwitchAction::RunPreview, ReadParentWindow(cursor + 1)};
      case 'S':
      case 's':
        return {SwitchAction::RunFullScreen, 0};
      case 'W':
      case 'w':
        return {SwitchAction::RunWindowed, 0};
      default:
        return {SwitchAction::Refuse, 0};
    }
  }
}

int RunCommandLine(const char* commandLine) {
  // Hack options are whole words, read before the switch letters, which they would otherwise
  // be taken for (-window-id would be W).
  if (const std::vector<std::string> words = SplitCommandWords(commandLine); IsHackCommandLine(words)) {
    return RunHackCommandLine(words);
  }
  const SwitchChoice choice = ReadCommandLine(commandLine);
  switch (choice.action) {
    case SwitchAction::Configure:
      return RunConfiguration();
    case SwitchAction::RunFullScreen:
      return RunSaver(nullptr);
    case SwitchAction::RunWindowed:
      windowedOrPreview = 1;
      return RunSaver(nullptr);
    case SwitchAction::RunPreview: {
      windowedOrPreview = 1;
      const HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(choice.parentWindow));
      if (parent == nullptr || !IsWindow(parent)) return 0;
      return RunSaver(parent);
    }
    case SwitchAction::EndSilently:
      return -1;
    case SwitchAction::Refuse:
      return 0;
  }
  return 0;
}
