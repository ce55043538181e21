#include "settings/settings_store.h"

#include <cstring>

#include "settings/settings.h"

const char kSettingsKeyPath[] = "Software\\VORLANE\\Orbelune Scr F";

namespace {

LONG OpenSettingsKey(HKEY* key, KeyAccess access = KeyAccess::kCreateWhenMissing) {
  if (access == KeyAccess::kOpenExisting) return RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, key);
  DWORD disposition = 0;
  return RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                         key, &disposition);
}

}  // namespace

void ReadDwordSetting(LPCSTR valueName, DWORD* value, LONG* status, KeyAccess access) {
  *value = 0;
  HKEY key = NULL;
  *status = OpenSettingsKey(&key, access);
  if (*status != ERROR_SUCCESS) return;
  BYTE bytes[4] = {0, 0, 0, 0};
  DWORD size = sizeof bytes;
  *status = RegQueryValueExA(key, valueName, NULL, NULL, bytes, &size);
  RegCloseKey(key);
  if (*status != ERROR_SUCCESS) return;
  *value = static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) | (static_cast<DWORD>(bytes[2]) << 16) |
           (static_cast<DWORD>(bytes[3]) << 24);
}

void ReadStringSetting(LPCSTR valueName, char* text, LONG* status, KeyAccess access) {
  text[0] = '\0';
  HKEY key = NULL;
  *status = OpenSettingsKey(&key, access);
  if (*status != ERROR_SUCCESS) return;
  DWORD size = 0;
  *status = RegQueryValueExA(key, valueName, NULL, NULL, NULL, &size);
  if (*status == ERROR_SUCCESS) {
    if (size > kFileNameBufferSize) {
      *status = ERROR_MORE_DATA;
    } else {
      // The buffer itself is the limit, whatever the value grew to since its size was asked.
      size = kFileNameBufferSize;
      *status = RegQueryValueExA(key, valueName, NULL, NULL, reinterpret_cast<LPBYTE>(text), &size);
    }
  }
  RegCloseKey(key);
  if (*status != ERROR_SUCCESS) {
    text[0] = '\0';
    return;
  }
  // Data that fill the whole buffer without a NUL leave no room for the terminator: such a
  // text cannot be held, and is refused rather than cut or run past the buffer.
  if (std::memchr(text, '\0', size) == NULL) {
    if (size == kFileNameBufferSize) {
      text[0] = '\0';
      *status = ERROR_MORE_DATA;
      return;
    }
    text[size] = '\0';
  }
}

void WriteDwordSetting(LPCSTR valueName, DWORD value) {
  HKEY key = NULL;
  if (OpenSettingsKey(&key) != ERROR_SUCCESS) return;
  BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                   static_cast<BYTE>(value >> 24)};
  RegSetValueExA(key, valueName, 0, REG_DWORD, bytes, sizeof bytes);
  RegCloseKey(key);
}

void WriteStringSetting(LPCSTR valueName, LPCSTR text) {
  HKEY key = NULL;
  if (OpenSettingsKey(&key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text)));
  RegCloseKey(key);
}
