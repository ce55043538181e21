// Implements: the registry export text (REGEDIT4) in both directions, line by line, so that a
// damaged line costs only itself. Leaves out: the UTF-16 "Windows Registry Editor 5.00" form,
// deletion lines ("[-key]", "name"=-).
#include "registry_document.h"

#include <cstdio>
#include <optional>

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr uint32_t kTypeText = 1;    // REG_SZ
constexpr uint32_t kTypeBinary = 3;  // REG_BINARY
constexpr uint32_t kTypeNumber = 4;  // REG_DWORD
constexpr size_t kHexBytesPerLine = 25;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 1 to 8 hex digits as a whole; anything else is not a number.
std::optional<uint32_t> ParseHexNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

// Reads a quoted text starting at the opening quote; on success `rest` is what follows the
// closing quote.
std::optional<std::string> ParseQuoted(std::string_view text, std::string_view* rest) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string result;
  for (size_t index = 1; index < text.size(); ++index) {
    char c = text[index];
    if (c == '"') {
      *rest = text.substr(index + 1);
      return result;
    }
    if (c == '\\') {
      if (index + 1 >= text.size()) return std::nullopt;
      char escaped = text[++index];
      if (escaped != '\\' && escaped != '"') return std::nullopt;
      result += escaped;
    } else {
      result += c;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view list) {
  std::vector<uint8_t> bytes;
  list = TrimRight(TrimLeft(list));
  if (list.empty()) return bytes;
  size_t position = 0;
  for (;;) {
    std::string_view rest = TrimLeft(list.substr(position));
    position = list.size() - rest.size();
    if (rest.size() < 2) return std::nullopt;
    int high = HexDigitValue(rest[0]);
    int low = HexDigitValue(rest[1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    rest = TrimLeft(rest.substr(2));
    if (rest.empty()) return bytes;
    if (rest.front() != ',') return std::nullopt;
    position = list.size() - rest.size() + 1;
  }
}

std::optional<RegistryValue> ParseValueData(std::string name, std::string_view data) {
  RegistryValue value;
  value.name = std::move(name);
  data = TrimRight(data);
  if (!data.empty() && data.front() == '"') {
    std::string_view rest;
    std::optional<std::string> text = ParseQuoted(data, &rest);
    if (!text || !TrimRight(rest).empty()) return std::nullopt;
    value.type = kTypeText;
    value.data.assign(text->begin(), text->end());
    value.data.push_back(0);
    return value;
  }
  if (data.starts_with("dword:")) {
    std::string_view digits = data.substr(6);
    std::optional<uint32_t> number = ParseHexNumber(digits);
    if (!number || digits.size() != 8) return std::nullopt;
    value.type = kTypeNumber;
    for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<uint8_t>(*number >> shift));
    return value;
  }
  std::string_view list;
  if (data.starts_with("hex:")) {
    value.type = kTypeBinary;
    list = data.substr(4);
  } else if (data.starts_with("hex(")) {
    size_t close = data.find(')');
    if (close == std::string_view::npos || close + 1 >= data.size() || data[close + 1] != ':') return std::nullopt;
    std::optional<uint32_t> type = ParseHexNumber(data.substr(4, close - 4));
    if (!type) return std::nullopt;
    value.type = *type;
    list = data.substr(close + 2);
  } else {
    return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> bytes = ParseHexBytes(list);
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

// Splits the text into logical lines: a hex list may go on over lines that end in '\'.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  bool continuing = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = TrimRight(text.substr(start, end - start));
    // Continuation lines are indented; anything else ends the list, which then stays broken
    // (its trailing comma does not read) instead of swallowing the next key or value.
    if (continuing && (line.empty() || (line.front() != ' ' && line.front() != '\t'))) continuing = false;
    if (continuing) {
      line = TrimLeft(line);
      lines.back().append(line);
    } else {
      lines.emplace_back(line);
    }
    std::string& current = lines.back();
    bool isHexList = current.find("=hex") != std::string::npos;
    continuing = isHexList && !current.empty() && current.back() == '\\';
    if (continuing) current.pop_back();
    if (end == text.size()) break;
    start = end + 1;
  }
  return lines;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
}

bool FitsTextForm(const RegistryValue& value) {
  if (value.type != kTypeText || value.data.empty() || value.data.back() != 0) return false;
  for (size_t index = 0; index + 1 < value.data.size(); ++index) {
    uint8_t byte = value.data[index];
    if (byte < 0x20 && byte != '\t') return false;
  }
  return true;
}

void AppendValue(std::string& out, const RegistryValue& value) {
  size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    out += '"';
    AppendEscaped(out, value.name);
    out += '"';
  }
  out += '=';
  if (FitsTextForm(value)) {
    out += '"';
    AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    out += "\"\n";
    return;
  }
  char buffer[24];
  if (value.type == kTypeNumber && value.data.size() == 4) {
    uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (uint32_t{value.data[3]} << 24);
    std::snprintf(buffer, sizeof buffer, "dword:%08x\n", number);
    out += buffer;
    return;
  }
  if (value.type == kTypeBinary) {
    out += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    out += buffer;
  }
  // Long lists go on over lines ending in '\', as the export format wraps them.
  size_t onLine = (out.size() - lineStart) / 3;
  for (size_t index = 0; index < value.data.size(); ++index) {
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[index]);
    out += buffer;
    if (index + 1 == value.data.size()) break;
    out += ',';
    if (++onLine >= kHexBytesPerLine) {
      out += "\\\n  ";
      onLine = 0;
    }
  }
  out += '\n';
}

}  // namespace

