// The checks of one command-line input: a preview's window number only with a preview; a hack
// command line that reads without complaint says where to draw and holds only values the
// settings accept; arguments joined as the Linux entry joins them come back whole.
#include "command_line_input.h"

#include <vector>

#include "command_line_text.h"
#include "settings/setting_ranges.h"
#include "settings/settings.h"
#include "shell/command_line.h"
#include "shell/command_words.h"
#include "shell/hack_options.h"

namespace {

bool OutOf(const std::optional<DWORD>& value, SettingRange range) { return value.has_value() && !range.Holds(*value); }

std::string SwitchProblem(const char* commandLine) {
  const SwitchChoice choice = ReadCommandLine(commandLine);
  if (choice.action != SwitchAction::RunPreview && choice.parentWindow != 0) return "a window number without /p";
  return "";
}

std::string HackOptionsProblem(const std::vector<std::string>& words) {
  IsHackCommandLine(words);  // for the sanitizers: any answer will do
  HackCommand command;
  if (!ReadHackCommand(words, &command).empty()) return "";
  if (command.target == HackTarget::None) return "accepted without -root or -window-id";
  if (command.target != HackTarget::Window && command.window != 0) return "a window number without -window-id";
  const SettingsOverrides& o = command.overrides;
  if (OutOf(o.ObjectDistance, kObjectDistanceRange) || OutOf(o.ObjectXSpeed, kObjectSpeedRange) ||
      OutOf(o.ObjectYSpeed, kObjectSpeedRange) || OutOf(o.ObjectRotationSpeed, kObjectSpeedRange) ||
      OutOf(o.Distance, kDistanceRange) || OutOf(o.RotationSpeed, kRotationSpeedRange) ||
      OutOf(o.BackColor, kColourRange) || OutOf(o.HaloColor, kColourRange)) {
    return "a setting accepted outside its range";
  }
  if (o.FileName.has_value() && o.FileName->size() >= kFileNameBufferSize) return "an image name longer than 259 bytes";
  return "";
}

std::string JoinedArgumentsProblem(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments;
  if (size > 0) arguments.emplace_back();
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\0') {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<const char*> argv = {"orbelune"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  const std::string text = standin::JoinCommandLine(static_cast<int>(argv.size()), argv.data());
  if (SplitCommandWords(text.c_str()) != arguments) return "joined arguments do not split back: " + text;
  return "";
}

}  // namespace

std::string CommandLineInputProblem(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string problem = SwitchProblem(text.c_str());
  if (problem.empty()) problem = HackOptionsProblem(SplitCommandWords(text.c_str()));
  if (problem.empty()) problem = JoinedArgumentsProblem(data, size);
  return problem;
}
