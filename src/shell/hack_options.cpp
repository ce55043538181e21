#include "shell/hack_options.h"

#include <optional>

#include "settings/setting_ranges.h"

namespace {

enum class ValueKind { Root, WindowId, Number, Flag, Colour, File };

using NumberField = std::optional<DWORD> SettingsOverrides::*;

struct HackOption {
  const char* name;
  ValueKind kind;
  NumberField field;   // for Number, Flag and Colour
  SettingRange range;  // for Number
  DWORD flagValue;     // for Flag
};

// The settings by the names of the store's values; directions are one flag for each way.
constexpr HackOption kOptions[] = {
    {"root", ValueKind::Root, nullptr, {}, 0},
    {"window-id", ValueKind::WindowId, nullptr, {}, 0},
    {"object-distance", ValueKind::Number, &SettingsOverrides::ObjectDistance, kObjectDistanceRange, 0},
    {"object-x-speed", ValueKind::Number, &SettingsOverrides::ObjectXSpeed, kObjectSpeedRange, 0},
    {"object-y-speed", ValueKind::Number, &SettingsOverrides::ObjectYSpeed, kObjectSpeedRange, 0},
    {"object-rotation-speed", ValueKind::Number, &SettingsOverrides::ObjectRotationSpeed, kObjectSpeedRange, 0},
    {"distance", ValueKind::Number, &SettingsOverrides::Distance, kDistanceRange, 0},
    {"rotation-speed", ValueKind::Number, &SettingsOverrides::RotationSpeed, kRotationSpeedRange, 0},
    {"object-clockwise", ValueKind::Flag, &SettingsOverrides::ObjectClockwise, {}, 1},
    {"object-counter-clockwise", ValueKind::Flag, &SettingsOverrides::ObjectClockwise, {}, 0},
    {"clockwise", ValueKind::Flag, &SettingsOverrides::Clockwise, {}, 1},
    {"counter-clockwise", ValueKind::Flag, &SettingsOverrides::Clockwise, {}, 0},
    {"back-color", ValueKind::Colour, &SettingsOverrides::BackColor, {}, 0},
    {"halo-color", ValueKind::Colour, &SettingsOverrides::HaloColor, {}, 0},
    {"image", ValueKind::File, nullptr, {}, 0},
};

// A word split into the option it names and the value glued to it with '=', if any.
struct OptionWord {
  const HackOption* option = nullptr;
  std::string written;  // the option as the user wrote it, dashes included, for messages
  std::optional<std::string> value;
};

OptionWord Recognize(const std::string& word) {
  OptionWord result;
  const size_t equals = word.find('=');
  result.written = word.substr(0, equals);
  if (equals != std::string::npos) result.value = word.substr(equals + 1);
  size_t dashes = 0;
  while (dashes < 2 && dashes < result.written.size() && result.written[dashes] == '-') ++dashes;
  if (dashes == 0) return result;
  const std::string name = result.written.substr(dashes);
  for (const HackOption& option : kOptions) {
    if (name == option.name) result.option = &option;
  }
  return result;
}

bool IsDigit(char character) { return character >= '0' && character <= '9'; }

int HexDigit(char character) {
  if (IsDigit(character)) return character - '0';
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  return -1;
}

// Decimal digits only, no sign, no more than fits in 32 bits.
std::optional<DWORD> ReadDecimal(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char character : text) {
    if (!IsDigit(character)) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(character - '0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<DWORD>(value);
}

// Decimal, or hexadecimal after 0x, as X window ids are written.
std::optional<DWORD> ReadWindowId(const std::string& text) {
  if (text.size() < 3 || (text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0X") != 0)) {
    return ReadDecimal(text);
  }
  if (text.size() > 10) return std::nullopt;
  DWORD value = 0;
  for (size_t index = 2; index < text.size(); ++index) {
    const int digit = HexDigit(text[index]);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<DWORD>(digit);
  }
  return value;
}

// "#RRGGBB" becomes the COLORREF 0x00BBGGRR that the store holds.
std::optional<DWORD> ReadColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  DWORD rgb = 0;
  for (size_t index = 1; index < 7; ++index) {
    const int digit = HexDigit(text[index]);
    if (digit < 0) return std::nullopt;
    rgb = rgb * 16 + static_cast<DWORD>(digit);
  }
  const DWORD red = (rgb >> 16) & 0xFF;
  const DWORD green = (rgb >> 8) & 0xFF;
  const DWORD blue = rgb & 0xFF;
  return red | (green << 8) | (blue << 16);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Takes the option's value into *command; the empty text when it was good.
std::string TakeValue(const OptionWord& word, const std::string& value, HackCommand* command) {
  const HackOption& option = *word.option;
  switch (option.kind) {
    case ValueKind::WindowId: {
      const std::optional<DWORD> id = ReadWindowId(value);
      if (!id || *id == 0) {
        return word.written + " takes a window id, in decimal or 0x hex, not " + Quoted(value);
      }
      command->window = *id;
      return "";
    }
    case ValueKind::Number: {
      const std::optional<DWORD> number = ReadDecimal(value);
      if (!number || !option.range.Holds(*number)) {
        return word.written + " takes a whole number from " + std::to_string(option.range.lowest) + " to " +
               std::to_string(option.range.highest) + ", not " + Quoted(value);
      }
      command->overrides.*option.field = *number;
      return "";
    }
    case ValueKind::Colour: {
      const std::optional<DWORD> colour = ReadColour(value);
      if (!colour) return word.written + " takes a colour written #RRGGBB, not " + Quoted(value);
      command->overrides.*option.field = *colour;
      return "";
    }
    case ValueKind::File:
      if (value.empty() || value.size() >= kFileNameBufferSize || value.find('\0') != std::string::npos) {
        return word.written + " takes a file name of 1 to " + std::to_string(kFileNameBufferSize - 1) + " bytes";
      }
      command->overrides.FileName = value;
      return "";
    case ValueKind::Root:
    case ValueKind::Flag:
      break;
  }
  return "";
}

std::string ChooseTarget(HackTarget target, HackCommand* command) {
  if (command->target != HackTarget::None && command->target != target) {
    return "-root and -window-id cannot both be given";
  }
  command->target = target;
  return "";
}

bool TakesValue(ValueKind kind) { return kind != ValueKind::Root && kind != ValueKind::Flag; }

}  // namespace

bool IsHackCommandLine(const std::vector<std::string>& words) {
  return !words.empty() && Recognize(words.front()).option != nullptr;
}

std::string ReadHackCommand(const std::vector<std::string>& words, HackCommand* command) {
  for (size_t index = 0; index < words.size(); ++index) {
    const OptionWord word = Recognize(words[index]);
    if (word.option == nullptr) return "unknown option " + Quoted(words[index]);
    const ValueKind kind = word.option->kind;
    if (!TakesValue(kind)) {
      if (word.value) return word.written + " takes no value";
      if (kind == ValueKind::Flag) {
        command->overrides.*word.option->field = word.option->flagValue;
      } else if (std::string problem = ChooseTarget(HackTarget::Root, command); !problem.empty()) {
        return problem;
      }
      continue;
    }
    std::string value;
    if (word.value) {
      value = *word.value;
    } else if (index + 1 < words.size()) {
      value = words[++index];
    } else {
      return word.written + " needs a value";
    }
    if (kind == ValueKind::WindowId) {
      if (std::string problem = ChooseTarget(HackTarget::Window, command); !problem.empty()) return problem;
    }
    if (std::string problem = TakeValue(word, value, command); !problem.empty()) return problem;
  }
  if (command->target == HackTarget::None) return "say where to draw: -root, or -window-id N";
  return "";
}