bool RegistryNamesEqual(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (size_t index = 0; index < left.size(); ++index) {
    if (LowerAscii(left[index]) != LowerAscii(right[index])) return false;
  }
  return true;
}

bool IsStorableValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool IsStorableKeyPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos) {
    return false;
  }
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ']') return false;
  }
  return true;
}

RegistryKeyContents* RegistryDocument::FindKey(std::string_view path) {
  for (RegistryKeyContents& key : keys) {
    if (RegistryNamesEqual(key.path, path)) return &key;
  }
  return nullptr;
}

const RegistryKeyContents* RegistryDocument::FindKey(std::string_view path) const {
  return const_cast<RegistryDocument*>(this)->FindKey(path);
}

bool RegistryDocument::KeyExists(std::string_view path) const {
  for (const RegistryKeyContents& key : keys) {
    std::string_view candidate = key.path;
    if (RegistryNamesEqual(candidate, path)) return true;
    if (candidate.size() > path.size() && candidate[path.size()] == '\\' &&
        RegistryNamesEqual(candidate.substr(0, path.size()), path)) {
      return true;
    }
  }
  return false;
}

RegistryKeyContents& RegistryDocument::AddKey(std::string_view path) {
  if (RegistryKeyContents* existing = FindKey(path)) return *existing;
  keys.push_back(RegistryKeyContents{std::string(path), {}});
  return keys.back();
}

const RegistryValue* FindValue(const RegistryKeyContents& key, std::string_view name) {
  for (const RegistryValue& value : key.values) {
    if (RegistryNamesEqual(value.name, name)) return &value;
  }
  return nullptr;
}

void SetValue(RegistryKeyContents& key, RegistryValue value) {
  for (RegistryValue& existing : key.values) {
    if (RegistryNamesEqual(existing.name, value.name)) {
      existing = std::move(value);
      return;
    }
  }
  key.values.push_back(std::move(value));
}

bool DeleteValue(RegistryKeyContents& key, std::string_view name) {
  for (auto it = key.values.begin(); it != key.values.end(); ++it) {
    if (RegistryNamesEqual(it->name, name)) {
      key.values.erase(it);
      return true;
    }
  }
  return false;
}

RegistryDocument ParseRegistryText(std::string_view text) {
  RegistryDocument document;
  std::vector<std::string> lines = LogicalLines(text);
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) ++first;
  if (first == lines.size()) return document;  // an empty file holds no values and lost none
  if (lines[first] != kHeader) {
    // Without the header the text may be anything; whatever still reads as keys and values
    // below is kept all the same.
    document.damaged = true;
  } else {
    ++first;
  }

  RegistryKeyContents* currentKey = nullptr;
  for (size_t index = first; index < lines.size(); ++index) {
    std::string_view line = TrimLeft(lines[index]);  // hand-edited files may indent lines
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      currentKey = nullptr;
      std::string_view path = line.substr(1);
      if (path.empty() || path.back() != ']') {
        document.damaged = true;
        continue;
      }
      path.remove_suffix(1);
      if (!IsStorableKeyPath(path) || !path.starts_with("HKEY_")) {
        document.damaged = true;
        continue;
      }
      currentKey = &document.AddKey(path);
      continue;
    }
    std::optional<RegistryValue> value;
    if (currentKey != nullptr) {
      if (line.front() == '@' && line.size() > 1 && line[1] == '=') {
        value = ParseValueData(std::string(), line.substr(2));
      } else if (line.front() == '"') {
        std::string_view rest;
        std::optional<std::string> name = ParseQuoted(line, &rest);
        if (name && !name->empty() && rest.starts_with("=")) value = ParseValueData(std::move(*name), rest.substr(1));
      }
    }
    if (!value) {
      document.damaged = true;
      continue;
    }
    SetValue(*currentKey, std::move(*value));
  }
  return document;
}

std::string FormatRegistryText(const RegistryDocument& document) {
  std::string out(kHeader);
  out += "\n\n";
  for (const RegistryKeyContents& key : document.keys) {
    out += '[';
    out += key.path;
    out += "]\n";
    for (const RegistryValue& value : key.values) AppendValue(out, value);
    out += '\n';
  }
  return out;
}
