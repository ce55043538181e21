// The contents of the registry file: keys in file order, each with its values in file order,
// and the reading and writing of the registry export format ("REGEDIT4"):
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\VORLANE\Orbelune Scr F]
//   "DefImageNum"=dword:00000001
//   "FileName"="C:\\Images\\photo.jpg"
//   "Odd"=hex(1):41,42
//
// `"text"` holds a REG_SZ whose bytes end in exactly one NUL and hold no line breaks or other
// control bytes; `dword:` a REG_DWORD of exactly four bytes; everything else is written as
// `hex:` (REG_BINARY) or `hex(N):` (type N in hex), so every value keeps its type and bytes.
// Text bytes are kept as they are (the system's texts are Shift-JIS); '\' and '"' are escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RegistryValue {
  std::string name;  // empty for the key's default value ("@")
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

struct RegistryKeyContents {
  std::string path;  // full path from the root key, e.g. "HKEY_CURRENT_USER\Software\VORLANE"
  std::vector<RegistryValue> values;
};

struct RegistryDocument {
  std::vector<RegistryKeyContents> keys;
  // Set when some part of the text could not be read; what could be read is still here.
  bool damaged = false;

  RegistryKeyContents* FindKey(std::string_view path);
  const RegistryKeyContents* FindKey(std::string_view path) const;
  // True when the key or any key below it is present.
  bool KeyExists(std::string_view path) const;
  RegistryKeyContents& AddKey(std::string_view path);
};

const RegistryValue* FindValue(const RegistryKeyContents& key, std::string_view name);
// Replaces the value of that name in place, or appends it.
void SetValue(RegistryKeyContents& key, RegistryValue value);
bool DeleteValue(RegistryKeyContents& key, std::string_view name);

// Key paths and value names compare without regard to ASCII case, as the registry does.
bool RegistryNamesEqual(std::string_view left, std::string_view right);

// True for names the text form can hold (no NUL, CR or LF).
bool IsStorableValueName(std::string_view name);
// True for key paths the text form can hold (no control bytes, no ']', no empty component).
bool IsStorableKeyPath(std::string_view path);

RegistryDocument ParseRegistryText(std::string_view text);
std::string FormatRegistryText(const RegistryDocument& document);
